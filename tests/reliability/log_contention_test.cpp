// The log while another process has it open: a reader that allows writers
// sees each request's lines; a writer, or a reader that allows no writer,
// keeps the program out, which then loses only its own lines and leaves the
// other's content alone.
#include <share.h>
#include <stdio.h>

#include "reliability_fixture.h"

static std::string WriteLine(const std::string &serial)
{
    return StampedLine("Write=\"" + serial + "\", Read=\"" + serial + "\"");
}

// What the handle has not read yet.
static std::string ReadRest(HANDLE file)
{
    std::string bytes;
    char buffer[4096];
    DWORD count = 0;
    while (ReadFile(file, buffer, sizeof buffer, &count, nullptr) && count > 0) {
        bytes.append(buffer, count);
    }
    return bytes;
}

TEST_F(ReliabilityRun, ReaderThatAllowsWritersSeesEachRequestsLines)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(SwitchToWrite());
    ASSERT_TRUE(WriteAndWait(L"C00000", ReadResult(L"C00000")));
    HANDLE reader = CreateFileW(FilePath(L"quendle.log").c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE) << "error " << GetLastError();
    EXPECT_TRUE(LogMatches(ReadRest(reader), WriteLine("C00000")));
    const char *serials[] = {"C00001", "C00002"};
    for (const char *serial : serials) {
        SCOPED_TRACE(serial);
        ASSERT_TRUE(WriteAndWait(Widen(serial), ReadResult(Widen(serial))));
        EXPECT_TRUE(LogMatches(ReadRest(reader), WriteLine(serial)));
    }
    CloseHandle(reader);
    EXPECT_TRUE(LogMatches(Log(), WriteLine("C00000") + WriteLine("C00001") + WriteLine("C00002")));
    EXPECT_EQ(CountMessageBoxes(instance_, dialog_), 0);
    CloseAndExpectExit();
}

enum Opener { kReaderDenyingWriters, kRuntimeWriter, kSystemWriter };

// The log held open by this process in one of the ways above; the writers
// append their own line and flush it.
struct HeldLog {
    FILE *stream;
    HANDLE handle;
};

static bool HoldLog(Opener opener, const std::wstring &path, const std::string &line,
                    HeldLog *held)
{
    held->stream = nullptr;
    held->handle = INVALID_HANDLE_VALUE;
    switch (opener) {
    case kReaderDenyingWriters:
        held->handle = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        return held->handle != INVALID_HANDLE_VALUE;
    case kRuntimeWriter:
        held->stream = _wfsopen(path.c_str(), L"ab", _SH_DENYWR);
        return held->stream != nullptr && fputs(line.c_str(), held->stream) >= 0 &&
               fflush(held->stream) == 0;
    case kSystemWriter: {
        held->handle = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        return held->handle != INVALID_HANDLE_VALUE &&
               SetFilePointer(held->handle, 0, nullptr, FILE_END) != INVALID_SET_FILE_POINTER &&
               WriteFile(held->handle, line.data(), static_cast<DWORD>(line.size()), &written,
                         nullptr) &&
               written == line.size();
    }
    }
    return false;
}

static void ReleaseLog(HeldLog *held)
{
    if (held->stream != nullptr) {
        fclose(held->stream);
    }
    if (held->handle != INVALID_HANDLE_VALUE) {
        CloseHandle(held->handle);
    }
}

TEST_F(ReliabilityRun, OtherOpenerKeepsTheRequestOutAndItsOwnLinesIntact)
{
    // Columns: how the other process holds the log; the line it writes
    // there first (none for the reader).
    const struct {
        Opener opener;
        const char *line;
    } cases[] = {
        {kReaderDenyingWriters, nullptr},
        {kRuntimeWriter, "line of a writer through the runtime"},
        {kSystemWriter, "line of a writer through the system"},
    };
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(SwitchToWrite());
    ASSERT_TRUE(WriteAndWait(L"D00000", ReadResult(L"D00000")));
    std::string expectedLog = WriteLine("D00000");
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(testing::Message() << "case " << i);
        std::string line = cases[i].line != nullptr ? std::string(cases[i].line) + "\r\n" : "";
        HeldLog held;
        ASSERT_TRUE(HoldLog(cases[i].opener, FilePath(L"quendle.log"), line, &held))
            << "the log cannot be held open, error " << GetLastError();
        if (cases[i].line != nullptr) {
            expectedLog += PlainLine(cases[i].line);
        }

        // The request runs as usual and only its line is lost.
        std::string serial = "E0000" + std::to_string(i);
        bool ended = WriteAndWait(Widen(serial), ReadResult(Widen(serial)));
        EXPECT_EQ(CountMessageBoxes(instance_, dialog_), 0);
        EXPECT_TRUE(LogMatches(Log(), expectedLog));
        ReleaseLog(&held);
        ASSERT_TRUE(ended) << "the request did not end with its read result";
        EXPECT_EQ(State(), serial);

        // Once the other has closed it, the next request appends again.
        serial = "G0000" + std::to_string(i);
        ASSERT_TRUE(WriteAndWait(Widen(serial), ReadResult(Widen(serial))));
        expectedLog += WriteLine(serial);
        EXPECT_TRUE(LogMatches(Log(), expectedLog));
        EXPECT_EQ(CountMessageBoxes(instance_, dialog_), 0);
    }
    CloseAndExpectExit();
}
