#include "reliability_fixture.h"

std::wstring ReadResult(const std::wstring &serial)
{
    return L"Read S/N=" + serial;
}

std::wstring Widen(const std::string &text)
{
    return std::wstring(text.begin(), text.end());
}

bool ReliabilityRun::WriteAndWait(const std::wstring &serial, const std::wstring &readResult,
                                  DWORD timeoutMs)
{
    if (!WriteControlText(dialog_, IDC_SN_EDIT, serial)) {
        return false;
    }
    PressRequest();
    // The dialog answers the text query only between requests (the exchanges
    // do not serve messages), so the query itself waits for the request to
    // end; a query that was served before the click shows the previous result.
    HWND label = GetDlgItem(dialog_, IDC_READ_SN_TEXT);
    HWND button = GetDlgItem(dialog_, IDOK);
    DWORD start = GetTickCount();
    for (;;) {
        if (ReadText(label) == readResult && IsWindowEnabled(button)) {
            return true;
        }
        if (GetTickCount() - start >= timeoutMs) {
            return false;
        }
        Sleep(1);
    }
}
