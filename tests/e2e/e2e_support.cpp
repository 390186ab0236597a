// The shared parts of the end-to-end cases.
#include "e2e_support.h"

#include "icon_pixels.h"

#include "app/app_state.h"
#include "config/settings.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

bool Screenshot::Capture()
{
    width_ = GetSystemMetrics(SM_CXSCREEN);
    height_ = GetSystemMetrics(SM_CYSCREEN);
    pixels_.assign(static_cast<size_t>(width_) * height_, 0);
    BITMAPINFO info = TopDown32(width_, height_);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width_, height_);
    HGDIOBJ old = SelectObject(memory, bitmap);
    bool ok = BitBlt(memory, 0, 0, width_, height_, screen, 0, 0, SRCCOPY) != 0;
    SelectObject(memory, old);   // GetDIBits wants the bitmap selected nowhere
    ok = ok && GetDIBits(memory, bitmap, 0, height_, pixels_.data(), &info, DIB_RGB_COLORS) == height_;
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    for (uint32_t& p : pixels_)
        p &= 0xFFFFFF;
    return ok;
}

uint32_t Screenshot::Pixel(int x, int y) const
{
    return x < 0 || y < 0 || x >= width_ || y >= height_ ? 0 : pixels_[static_cast<size_t>(y) * width_ + x];
}

bool Screenshot::SaveBmp(const std::string& path) const
{
    BITMAPINFOHEADER header = TopDown32(width_, height_).bmiHeader;
    BITMAPFILEHEADER file = {0x4D42, 0, 0, 0, sizeof file + sizeof header};
    file.bfSize = static_cast<DWORD>(file.bfOffBits + pixels_.size() * 4);
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&header), sizeof header);
    bytes.append(reinterpret_cast<const char*>(pixels_.data()), pixels_.size() * 4);
    WriteWholeFile(path, bytes);
    return FileExists(path);
}

