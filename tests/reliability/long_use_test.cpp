// Long use: a thousand write requests with verification in one run of the
// program. Afterwards the process holds no more handles, objects or memory
// than after a warm-up, and the log keeps every request's line, whole and in
// order.
#include <stdio.h>

#include <regex>
#include <vector>

#include "process_counters.h"
#include "reliability_fixture.h"

const int kWarmUpRequests = 20;
const int kLongUseRequests = 1000;

// Growth from after the warm-up to after the thousand requests that still
// counts as no leak. A request opens and closes the log and takes three
// small response tables from the heap and frees them: a log handle kept open
// adds a thousand handles, and response tables kept add about 144 KiB (three
// heap blocks of about 48 bytes each per request). The allowances leave room
// only for the system's own bookkeeping, which settles during the warm-up but
// may still move a little (a handle or a heap page taken lazily; a healthy
// run moves private memory by at most a page or two).
const long kHandleAllowance = 8;
const long kObjectAllowance = 8;
// 16 pages: catches any leak of 64 bytes or more per request.
const SIZE_T kPrivateAllowance = 64 * 1024;

static std::wstring Serial(WCHAR lead, int number)
{
    WCHAR text[16];
    wsprintfW(text, L"%c%05d", lead, number);
    return text;
}

static std::string Narrow(const std::wstring &text)
{
    return std::string(text.begin(), text.end());
}

// The log's lines, without their CR LF; text after the last CR LF (a torn
// line) comes last.
static std::vector<std::string> SplitLines(const std::string &log)
{
    std::vector<std::string> lines;
    size_t begin = 0;
    for (size_t end; (end = log.find("\r\n", begin)) != std::string::npos; begin = end + 2) {
        lines.push_back(log.substr(begin, end - begin));
    }
    if (begin < log.size()) {
        lines.push_back(log.substr(begin));
    }
    return lines;
}

static testing::AssertionResult WithinAllowance(const char *name, long long before,
                                                long long after, long long allowance)
{
    if (after - before <= allowance) {
        return testing::AssertionSuccess();
    }
    return testing::AssertionFailure() << name << " grew from " << before << " to " << after
                                       << ", more than the allowance of " << allowance;
}

TEST_F(ReliabilityRun, ThousandWritesLeakNothingAndLogEveryLine)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(SwitchToWrite());
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE,
                                 instance_.processId);
    ASSERT_NE(process, nullptr) << "OpenProcess failed, error " << GetLastError();

    std::vector<std::wstring> serials;
    for (int i = 0; i < kWarmUpRequests; ++i) {
        serials.push_back(Serial(L'W', i));
    }
    for (int i = 0; i < kLongUseRequests; ++i) {
        serials.push_back(Serial(L'A', i));
    }

    ProcessCounters before;
    DWORD start = 0;
    for (size_t i = 0; i < serials.size(); ++i) {
        if (i == kWarmUpRequests) {
            ASSERT_TRUE(ReadProcessCounters(process, instance_.processId, &before));
            start = GetTickCount();
        }
        ASSERT_TRUE(WriteAndWait(serials[i], ReadResult(serials[i])))
            << "request " << i << " (" << Narrow(serials[i]) << ") did not end with its read result";
    }
    DWORD elapsed = GetTickCount() - start;
    ProcessCounters after;
    ASSERT_TRUE(ReadProcessCounters(process, instance_.processId, &after));
    CloseHandle(process);

    printf("%d write requests after a warm-up of %d: %lu ms, %lu ms each\n"
           "  counter                           after %-3d  after %d\n%s",
           kLongUseRequests, kWarmUpRequests, elapsed, elapsed / kLongUseRequests,
           kWarmUpRequests, kWarmUpRequests + kLongUseRequests,
           FormatCounters(before, after).c_str());
    EXPECT_TRUE(WithinAllowance("GetProcessHandleCount", before.handleCount, after.handleCount,
                                kHandleAllowance));
    EXPECT_TRUE(WithinAllowance("handle table entries", before.handleTableEntries,
                                after.handleTableEntries, kHandleAllowance));
    EXPECT_TRUE(WithinAllowance("USER objects", before.userObjects, after.userObjects,
                                kObjectAllowance));
    EXPECT_TRUE(WithinAllowance("GDI objects", before.gdiObjects, after.gdiObjects,
                                kObjectAllowance));
    EXPECT_TRUE(WithinAllowance("windows", before.windows, after.windows, 0));
    EXPECT_TRUE(WithinAllowance("PrivateUsage (psapi)", before.privateUsage, after.privateUsage,
                                kPrivateAllowance));
    EXPECT_TRUE(WithinAllowance("PrivateUsage (VM counters)", before.vmPrivateUsage,
                                after.vmPrivateUsage, kPrivateAllowance));

    // Every request's line, complete, in the order of the requests, and the
    // clock never going back between them (the timestamp's fields are padded
    // to their width, so its text orders as the time does).
    std::vector<std::string> lines = SplitLines(Log());
    EXPECT_EQ(lines.size(), serials.size());
    const std::regex shape(std::string(kTimestampPattern) + " Write=\"(.*)\", Read=\"(.*)\"");
    std::string previousStamp;
    for (size_t i = 0; i < lines.size() && i < serials.size(); ++i) {
        std::smatch match;
        std::string serial = Narrow(serials[i]);
        ASSERT_TRUE(std::regex_match(lines[i], match, shape) && match[1] == serial &&
                    match[2] == serial)
            << "line " << i << " was [" << lines[i] << "], expected the line of " << serial;
        std::string stamp = lines[i].substr(0, 19);
        EXPECT_LE(previousStamp, stamp) << "line " << i;
        previousStamp = stamp;
    }
    EXPECT_EQ(CountMessageBoxes(instance_, dialog_), 0);
    CloseAndExpectExit();
}
