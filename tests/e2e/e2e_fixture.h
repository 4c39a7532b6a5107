// One quendle.exe in its own folder, with the simulated controller's files,
// and the checks that the end-to-end cases share.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "driver.h"
#include "resource.h"

// A log line with the timestamp in front, or without it; the literal text is
// matched exactly and the line ends with CR LF.
std::string StampedLine(const std::string &literal);
std::string PlainLine(const std::string &literal);

// Whether the whole log consists of exactly these lines.
testing::AssertionResult LogMatches(const std::string &log, const std::string &pattern);

// The timestamp shape of the clock label and the log.
extern const char kTimestampPattern[];

// Shape of the time left while the countdown runs: seconds and milliseconds.
extern const char kCountdownPattern[];

bool MatchesWhole(const std::wstring &text, const char *pattern);

class QuendleRun : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::wstring FilePath(const wchar_t *name) const;
    void WriteScenario(const std::string &text);
    void WriteState(const std::string &bytes);
    std::string State() const;
    std::string Log() const;
    bool LogExists() const;

    // Starts quendle.exe and finds its dialog; fails the test otherwise.
    void Start();

    // Clicks the Write radio button and waits for Write mode.
    void SwitchToWrite();

    // Types the serial number into the entry field.
    void TypeSerial(const std::wstring &text);

    // Presses the request button.
    void PressRequest();

    // Starts quendle.exe, switches to Write mode, types the serial number and
    // presses the request button.
    void StartWriteRequest(const std::wstring &serial);

    // Waits until the log holds this many lines and the request button is
    // usable again, which marks the end of a request.
    bool WaitForRequestEnd(size_t logLines, DWORD timeoutMs = kPromptMs);

    // Waits for a message box and checks caption, text, owner and icon.
    // owned: whether the dialog should own it.
    void ExpectMessageBox(const std::wstring &text, bool owned, BoxIcon icon, BoxInfo *box,
                          DWORD timeoutMs = kPromptMs);

    // Closes the dialog through the close box and expects exit code 0.
    void CloseAndExpectExit();

    std::wstring folder_;
    Instance instance_ = {nullptr, 0};
    Instance second_ = {nullptr, 0};
    HWND dialog_ = nullptr;
};