bool Kelpra::Start(const std::string& arguments, const char* folder)
{
    if (!process_.Start(Quoted(BuildPath("kelpra.exe")) + (arguments.empty() ? "" : " " + arguments), folder))
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

DWORD ShellId()
{
    DWORD shellId = 0;
    GetWindowThreadProcessId(FindWindowA("Shell_TrayWnd", nullptr), &shellId);
    return shellId;
}

// The badge's ring at the top centre of the icon, by its hue.
Badge BadgeOf(uint32_t p)
{
    const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
    if (g > r + 30 && g > b + 30)
        return Badge::Good;
    if (r > g + 20 && g > b + 30 && 3 * g > r)
        return Badge::Caution;
    return r > 2 * g && r > 2 * b && r > 80 ? Badge::Danger : Badge::None;
}

// One tool's text, through memory of the shell's process: the tooltip
// control copies the text into a buffer that must live there.
std::string ToolText(HANDLE shell, HWND tooltip, UINT index)
{
    struct Remote {
        TTTOOLINFOW info;
        WCHAR text[1024];
    };
    auto* remote = static_cast<Remote*>(
        VirtualAllocEx(shell, nullptr, sizeof(Remote), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    Remote local = {};
    local.info.cbSize = sizeof local.info;
    local.info.lpszText = remote ? remote->text : nullptr;
    char ansi[2 * sizeof local.text] = "";
    if (remote && WriteProcessMemory(shell, remote, &local, sizeof local, nullptr) &&
        SendMessageW(tooltip, TTM_ENUMTOOLSW, index, reinterpret_cast<LPARAM>(&remote->info)) &&
        ReadProcessMemory(shell, remote, &local, sizeof local, nullptr)) {
        local.text[1023] = 0;
        WideCharToMultiByte(CP_ACP, 0, local.text, -1, ansi, sizeof ansi, nullptr, nullptr);
    }
    if (remote)
        VirtualFreeEx(shell, remote, 0, MEM_RELEASE);
    return ansi;
}

} // namespace

HWND Kelpra::WaitForMenu() const
{
    std::vector<HWND> menus;
    WaitUntil([&] { return !(menus = TopLevelWindows(Id(), "#32768", true)).empty(); }, 5000, 50);
    return menus.empty() ? nullptr : menus.front();
}

void ClickIcon(int position, bool right)
{
    SetCursorPos(TrayIconLeft(position) + TRAY_ICON_SIZE / 2, TRAY_ICON_TOP + TRAY_ICON_SIZE / 2);
    INPUT click[2] = {};
    click[0].type = click[1].type = INPUT_MOUSE;
    click[0].mi.dwFlags = right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
    click[1].mi.dwFlags = right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
    SendInput(2, click, sizeof(INPUT));
}

IconLook LookAt(const Screenshot& shot, int position, COLORREF digits)
{
    IconLook look;
    const int left = TrayIconLeft(position);
    std::set<uint32_t> colours;
    int white = 0;
    for (int y = 0; y < TRAY_ICON_SIZE; ++y) {
        for (int x = 0; x < TRAY_ICON_SIZE; ++x) {
            uint32_t p = shot.Pixel(left + x, TRAY_ICON_TOP + y);
            colours.insert(p);
            look.digitPixels += x < 7 && p == PixelRgb(digits);
            look.markPixels += x >= 7 && y >= 7 && p == PixelRgb(HOT_DIGITS);
            white += p == 0xFAFAFA;
        }
    }
    look.colours = static_cast<int>(colours.size());
    look.errorImage = white >= 20;
    look.badge = look.errorImage ? Badge::None : BadgeOf(shot.Pixel(left + 7, TRAY_ICON_TOP));
    return look;
}

void ExpectLooks(const std::vector<ExpectedLook>& looks)
{
    Screenshot shot;
    ASSERT_TRUE(shot.Capture());
    for (size_t i = 0; i < looks.size(); ++i) {
        SCOPED_TRACE("position " + std::to_string(i));
        const ExpectedLook& e = looks[i];
        const IconLook look = LookAt(shot, static_cast<int>(i), e.digits);
        const COLORREF other = e.digits == COOL_DIGITS ? HOT_DIGITS : COOL_DIGITS;
        EXPECT_EQ(look.errorImage, e.digits == ERROR_IMAGE);
        EXPECT_TRUE(e.digits <= NO_DIGITS || look.digitPixels >= 8) << "digits in their colour";
        EXPECT_TRUE(e.digits <= NO_DIGITS || !LookAt(shot, static_cast<int>(i), other).digitPixels) << "only in it";
        EXPECT_EQ(look.badge, e.badge);
        EXPECT_EQ(look.markPixels > 0, e.mark);
    }
    EXPECT_EQ(LookAt(shot, static_cast<int>(looks.size()), COOL_DIGITS).colours, 1) << "no icon after them";
}

Square IconSquare(const Screenshot& shot, int position)
{
    Square pixels;
    for (int y = 0; y < TRAY_ICON_SIZE; ++y)
        for (int x = 0; x < TRAY_ICON_SIZE; ++x)
            pixels.push_back(shot.Pixel(TrayIconLeft(position) + x, TRAY_ICON_TOP + y));
    return pixels;
}

IconLook LookNow(int position, COLORREF digits)
{
    Screenshot shot;
    shot.Capture();
    return LookAt(shot, position, digits);
}

bool TrayEmpty(int count)
{
    Screenshot shot;
    bool empty = shot.Capture();
    for (int i = 0; i < count; ++i)
        empty = empty && !ShowsAnIcon(LookAt(shot, i, COOL_DIGITS));
    return empty;
}

bool HasTooltip(const std::string& text)
{
    bool found = false;
    const DWORD shellId = ShellId();
    HANDLE shell = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, shellId);
    if (!shellId || !shell)
        return false;
    for (HWND tooltip : TopLevelWindows(shellId, TOOLTIPS_CLASSA)) {
        UINT count = static_cast<UINT>(SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0));
        for (UINT i = 0; i < count && i < 64; ++i)
            found = found || ToolText(shell, tooltip, i) == text;
    }
    CloseHandle(shell);
    return found;
}

std::vector<HWND> VisibleBalloons()
{
    std::vector<HWND> balloons;
    RECT r;
    for (HWND tip : TopLevelWindows(ShellId(), TOOLTIPS_CLASSA, true))
        if (GetWindowRect(tip, &r) && r.bottom - r.top > 100)
            balloons.push_back(tip);
    return balloons;
}

namespace {

// A failed case leaves a picture of the desktop at its first failure in
// KELPRA_E2E_OUT, named after the case.
class FailurePictures : public testing::EmptyTestEventListener {
    void OnTestPartResult(const testing::TestPartResult& result) override
    {
        const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
        const char* out = std::getenv("KELPRA_E2E_OUT");
        Screenshot shot;
        if (out && info && result.failed() && saved_.insert(info).second && shot.Capture())
            shot.SaveBmp(std::string("Z:") + out + "\\" + info->test_suite_name() + "." + info->name() + ".bmp");
    }
    std::set<const testing::TestInfo*> saved_;
};

// Registered before main runs, as gtest_main gives no other hook.
const bool registered = [] {
    testing::UnitTest::GetInstance()->listeners().Append(new FailurePictures);
    return true;
}();

} // namespace
