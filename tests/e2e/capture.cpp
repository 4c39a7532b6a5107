// Pixels from the screen: screenshots of the dialog and the icon of a box.
#include "driver.h"

#include <string.h>

#include <vector>

// A top-down 32-bit image of a screen area.
struct Pixels {
    int width;
    int height;
    std::vector<DWORD> data;
};

static HBITMAP CreateTopDownBitmap(HDC dc, int width, int height, void **bits)
{
    BITMAPINFO info;
    memset(&info, 0, sizeof info);
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return CreateDIBSection(dc, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

static Pixels CaptureScreen(const RECT &rect)
{
    Pixels pixels = {rect.right - rect.left, rect.bottom - rect.top, std::vector<DWORD>()};
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void *bits = nullptr;
    HBITMAP bitmap = CreateTopDownBitmap(screen, pixels.width, pixels.height, &bits);
    if (bitmap != nullptr) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, pixels.width, pixels.height, screen, rect.left, rect.top, SRCCOPY);
        GdiFlush();
        const DWORD *first = static_cast<const DWORD *>(bits);
        pixels.data.assign(first, first + pixels.width * pixels.height);
        SelectObject(memory, old);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

void RepaintNow(HWND window)
{
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    // Two round trips through the window's message loop: its thread hands
    // what it painted to the display when it goes idle.
    for (int i = 0; i < 2; ++i) {
        DWORD_PTR result = 0;
        SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &result);
    }
}

bool SaveWindowBitmap(HWND window, const std::wstring &path)
{
    RECT rect;
    if (!GetWindowRect(window, &rect)) {
        return false;
    }
    Pixels pixels = CaptureScreen(rect);
    if (pixels.data.empty()) {
        return false;
    }
    // 24-bit rows, bottom-up, each padded to a multiple of 4 bytes.
    int stride = (pixels.width * 3 + 3) & ~3;
    std::string image(static_cast<size_t>(stride) * pixels.height, '\0');
    for (int y = 0; y < pixels.height; ++y) {
        char *row = &image[static_cast<size_t>(pixels.height - 1 - y) * stride];
        for (int x = 0; x < pixels.width; ++x) {
            DWORD pixel = pixels.data[static_cast<size_t>(y) * pixels.width + x];
            row[x * 3] = static_cast<char>(pixel & 0xFF);
            row[x * 3 + 1] = static_cast<char>((pixel >> 8) & 0xFF);
            row[x * 3 + 2] = static_cast<char>((pixel >> 16) & 0xFF);
        }
    }
    BITMAPFILEHEADER file;
    BITMAPINFOHEADER info;
    memset(&file, 0, sizeof file);
    memset(&info, 0, sizeof info);
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = static_cast<DWORD>(file.bfOffBits + image.size());
    info.biSize = sizeof info;
    info.biWidth = pixels.width;
    info.biHeight = pixels.height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    info.biSizeImage = static_cast<DWORD>(image.size());
    std::string bytes(reinterpret_cast<const char *>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char *>(&info), sizeof info);
    bytes += image;
    return WriteFileBytes(path, bytes);
}

// The icon drawn by this process on the background colour, as the box's icon
// control would draw it.
static Pixels DrawIconOn(LPCWSTR iconName, int width, int height, DWORD background)
{
    Pixels pixels = {width, height, std::vector<DWORD>()};
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void *bits = nullptr;
    HBITMAP bitmap = CreateTopDownBitmap(screen, width, height, &bits);
    if (bitmap != nullptr) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        DWORD *first = static_cast<DWORD *>(bits);
        for (int i = 0; i < width * height; ++i) {
            first[i] = background;
        }
        DrawIconEx(memory, 0, 0, LoadIconW(nullptr, iconName), width, height, 0, nullptr,
                   DI_NORMAL);
        GdiFlush();
        pixels.data.assign(first, first + width * height);
        SelectObject(memory, old);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

static int CountDifferences(const Pixels &a, const Pixels &b)
{
    if (a.data.size() != b.data.size()) {
        return a.width * a.height + 1;
    }
    int differences = 0;
    for (size_t i = 0; i < a.data.size(); ++i) {
        if ((a.data[i] & 0xFFFFFF) != (b.data[i] & 0xFFFFFF)) {
            ++differences;
        }
    }
    return differences;
}

static BOOL CALLBACK MatchIconControl(HWND child, LPARAM param)
{
    WCHAR className[16];
    if (GetClassNameW(child, className, 16) && lstrcmpiW(className, L"Static") == 0 &&
        (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
        *reinterpret_cast<HWND *>(param) = child;
        return FALSE;
    }
    return TRUE;
}

BoxIcon ReadBoxIcon(HWND box)
{
    HWND control = nullptr;
    EnumChildWindows(box, MatchIconControl, reinterpret_cast<LPARAM>(&control));
    RECT rect;
    if (control == nullptr || !GetWindowRect(control, &rect)) {
        return kIconUnknown;
    }
    RepaintNow(box);
    Pixels shown = CaptureScreen(rect);
    if (shown.data.empty()) {
        return kIconUnknown;
    }
    // Both icons leave the corner of their square transparent.
    DWORD background = shown.data[0];
    if (CountDifferences(shown, DrawIconOn(IDI_ERROR, shown.width, shown.height, background)) ==
        0) {
        return kIconError;
    }
    if (CountDifferences(shown, DrawIconOn(IDI_INFORMATION, shown.width, shown.height,
                                           background)) == 0) {
        return kIconInformation;
    }
    return kIconUnknown;
}
