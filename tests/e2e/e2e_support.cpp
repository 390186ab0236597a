#include "e2e_support.h"

#include "icon_pixels.h"

#include "app/app_state.h"

#include <commctrl.h>

#include <cstdint>
#include <set>

bool Kelpra::Start(const std::string& arguments, const char* folder)
{
    return StartCommand(Quoted(BuildPath("kelpra.exe")) + (arguments.empty() ? "" : " " + arguments), folder);
}

bool Kelpra::StartCommand(const std::string& commandLine, const char* folder)
{
    if (!process_.Start(commandLine, folder))
        return false;
    window_ = WaitForWindow(MAIN_WINDOW_CLASS, process_.Id(), 20000);
    return window_ != nullptr;
}

bool Kelpra::EndsWithZero(DWORD timeoutMs)
{
    DWORD code = 1234;
    return process_.WaitExit(timeoutMs, &code) && code == 0;
}

bool Kelpra::CloseWithZero()
{
    PostMessageA(window_, WM_CLOSE, 0, 0);
    return EndsWithZero();
}

namespace {

// Tray icons from the right of the taskbar: the first one added at x 1006.
constexpr int ICON_TOP = 750;
constexpr int ICON_SIZE = 16;
int IconLeft(int position) { return 1006 - 20 * position; }

// The row of the screen that holds the tray icons, as 0x00RRGGBB; empty
// when it could not be read.
std::vector<uint32_t> TrayRow()
{
    const int width = GetSystemMetrics(SM_CXSCREEN);
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * ICON_SIZE);
    BITMAPINFO info = TopDown32(width, ICON_SIZE);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, ICON_SIZE);
    HGDIOBJ old = SelectObject(memory, bitmap);
    bool ok = BitBlt(memory, 0, 0, width, ICON_SIZE, screen, 0, ICON_TOP, SRCCOPY) != 0;
    SelectObject(memory, old);   // GetDIBits wants the bitmap selected nowhere
    ok = ok && GetDIBits(memory, bitmap, 0, ICON_SIZE, pixels.data(), &info, DIB_RGB_COLORS) == ICON_SIZE;
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    for (uint32_t& p : pixels)
        p &= 0xFFFFFF;
    return ok ? pixels : std::vector<uint32_t>();
}

// The badge's ring at the top centre of the icon, by its hue.
const char* BadgeOf(uint32_t p)
{
    const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
    if (g > r + 30 && g > b + 30)
        return " good";
    if (r > g + 20 && g > b + 30 && 3 * g > r)
        return " caution";
    return r > 2 * g && r > 2 * b && r > 80 ? " danger" : "";
}

// The default digit colours, and the white of the error image's bar.
constexpr uint32_t COOL = 0x00FF00, HOT = 0xFF0000, ERROR_BAR = 0xFAFAFA;

std::string LookOf(const std::vector<uint32_t>& row, int position)
{
    const int left = IconLeft(position);
    auto pixel = [&](int x, int y) { return row.at(static_cast<size_t>(y) * (row.size() / ICON_SIZE) + left + x); };
    std::set<uint32_t> colours;
    int cool = 0, hot = 0, mark = 0, bar = 0;
    for (int y = 0; y < ICON_SIZE; ++y) {
        for (int x = 0; x < ICON_SIZE; ++x) {
            const uint32_t p = pixel(x, y);
            colours.insert(p);
            cool += x < 7 && p == COOL;   // the left digit
            hot += x < 7 && p == HOT;
            mark += x >= 7 && y >= 7 && p == HOT;
            bar += p == ERROR_BAR;
        }
    }
    if (colours.size() <= 2)
        return "";
    if (bar >= 20)
        return "error";
    std::string look = cool >= 8 && !hot ? " cool" : hot >= 8 && !cool ? " hot" : "";
    look += BadgeOf(pixel(7, 0));
    look += mark && hot < 8 ? " mark" : "";
    return look.empty() ? "?" : look.substr(1);
}

} // namespace

void ClickIcon(int position, bool right)
{
    SetCursorPos(IconLeft(position) + ICON_SIZE / 2, ICON_TOP + ICON_SIZE / 2);
    INPUT click[2] = {};
    click[0].type = click[1].type = INPUT_MOUSE;
    click[0].mi.dwFlags = right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
    click[1].mi.dwFlags = right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
    SendInput(2, click, sizeof(INPUT));
}

testing::AssertionResult TrayShows(const std::vector<std::string>& looks, DWORD timeoutMs)
{
    std::vector<std::string> wanted = looks, seen;
    wanted.push_back("");   // no icon after them
    // The taskbar redraws the icons one by one: all are read from one capture.
    auto read = [&] {
        const std::vector<uint32_t> row = TrayRow();
        seen.clear();
        for (size_t i = 0; !row.empty() && i < wanted.size(); ++i) {
            const std::string look = LookOf(row, static_cast<int>(i));
            seen.push_back(wanted[i] == "*" && !look.empty() ? "*" : look);
        }
        return seen == wanted;
    };
    if (WaitUntil(read, timeoutMs, 200))
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "the tray shows " << testing::PrintToString(seen);
}

std::string Picture(int position)
{
    const std::vector<uint32_t> row = TrayRow();
    const size_t width = row.size() / ICON_SIZE;
    std::string picture;
    for (size_t y = 0; width && y < ICON_SIZE; ++y)
        picture.append(reinterpret_cast<const char*>(&row[y * width + IconLeft(position)]), 4 * ICON_SIZE);
    return picture;
}

std::vector<HWND> VisibleBalloons()
{
    DWORD shell = 0;
    GetWindowThreadProcessId(FindWindowA("Shell_TrayWnd", nullptr), &shell);
    std::vector<HWND> balloons;
    RECT r;
    for (HWND tip : TopLevelWindows(shell, TOOLTIPS_CLASSA, true))
        if (GetWindowRect(tip, &r) && r.bottom - r.top > 100)
            balloons.push_back(tip);
    return balloons;
}
