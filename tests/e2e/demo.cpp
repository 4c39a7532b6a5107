// quendle_demo FOLDER: runs quendle.exe in FOLDER with a healthy simulated
// controller, writes and verifies ABC123 and reads it back through the
// dialog, saves a screenshot after each step (demo-write.bmp, demo-read.bmp)
// and prints the operation log.
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <wchar.h>

#include <algorithm>

#include "driver.h"
#include "resource.h"

static int Fail(const char *what)
{
    fprintf(stderr, "quendle_demo: %s\n", what);
    return 1;
}

static size_t CountLines(const std::string &text)
{
    return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
}

// Waits until the request has logged its line and the button is usable.
static bool WaitForRequest(HWND dialog, const std::wstring &log, size_t lines)
{
    HWND button = GetDlgItem(dialog, IDOK);
    return WaitUntil(
        [&] { return CountLines(ReadFileBytes(log)) >= lines && IsWindowEnabled(button); },
        kPromptMs);
}

static bool Screenshot(HWND dialog, const std::wstring &path)
{
    RepaintNow(dialog);
    return SaveWindowBitmap(dialog, path);
}

static int RunDemo(const std::wstring &folder)
{
    CreateDirectoryW(folder.c_str(), nullptr);
    if (!CopyProgramInto(folder)) {
        return Fail("cannot copy quendle.exe and QuarnPubIf.dll into the folder");
    }
    const std::wstring log = folder + L"\\quendle.log";
    // A fresh controller and log, so that the output shows this run only.
    DeleteFileW(log.c_str());
    DeleteFileW((folder + L"\\controller-sim.state").c_str());
    DeleteFileW((folder + L"\\controller-sim.txt").c_str());

    Instance instance;
    if (!StartQuendle(folder, &instance)) {
        return Fail("cannot start quendle.exe");
    }
    HWND dialog = WaitForDialog(instance, kPromptMs);
    int result = 0;
    if (dialog == nullptr) {
        result = Fail("no dialog appeared");
    } else if (!WaitUntil([&] { return ReadControlText(dialog, IDC_NOW_TEXT) != L"now"; },
                          kPromptMs)) {
        result = Fail("the clock did not start");
    } else if (!SendClick(dialog, IDC_WRITE_RADIO) ||
               !WriteControlText(dialog, IDC_SN_EDIT, L"ABC123")) {
        result = Fail("cannot prepare the write");
    } else {
        PostClick(dialog, IDOK);
        if (!WaitForRequest(dialog, log, 1)) {
            result = Fail("the write did not finish");
        } else if (!Screenshot(dialog, folder + L"\\demo-write.bmp")) {
            result = Fail("cannot save demo-write.bmp");
        } else if (!SendClick(dialog, IDC_READ_RADIO)) {
            result = Fail("cannot switch to Read");
        } else {
            PostClick(dialog, IDOK);
            if (!WaitForRequest(dialog, log, 2) ||
                !WaitUntil(
                    [&] {
                        return ReadControlText(dialog, IDC_CLOSE_TIME_TEXT) != L"Time to close";
                    },
                    kPromptMs)) {
                result = Fail("the read did not finish");
            } else if (!Screenshot(dialog, folder + L"\\demo-read.bmp")) {
                result = Fail("cannot save demo-read.bmp");
            } else if (WaitForExit(instance, kPromptMs) != 0) {
                result = Fail("quendle.exe did not close itself after the read");
            }
        }
    }
    EndInstance(&instance);

    std::string text = ReadFileBytes(log);
    // The log's own CR LF line ends, unchanged.
    _setmode(_fileno(stdout), _O_BINARY);
    fwrite(text.data(), 1, text.size(), stdout);
    fflush(stdout);
    return result;
}

int wmain(int argc, wchar_t **argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: quendle_demo FOLDER\n");
        return 2;
    }
    return RunDemo(WindowsPath(argv[1]));
}
