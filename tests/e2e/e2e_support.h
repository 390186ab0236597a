// What the end-to-end cases share: the settings sections they write, the
// running kelpra.exe seen from outside, screenshots of the virtual desktop
// and the look of a tray icon in them, the taskbar's tooltips and balloons.
#pragma once
#include <windows.h>

#include "test_env.h"

#include <cstdint>
#include <string>
#include <vector>

// For cases that read the tray's pixels: an alert's balloon would cover them.
const Setting NO_ALERTS = {"Alert", "0"};

// kelpra.exe as a user starts it: the command line after the program's name.
class Kelpra {
public:
    bool Start(const std::string& arguments = "", const char* folder = nullptr);
    HWND Window() const { return window_; }
    DWORD Id() const { return process_.Id(); }
    bool Running() const { return WaitForSingleObject(process_.Handle(), 0) == WAIT_TIMEOUT; }
    bool EndsWithZero(DWORD timeoutMs = 20000);   // ended in time with exit code 0
    bool CloseWithZero();                         // WM_CLOSE, then EndsWithZero
    void Command(UINT id) const { PostMessageA(window_, WM_COMMAND, id, 0); }
    // Its visible popup menu, waited for (bounded); null when none opened.
    HWND WaitForMenu() const;

private:
    ChildProcess process_;
    HWND window_ = nullptr;
};

// The whole screen (the virtual desktop with its taskbar) at one moment.
class Screenshot {
public:
    bool Capture();
    uint32_t Pixel(int x, int y) const;   // 0x00RRGGBB; 0 outside the picture
    bool SaveBmp(const std::string& path) const;

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<uint32_t> pixels_;
};

// Tray icons from the right of the taskbar: the first one added at x 1006.
constexpr int TRAY_ICON_TOP = 750;
constexpr int TRAY_ICON_SIZE = 16;
inline int TrayIconLeft(int position) { return 1006 - 20 * position; }
// A real mouse click through the shell on the icon at that position.
void ClickIcon(int position, bool right);

enum class Badge { None, Good, Caution, Danger };

// What one tray icon shows, read from its pixels.
struct IconLook {
    int digitPixels = 0;      // pixels of the digits' colour in the left digit
    int markPixels = 0;       // hot-red pixels right of and below the digits
    Badge badge = Badge::None;
    bool errorImage = false;  // the white bar of the error image
    int colours = 0;          // distinct colours (1: nothing there)
};

IconLook LookAt(const Screenshot& shot, int position, COLORREF digits);
IconLook LookNow(int position, COLORREF digits);   // captured afresh
using Square = std::vector<uint32_t>;               // 0x00RRGGBB, row by row
Square IconSquare(const Screenshot& shot, int position);
// Waits (bounded) until the icon at `position` satisfies `wanted`.
template <typename Wanted>
bool WaitForLook(int position, COLORREF digits, Wanted wanted, DWORD timeoutMs = 20000)
{
    return WaitUntil([&] { return wanted(LookNow(position, digits)); }, timeoutMs, 200);
}
inline bool ShowsDigits(const IconLook& l) { return l.digitPixels >= 8 && !l.errorImage; }
inline bool ShowsAnIcon(const IconLook& l) { return l.colours > 2; }
// No icon at any of the first `count` positions.
bool TrayEmpty(int count);

constexpr COLORREF COOL_DIGITS = RGB(0, 255, 0);
constexpr COLORREF HOT_DIGITS = RGB(255, 0, 0);
constexpr COLORREF ERROR_IMAGE = 1;   // in tables of looks: the error image
constexpr COLORREF NO_DIGITS = 2;     // in tables of looks: no number shown

// What the icons at positions 0, 1, ... must show; no icon may follow them.
struct ExpectedLook {
    COLORREF digits;
    Badge badge;
    bool mark;
};
void ExpectLooks(const std::vector<ExpectedLook>& looks);

// Whether the taskbar's tooltip controls in the shell's process hold this
// text (code page 932) for one of their tray icons.
bool HasTooltip(const std::string& text);

// The visible details balloons of the shell: tooltip windows far taller
// than the one-line hover tooltip.
std::vector<HWND> VisibleBalloons();
