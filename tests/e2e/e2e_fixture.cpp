#include "e2e_fixture.h"

#include <algorithm>
#include <regex>

const char kTimestampPattern[] = R"(\d{4}/[ \d]\d/[ \d]\d \d\d:\d\d:\d\d)";
const char kCountdownPattern[] = R"(\d+\.\d{3})";

static std::string EscapeForRegex(const std::string &literal)
{
    std::string escaped;
    for (char c : literal) {
        if (std::string("\\^$.|?*+()[]{}").find(c) != std::string::npos) {
            escaped += '\\';
        }
        escaped += c;
    }
    return escaped;
}

std::string StampedLine(const std::string &literal)
{
    return std::string(kTimestampPattern) + " " + EscapeForRegex(literal) + "\r\n";
}

std::string PlainLine(const std::string &literal)
{
    return EscapeForRegex(literal) + "\r\n";
}

testing::AssertionResult LogMatches(const std::string &log, const std::string &pattern)
{
    if (std::regex_match(log, std::regex(pattern))) {
        return testing::AssertionSuccess();
    }
    return testing::AssertionFailure() << "log was\n[" << log << "]\nexpected the lines\n["
                                       << pattern << "]";
}

bool MatchesWhole(const std::wstring &text, const char *pattern)
{
    std::string narrow;
    for (wchar_t c : text) {
        narrow += c < 128 ? static_cast<char>(c) : '?';
    }
    return std::regex_match(narrow, std::regex(pattern));
}

void QuendleRun::SetUp()
{
    folder_ = CreateRunFolder();
    ASSERT_FALSE(folder_.empty()) << "cannot prepare a folder with quendle.exe";
}

void QuendleRun::TearDown()
{
    EndInstance(&second_);
    EndInstance(&instance_);
    RemoveRunFolder(folder_);
}

std::wstring QuendleRun::FilePath(const wchar_t *name) const
{
    return folder_ + L"\\" + name;
}

void QuendleRun::WriteScenario(const std::string &text)
{
    ASSERT_TRUE(WriteFileBytes(FilePath(L"controller-sim.txt"), text));
}

void QuendleRun::WriteState(const std::string &bytes)
{
    ASSERT_TRUE(WriteFileBytes(FilePath(L"controller-sim.state"), bytes));
}

std::string QuendleRun::State() const
{
    return ReadFileBytes(FilePath(L"controller-sim.state"));
}

std::string QuendleRun::Log() const
{
    return ReadFileBytes(FilePath(L"quendle.log"));
}

bool QuendleRun::LogExists() const
{
    return FileExists(FilePath(L"quendle.log"));
}

void QuendleRun::Start()
{
    ASSERT_TRUE(StartQuendle(folder_, &instance_)) << "CreateProcessW failed, error "
                                                   << GetLastError();
    dialog_ = WaitForDialog(instance_, kPromptMs);
    ASSERT_NE(dialog_, nullptr) << "no dialog appeared";
}

void QuendleRun::SwitchToWrite()
{
    ASSERT_TRUE(SendClick(dialog_, IDC_WRITE_RADIO));
    ASSERT_TRUE(WaitForControlText(dialog_, IDOK, L"Write and Verify", kPromptMs));
}

void QuendleRun::TypeSerial(const std::wstring &text)
{
    ASSERT_TRUE(WriteControlText(dialog_, IDC_SN_EDIT, text));
}

void QuendleRun::PressRequest()
{
    PostClick(dialog_, IDOK);
}

void QuendleRun::StartWriteRequest(const std::wstring &serial)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(SwitchToWrite());
    ASSERT_NO_FATAL_FAILURE(TypeSerial(serial));
    PressRequest();
}

bool QuendleRun::WaitForRequestEnd(size_t logLines, DWORD timeoutMs)
{
    HWND button = GetDlgItem(dialog_, IDOK);
    return WaitUntil(
        [&] {
            std::string log = Log();
            return static_cast<size_t>(std::count(log.begin(), log.end(), '\n')) >= logLines &&
                   IsWindowEnabled(button);
        },
        timeoutMs);
}

void QuendleRun::ExpectMessageBox(const std::wstring &text, bool owned, BoxIcon icon,
                                  BoxInfo *box, DWORD timeoutMs)
{
    ASSERT_TRUE(WaitForMessageBox(instance_, dialog_, timeoutMs, box)) << "no message box";
    EXPECT_EQ(box->caption, L"quendle");
    EXPECT_EQ(box->text, text);
    EXPECT_EQ(box->owner, owned ? dialog_ : nullptr);
    // A box that has only just appeared is not always drawn yet under Wine.
    BoxIcon shown = kIconUnknown;
    EXPECT_TRUE(WaitUntil(
        [&] {
            shown = ReadBoxIcon(box->window);
            return shown == icon;
        },
        kPromptMs))
        << "the box shows icon " << shown << " instead of " << icon;
}

void QuendleRun::CloseAndExpectExit()
{
    PostCloseBox(dialog_);
    EXPECT_EQ(WaitForExit(instance_, kPromptMs), 0u);
}
