// The real MYDIALOG, created modeless on the dialog manager, with time, the
// message boxes and the controller scripted.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "dialog_state.h"
#include "fake_controller.h"
#include "fake_platform.h"
#include "log_file.h"
#include "main_dialog.h"
#include "resource.h"

class MainDialogTest : public testing::Test {
protected:
    void SetUp() override
    {
        ResetFakePlatform();
        ResetFakeController();
        g_closeInterval = 2000;
        g_countdownStart = 0;
        DeleteLogFile();
        dialog = CreateMainDialog();
        ASSERT_NE(nullptr, dialog);
    }

    void TearDown() override
    {
        DestroyWindow(dialog);
    }

    static HWND CreateMainDialog()
    {
        return CreateDialogParamW(GetModuleHandleW(nullptr), L"MYDIALOG", nullptr,
                                  MainDialogProc, 0);
    }

    HWND Item(int id) const
    {
        return GetDlgItem(dialog, id);
    }

    std::wstring Text(int id) const
    {
        WCHAR text[256];
        GetDlgItemTextW(dialog, id, text, 256);
        return text;
    }

    void SetText(int id, const std::wstring &text) const
    {
        SetDlgItemTextW(dialog, id, text.c_str());
    }

    bool IsReadOnly(int id) const
    {
        return (GetWindowLongW(Item(id), GWL_STYLE) & ES_READONLY) != 0;
    }

    // Clicks a button as the mouse would.
    void Click(int id) const
    {
        SendMessageW(Item(id), BM_CLICK, 0, 0);
    }

    void PressRequest() const
    {
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(Item(IDOK)));
    }

    void Tick() const
    {
        SendMessageW(dialog, WM_TIMER, 0x7FFF, 0);
    }

    HWND dialog = nullptr;
};

// The first and the second write command each draw one acknowledgement.
inline void ScriptWriteAccepted()
{
    g_controller.exchanges.push_back({FakePoll{{Response("AW")}, 0}});
    g_controller.exchanges.push_back({FakePoll{{Response("AN")}, 0}});
}

// The read-back query draws the answer and the closing acknowledgement in one
// poll.
inline void ScriptReadBack(const char *answer)
{
    g_controller.exchanges.push_back({FakePoll{{Response(answer), Response("AN")}, 0}});
}

// The 8-byte packets of every sent command, in order.
inline std::vector<std::string> SentPackets()
{
    std::vector<std::string> packets;
    for (const FakeCall &call : g_controller.calls) {
        if (call.name == "QuarnSendCadrelCommand") {
            packets.emplace_back(call.record.begin() + 4, call.record.end());
        }
    }
    return packets;
}
