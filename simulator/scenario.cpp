#include "scenario.h"

#include <string.h>

#include <string_view>

// A line holds at most this many words after the "=" (the longest setting,
// "send = fail <code> once on <cmd>", has five).
const int kMaxWords = 8;

struct Words {
    int count;
    std::string_view word[kMaxWords];
};

static bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

static std::string_view Trim(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// Splits the value into blank-separated words; false when there are too many.
static bool SplitWords(std::string_view text, Words *words)
{
    words->count = 0;
    for (;;) {
        text = Trim(text);
        if (text.empty()) {
            return true;
        }
        if (words->count == kMaxWords) {
            return false;
        }
        size_t end = 0;
        while (end < text.size() && !IsBlank(text[end])) {
            ++end;
        }
        words->word[words->count++] = text.substr(0, end);
        text.remove_prefix(end);
    }
}

// Decimal digits only, up to the limit.
static bool ParseUnsigned(std::string_view word, unsigned long long limit,
                          unsigned long long *value)
{
    if (word.empty()) {
        return false;
    }
    unsigned long long result = 0;
    for (char c : word) {
        if (c < '0' || c > '9') {
            return false;
        }
        result = result * 10 + static_cast<unsigned>(c - '0');
        if (result > limit) {
            return false;
        }
    }
    *value = result;
    return true;
}

// A signed 32-bit return code, with an optional minus sign.
static bool ParseCode(std::string_view word, int *code)
{
    bool negative = !word.empty() && word.front() == '-';
    if (negative) {
        word.remove_prefix(1);
    }
    unsigned long long magnitude = 0;
    if (!ParseUnsigned(word, negative ? 2147483648ULL : 2147483647ULL, &magnitude)) {
        return false;
    }
    *code = negative ? static_cast<int>(-static_cast<long long>(magnitude))
                     : static_cast<int>(magnitude);
    return true;
}

static bool ParseCommand(std::string_view word, CommandFilter *filter)
{
    if (word.size() != 2) {
        return false;
    }
    filter->all = false;
    filter->bytes[0] = static_cast<BYTE>(word[0]);
    filter->bytes[1] = static_cast<BYTE>(word[1]);
    return true;
}

// Reads the optional "on <cmd>" at words[*index]; false when it is malformed.
// Each may be given once only.
static bool ParseOn(const Words &words, int *index, CommandFilter *filter)
{
    if (!filter->all || *index + 1 >= words.count) {
        return false;
    }
    if (!ParseCommand(words.word[*index + 1], filter)) {
        return false;
    }
    *index += 2;
    return true;
}

// "ok" | "fail <code> [once] [on <cmd>]"; "on" only where allowOn.
static bool ParseFailure(const Words &words, bool allowOn, CallFailure *failure)
{
    CallFailure parsed = {};
    parsed.command.all = true;
    if (words.count == 1 && words.word[0] == "ok") {
        *failure = parsed;
        return true;
    }
    if (words.count < 2 || words.word[0] != "fail" || !ParseCode(words.word[1], &parsed.code)) {
        return false;
    }
    parsed.failing = true;
    int i = 2;
    while (i < words.count) {
        if (words.word[i] == "once" && !parsed.once) {
            parsed.once = true;
            ++i;
            continue;
        }
        if (!allowOn || words.word[i] != "on" || !ParseOn(words, &i, &parsed.command)) {
            return false;
        }
    }
    *failure = parsed;
    return true;
}

static bool ParseScreen(const Words &words, Scenario *scenario)
{
    if (words.count == 1 && words.word[0] == "ok") {
        scenario->screen = kScreenOk;
    } else if (words.count == 1 && words.word[0] == "none") {
        scenario->screen = kScreenNone;
    } else if (words.count == 2 && words.word[0] == "fail" &&
               ParseCode(words.word[1], &scenario->screenCode)) {
        scenario->screen = kScreenFail;
    } else {
        return false;
    }
    return true;
}

// "normal" | "silent [on <cmd>]" | "extra <n> [on <cmd>]"
static bool ParseAnswer(const Words &words, Scenario *scenario)
{
    if (words.count == 1 && words.word[0] == "normal") {
        scenario->answer = kAnswerNormal;
        scenario->answerCommand.all = true;
        return true;
    }
    AnswerMode mode;
    int extra = 0;
    int i;
    unsigned long long count = 0;
    if (words.count >= 1 && words.word[0] == "silent") {
        mode = kAnswerSilent;
        i = 1;
    } else if (words.count >= 2 && words.word[0] == "extra" &&
               ParseUnsigned(words.word[1], kMaxExtraAnswers, &count)) {
        mode = kAnswerExtra;
        extra = static_cast<int>(count);
        i = 2;
    } else {
        return false;
    }
    CommandFilter filter = {true, {0, 0}};
    if (i < words.count && (words.word[i] != "on" || !ParseOn(words, &i, &filter))) {
        return false;
    }
    if (i != words.count) {
        return false;
    }
    scenario->answer = mode;
    scenario->extraAnswers = extra;
    scenario->answerCommand = filter;
    return true;
}

static bool ParsePacing(const Words &words, Scenario *scenario)
{
    if (words.count != 1) {
        return false;
    }
    if (words.word[0] == "together") {
        scenario->onePerPoll = false;
    } else if (words.word[0] == "one-per-poll") {
        scenario->onePerPoll = true;
    } else {
        return false;
    }
    return true;
}

static bool ParseDelay(const Words &words, Scenario *scenario)
{
    unsigned long long delay = 0;
    if (words.count != 1 || !ParseUnsigned(words.word[0], 0xFFFFFFFFULL, &delay)) {
        return false;
    }
    scenario->delayMs = static_cast<DWORD>(delay);
    return true;
}

// "stored" | 1 to 6 characters, taken as the file's bytes.
static bool ParseReadback(const Words &words, Scenario *scenario)
{
    if (words.count != 1) {
        return false;
    }
    std::string_view word = words.word[0];
    if (word == "stored") {
        scenario->readbackSet = false;
        return true;
    }
    if (word.size() > sizeof scenario->readback) {
        return false;
    }
    scenario->readbackSet = true;
    memset(scenario->readback, 0, sizeof scenario->readback);
    memcpy(scenario->readback, word.data(), word.size());
    return true;
}

// Applies one line to a copy, so that a malformed line changes nothing.
static void ParseLine(std::string_view line, Scenario *scenario)
{
    line = line.substr(0, line.find('#'));
    size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
        return;
    }
    std::string_view name = Trim(line.substr(0, equals));
    Words words;
    if (!SplitWords(line.substr(equals + 1), &words)) {
        return;
    }
    Scenario changed = *scenario;
    bool ok = false;
    if (name == "screen") {
        ok = ParseScreen(words, &changed);
    } else if (name == "lock") {
        ok = ParseFailure(words, false, &changed.lock);
    } else if (name == "release") {
        ok = ParseFailure(words, false, &changed.release);
    } else if (name == "send") {
        ok = ParseFailure(words, true, &changed.send);
    } else if (name == "status") {
        ok = ParseFailure(words, false, &changed.status);
    } else if (name == "fetch") {
        ok = ParseFailure(words, false, &changed.fetch);
    } else if (name == "answer") {
        ok = ParseAnswer(words, &changed);
    } else if (name == "pacing") {
        ok = ParsePacing(words, &changed);
    } else if (name == "delay") {
        ok = ParseDelay(words, &changed);
    } else if (name == "readback") {
        ok = ParseReadback(words, &changed);
    }
    if (ok) {
        *scenario = changed;
    }
}

Scenario HealthyScenario()
{
    Scenario healthy = {};
    healthy.lock.command.all = true;
    healthy.release.command.all = true;
    healthy.send.command.all = true;
    healthy.status.command.all = true;
    healthy.fetch.command.all = true;
    healthy.answerCommand.all = true;
    return healthy;
}

Scenario ParseScenario(const char *text, size_t size)
{
    Scenario scenario = HealthyScenario();
    std::string_view rest(text, size);
    while (!rest.empty()) {
        size_t end = rest.find('\n');
        ParseLine(rest.substr(0, end), &scenario);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    }
    return scenario;
}

bool FilterMatches(const CommandFilter &filter, const BYTE *packet)
{
    return filter.all || (packet[0] == filter.bytes[0] && packet[1] == filter.bytes[1]);
}
