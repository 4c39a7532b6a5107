#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "clock.h"
#include "fake_controller.h"
#include "fake_platform.h"
#include "log_file.h"
#include "operation_log.h"
#include "transfer.h"

namespace {

const int kSerialCapacity = 7;

// A log line as the transfer writes it, after the fake platform's timestamp.
std::string Stamped(const char *text)
{
    return std::string("2026/ 3/ 4 05:06:07 ") + text;
}

// One exchange whose responses all wait at the first poll.
std::vector<FakePoll> Answer(std::vector<FakeResponse> responses)
{
    return {FakePoll{responses, 0}};
}

const std::vector<FakePoll> kSilent = {};
const std::vector<FakePoll> kAck = Answer({Response("A")});
const std::vector<FakePoll> kReadBack = Answer({Response("UNQ12345"), Response("A")});

class TransferTest : public testing::Test {
protected:
    void SetUp() override
    {
        ResetFakeController();
        ResetFakePlatform();
        AnchorClock();
        // A silent exchange takes ten polls.
        g_fake.tickStep = 1000;
        CloseOperationLog();
        DeleteLogFile();
    }

    void TearDown() override
    {
        CloseOperationLog();
    }

    // Runs one transfer of typed (7 characters, zero-padded) with the log open.
    int Transfer(const WCHAR *typed, int writeMode, WCHAR *serialText)
    {
        memset(serialText, 0, kSerialCapacity * sizeof(WCHAR));
        wcsncpy(serialText, typed, kSerialCapacity - 1);
        OpenOperationLog();
        int result = TransferSerialNumber(serialText, writeMode);
        CloseOperationLog();
        return result;
    }
};

std::vector<std::vector<BYTE>> SentRecords()
{
    std::vector<std::vector<BYTE>> records;
    for (const FakeCall &call : g_controller.calls) {
        if (call.name == "QuarnSendCadrelCommand") {
            records.push_back(call.record);
        }
    }
    return records;
}

// The three commands byte for byte: a zero field, then the packet.
TEST_F(TransferTest, SendsTheCommandPackets)
{
    // serial text typed, bytes 6 to 11 of the second write command's record
    struct Case {
        const WCHAR *serial;
        BYTE serialBytes[6];
    };
    const Case cases[] = {
        {L"ABC123", {'A', 'B', 'C', '1', '2', '3'}},
        {L"", {0, 0, 0, 0, 0, 0}},
        {L"AB", {'A', 'B', 0, 0, 0, 0}},
    };
    int index = 0;
    for (const Case &c : cases) {
        SetUp();
        g_controller.exchanges = {kAck, kAck, kReadBack};
        WCHAR serialText[kSerialCapacity];
        EXPECT_EQ(1, Transfer(c.serial, 1, serialText)) << "case " << index;

        const BYTE first[12] = {0, 0, 0, 0, 'U', 'W'};
        BYTE second[12] = {0, 0, 0, 0, 'U', 'N'};
        memcpy(second + 6, c.serialBytes, 6);
        const BYTE query[12] = {0, 0, 0, 0, 'u', 'N'};
        std::vector<std::vector<BYTE>> records = SentRecords();
        ASSERT_EQ(3u, records.size()) << "case " << index;
        EXPECT_EQ(HexBytes(first, 12), HexBytes(records[0].data(), 12)) << "case " << index;
        EXPECT_EQ(HexBytes(second, 12), HexBytes(records[1].data(), 12)) << "case " << index;
        EXPECT_EQ(HexBytes(query, 12), HexBytes(records[2].data(), 12)) << "case " << index;
        ++index;
    }
}

// The screen check asks with a zeroed buffer and a count of 0, before any
// command; the library's writes into the buffer do not linger.
TEST_F(TransferTest, AsksForScreensWithZeroedBufferAndCount)
{
    g_controller.exchanges = {kReadBack, kReadBack};
    WCHAR serialText[kSerialCapacity];
    Transfer(L"", 0, serialText);
    Transfer(L"", 0, serialText);

    ASSERT_EQ(2, CountCalls("QuarnGetScreenInfo"));
    EXPECT_EQ("QuarnGetScreenInfo", g_controller.calls.front().name);
    for (const FakeCall &call : g_controller.calls) {
        if (call.name == "QuarnGetScreenInfo") {
            EXPECT_EQ(std::vector<int>{0}, call.arguments);
        }
    }
    EXPECT_EQ(0, g_controller.screenInfoDirtyBytes);
}

// Outcomes of the screen check and of each exchange: the result, the serial
// text, how far the sequence went, the messages and the log.
TEST_F(TransferTest, ReportsEachOutcome)
{
    // write mode, exchanges scripted, send codes, screen code and count,
    // result, serial text after, commands sent, messages, log file
    struct Case {
        int writeMode;
        std::vector<std::vector<FakePoll>> exchanges;
        std::vector<int> sendCodes;
        int screenCode;
        int screenCount;
        int result;
        const WCHAR *serialAfter;
        int sends;
        std::vector<const WCHAR *> messages;
        std::string log;
    };
    const WCHAR *kMoreThanOne = L"Number of command response is 2 (Should be 1)\n";
    const WCHAR *kNoResponse = L"fail to receive response";
    const WCHAR *kNoScreen = L"QuarnGetScreenInfo API fail";
    const FakeResponse zeroAtThree = {{'U', 'N', 'A', 'B', 'C', 0, 'E', 'F'}, 0};
    const Case cases[] = {
        // 0: a healthy write; the text is what was read back.
        {1, {kAck, kAck, kReadBack}, {}, 0, 1, 1, L"Q12345", 3, {}, ""},
        // 1-3: an extra response to a write stops the sequence and leaves the
        // typed text, which must not pass for a verified read.
        {1, {Answer({Response("U"), Response("A")}), kAck, kReadBack}, {}, 0, 1, 0, L"ABC123",
         1, {kMoreThanOne}, Stamped("Number of command response is 2 (Should be 1)\r\n")},
        {1, {kAck, Answer({Response("U"), Response("A")}), kReadBack}, {}, 0, 1, 0, L"ABC123",
         2, {kMoreThanOne}, Stamped("Number of command response is 2 (Should be 1)\r\n")},
        {1, {{{{Response("U")}, 0}, {{Response("U")}, 0}, {{Response("A")}, 0}}, kAck, kReadBack},
         {}, 0, 1, 0, L"ABC123", 1, {L"Number of command response is 3 (Should be 1)\n"},
         Stamped("Number of command response is 3 (Should be 1)\r\n")},
        // 4: no response at all: three boxes, an empty text.
        {1, {kSilent, kSilent, kSilent}, {}, 0, 1, 1, L"", 3,
         {kNoResponse, kNoResponse, kNoResponse},
         Stamped("fail to receive response : 0\r\n") +
             Stamped("fail to receive response : 0\r\n") +
             Stamped("fail to receive response : 0\r\n")},
        // 5: a failed send of a write command does not stop the sequence.
        {1, {kSilent, kAck, kReadBack}, {9}, 0, 1, 1, L"Q12345", 3, {kNoResponse},
         "QuarnSendCadrelCommand : Fail (Return Code = 9)\r\n" +
             Stamped("fail to receive response : -1\r\n")},
        // 6-7: a read-back count other than 2.
        {0, {kAck}, {}, 0, 1, 1, L"", 1, {L"Number of command response is 1 (Should be 2)\n"},
         Stamped("Number of command response is 1 (Should be 2)\r\n")},
        {0, {Answer({Response("UNQ12345"), Response("U"), Response("A")})}, {}, 0, 1, 1, L"", 1,
         {L"Number of command response is 3 (Should be 2)\n"},
         Stamped("Number of command response is 3 (Should be 2)\r\n")},
        // 8-10: exchange errors, even with the answer fetched.
        {0, {Answer({Response("UNQ12345", 6), Response("A")})}, {}, 0, 1, 1, L"", 1,
         {kNoResponse},
         "QuarnGetCadrelResponse : Fail (Return Code = 6)\r\n" +
             Stamped("fail to receive response : -3\r\n")},
        {0, {{{{}, 4}, {{Response("UNQ12345"), Response("A")}, 0}}}, {}, 0, 1, 1, L"", 1,
         {kNoResponse},
         "QuarnGetCadrelResponseStatus : Fail (Return Code = 4)\r\n" +
             Stamped("fail to receive response : -2\r\n")},
        {0, {kReadBack}, {-7}, 0, 1, 1, L"", 1, {kNoResponse},
         "QuarnSendCadrelCommand : Fail (Return Code = -7)\r\n" +
             Stamped("fail to receive response : -1\r\n")},
        // 11-12: two responses, the first not an answer: an empty text.
        {0, {Answer({Response("UXQ12345"), Response("A")})}, {}, 0, 1, 1, L"", 1, {}, ""},
        {0, {Answer({Response("A"), Response("UNQ12345")})}, {}, 0, 1, 1, L"", 1, {}, ""},
        // 13: the text ends at the first zero byte of the serial number.
        {0, {Answer({zeroAtThree, Response("A")})}, {}, 0, 1, 1, L"ABC", 1, {}, ""},
        // 14: a read replaces what was typed.
        {0, {kReadBack}, {}, 0, 1, 1, L"Q12345", 1, {}, ""},
        // 15-17: the screen check fails; everything is sent all the same.
        {1, {kAck, kAck, kReadBack}, {}, 3, 1, 0, L"Q12345", 3, {kNoScreen},
         "ERROR : QuarnGetScreenInfo API fail\r\n"},
        {0, {kReadBack}, {}, 0, 0, 0, L"Q12345", 1, {kNoScreen},
         "ERROR : QuarnGetScreenInfo API fail\r\n"},
        {0, {kReadBack}, {}, 0, -1, 0, L"Q12345", 1, {kNoScreen},
         "ERROR : QuarnGetScreenInfo API fail\r\n"},
        // 18: both failures, in the order met.
        {1, {Answer({Response("A"), Response("A")}), kAck, kReadBack}, {}, 3, 1, 0, L"ABC123", 1,
         {kNoScreen, kMoreThanOne},
         "ERROR : QuarnGetScreenInfo API fail\r\n" +
             Stamped("Number of command response is 2 (Should be 1)\r\n")},
    };
    int index = 0;
    for (const Case &c : cases) {
        SetUp();
        g_controller.exchanges = c.exchanges;
        g_controller.sendCodes = c.sendCodes;
        g_controller.screenCode = c.screenCode;
        g_controller.screenCount = c.screenCount;
        WCHAR serialText[kSerialCapacity];

        int result = Transfer(c.writeMode ? L"ABC123" : L"XY", c.writeMode, serialText);

        EXPECT_EQ(c.result, result) << "case " << index;
        WCHAR expected[kSerialCapacity] = {0};
        wcsncpy(expected, c.serialAfter, kSerialCapacity - 1);
        EXPECT_EQ(0, memcmp(expected, serialText, sizeof expected))
            << "case " << index << ": serial text \"" << std::wstring(serialText, 6).c_str()
            << "\" instead of \"" << c.serialAfter << "\"";
        EXPECT_EQ(c.sends, CountCalls("QuarnSendCadrelCommand")) << "case " << index;
        ASSERT_EQ(c.messages.size(), g_fake.messages.size()) << "case " << index;
        for (size_t i = 0; i < c.messages.size(); ++i) {
            const ShownMessage &shown = g_fake.messages[i];
            EXPECT_EQ(std::wstring(c.messages[i]), shown.text) << "case " << index;
            EXPECT_EQ(nullptr, shown.owner) << "case " << index;
            EXPECT_EQ(std::wstring(L"quendle"), shown.caption) << "case " << index;
            EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONERROR), shown.type) << "case " << index;
        }
        EXPECT_EQ(c.log, ReadLogFile()) << "case " << index;
        ++index;
    }
}

