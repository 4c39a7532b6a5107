// The end-to-end fixture with what the reliability checks add: a write
// request driven to its end without waiting longer than the request takes.
#pragma once
#include "e2e_fixture.h"

class ReliabilityRun : public QuendleRun {
protected:
    // Types the serial number, presses the request button and waits until
    // the request has ended with this read result on the dialog.
    bool WriteAndWait(const std::wstring &serial, const std::wstring &readResult,
                      DWORD timeoutMs = kPromptMs);
};

// "Read S/N=" and the serial number, as the dialog shows a read result.
std::wstring ReadResult(const std::wstring &serial);

std::wstring Widen(const std::string &text);
