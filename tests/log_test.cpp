#include <gtest/gtest.h>

#include <share.h>
#include <stdio.h>

#include <string>

#include "log_file.h"
#include "operation_log.h"

class OperationLogTest : public testing::Test {
protected:
    void SetUp() override
    {
        CloseOperationLog();
        DeleteLogFile();
    }

    void TearDown() override
    {
        CloseOperationLog();
    }
};

TEST_F(OperationLogTest, GroupsAreAppendedWithLineFeedsAsCrLf)
{
    OpenOperationLog();
    LogPrintf(L"%s Read=\"%s\"\n", L"2026/ 3/ 4 05:06:07", L"ABC123");
    CloseOperationLog();
    // A new file starts with the first line: no byte-order mark.
    EXPECT_EQ("2026/ 3/ 4 05:06:07 Read=\"ABC123\"\r\n", ReadLogFile());

    OpenOperationLog();
    LogPrintf(L"a\nb");
    LogPrintf(L"%d\n", -3);
    CloseOperationLog();
    EXPECT_EQ("2026/ 3/ 4 05:06:07 Read=\"ABC123\"\r\na\r\nb-3\r\n", ReadLogFile());
}

// Columns: text printed, bytes in the file.
struct UnitCase {
    const wchar_t *text;
    std::string bytes;
};

const UnitCase kUnits[] = {
    {L"A~\x007f", "A~\x7f"},
    {L"\x0080\x00a0\x00e4\x00ff", "\x80\xa0\xe4\xff"},
    {L"\x0100\x20ac\xffff", "???"},
    {L"<\xd83d\xde00>", "<?" "?>"},
};

TEST_F(OperationLogTest, EachUnitBecomesOneByteOrAQuestionMark)
{
    for (size_t i = 0; i < sizeof kUnits / sizeof kUnits[0]; ++i) {
        DeleteLogFile();
        OpenOperationLog();
        LogPrintf(L"%s", kUnits[i].text);
        CloseOperationLog();
        EXPECT_EQ(kUnits[i].bytes, ReadLogFile()) << "case " << i;
    }
}

TEST_F(OperationLogTest, ClosedLogDropsTheMessage)
{
    EXPECT_EQ(5, LogPrintf(L"%s\n", L"drop"));
    EXPECT_FALSE(LogFileExists());

    OpenOperationLog();
    LogPrintf(L"kept\n");
    CloseOperationLog();
    LogPrintf(L"after\n");
    CloseOperationLog();
    EXPECT_EQ("kept\r\n", ReadLogFile());
}

TEST_F(OperationLogTest, PercentSignInAnArgumentIsWrittenAsIs)
{
    OpenOperationLog();
    LogPrintf(L"%s|%s", L"100%d %s %%", L"%n");
    CloseOperationLog();
    EXPECT_EQ("100%d %s %%|%n", ReadLogFile());
}

// Columns: length of the text printed, characters formatted and written.
struct LengthCase {
    size_t length;
    int written;
};

const LengthCase kLengths[] = {
    {1022, 1022},
    {1023, 1023},
    {1024, 1023},
    {5000, 1023},
};

TEST_F(OperationLogTest, LongMessageIsCutTo1023Characters)
{
    for (size_t i = 0; i < sizeof kLengths / sizeof kLengths[0]; ++i) {
        DeleteLogFile();
        std::wstring text(kLengths[i].length, L'x');
        OpenOperationLog();
        EXPECT_EQ(kLengths[i].written, LogPrintf(L"%s", text.c_str())) << "case " << i;
        CloseOperationLog();
        EXPECT_EQ(std::string(kLengths[i].written, 'x'), ReadLogFile()) << "case " << i;
    }
}

TEST_F(OperationLogTest, OpenLogKeepsWritersOutAndLetsReadersIn)
{
    OpenOperationLog();
    std::wstring path = LogFilePath();

    FILE *appender = _wfsopen(path.c_str(), L"ab", _SH_DENYNO);
    EXPECT_EQ(nullptr, appender);
    if (appender != nullptr) {
        fclose(appender);
    }
    HANDLE writer = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(INVALID_HANDLE_VALUE, writer);
    EXPECT_EQ(DWORD(ERROR_SHARING_VIOLATION), GetLastError());
    if (writer != INVALID_HANDLE_VALUE) {
        CloseHandle(writer);
    }

    HANDLE reader = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, reader);
    LogPrintf(L"line\n");
    CloseOperationLog();
    char bytes[16] = {0};
    DWORD count = 0;
    ReadFile(reader, bytes, sizeof bytes, &count, nullptr);
    CloseHandle(reader);
    EXPECT_EQ("line\r\n", std::string(bytes, count)) << "written out by the close";
}

TEST_F(OperationLogTest, LogHeldByAnotherWriterIsNotOpened)
{
    OpenOperationLog();
    LogPrintf(L"first\n");
    CloseOperationLog();

    HANDLE writer = CreateFileW(LogFilePath().c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, writer);
    OpenOperationLog();
    LogPrintf(L"dropped\n");
    CloseOperationLog();
    CloseHandle(writer);

    OpenOperationLog();
    LogPrintf(L"third\n");
    CloseOperationLog();
    EXPECT_EQ("first\r\nthird\r\n", ReadLogFile());
}

TEST_F(OperationLogTest, SecondOpenKeepsTheLogOfTheFirst)
{
    OpenOperationLog();
    LogPrintf(L"outer ");
    OpenOperationLog();
    LogPrintf(L"inner\n");
    CloseOperationLog();
    // One close leaves the log closed and written out.
    EXPECT_EQ("outer inner\r\n", ReadLogFile());
    LogPrintf(L"late\n");
    OpenOperationLog();
    CloseOperationLog();
    EXPECT_EQ("outer inner\r\n", ReadLogFile());
}