// The serial number crosses the controller in the ANSI code page, both ways.
TEST_F(TransferTest, ConvertsThroughTheAnsiCodePage)
{
    if (GetACP() != 1252) {
        GTEST_SKIP() << "ANSI code page " << GetACP() << ", the bytes are those of 1252";
    }
    // serial text typed, serial-number bytes sent, text read back from them
    struct Case {
        const WCHAR *serial;
        BYTE bytes[6];
        const WCHAR *readBack;
    };
    const Case cases[] = {
        {L"\x00c4" L"BC", {0xC4, 'B', 'C', 0, 0, 0}, L"\x00c4" L"BC"},
        // No default character is given: the code page's own, '?'.
        {L"A\x0416", {'A', '?', 0, 0, 0, 0}, L"A?"},
        {L"\x20ac\x00ff", {0x80, 0xFF, 0, 0, 0, 0}, L"\x20ac\x00ff"},
    };
    int index = 0;
    for (const Case &c : cases) {
        SetUp();
        FakeResponse answer = Response("UN");
        memcpy(answer.packet + 2, c.bytes, 6);
        g_controller.exchanges = {kAck, kAck, Answer({answer, Response("A")})};
        WCHAR serialText[kSerialCapacity];

        EXPECT_EQ(1, Transfer(c.serial, 1, serialText)) << "case " << index;

        std::vector<std::vector<BYTE>> records = SentRecords();
        ASSERT_EQ(3u, records.size()) << "case " << index;
        EXPECT_EQ(HexBytes(c.bytes, 6), HexBytes(records[1].data() + 6, 6)) << "case " << index;
        EXPECT_EQ(std::wstring(c.readBack), std::wstring(serialText)) << "case " << index;
        ++index;
    }
}

}  // namespace
