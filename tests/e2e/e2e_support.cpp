// The shared parts of the end-to-end cases.
#include "e2e_support.h"

#include "app/app_state.h"
#include "config/settings.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

void WriteSection(const char* section, const std::vector<Setting>& keys)
{
    for (const Setting& k : keys)
        WritePrivateProfileStringA(section, k.first, k.second.c_str(), SettingsFilePath());
    // Flushes the profile cache, so kelpra.exe reads what was written.
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, SettingsFilePath());
}

void WriteOnlySection(const char* section, const std::vector<Setting>& keys)
{
    RemoveProfile(SettingsFilePath());
    WriteSection(section, keys);
}

std::string ReadSetting(const char* section, const char* key)
{
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, SettingsFilePath());
    char value[512] = "";
    GetPrivateProfileStringA(section, key, "<missing>", value, sizeof value, SettingsFilePath());
    return value;
}

bool Kelpra::Start(const std::string& arguments, const char* folder)
{
    std::string line = "\"" + BuildPath("kelpra.exe") + "\"";
    if (!arguments.empty())
        line += " " + arguments;
    if (!process_.Start(line, folder))
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

std::vector<HWND> Visible(std::vector<HWND> windows)
{
    std::vector<HWND> shown;
    for (HWND w : windows)
        if (IsWindowVisible(w))
            shown.push_back(w);
    return shown;
}

DWORD ShellId()
{
    DWORD shellId = 0;
    GetWindowThreadProcessId(FindWindowA("Shell_TrayWnd", nullptr), &shellId);
    return shellId;
}

} // namespace

HWND Kelpra::WaitForMenu() const
{
    HWND menu = nullptr;
    WaitUntil([&] {
        std::vector<HWND> menus = Visible(TopLevelWindows(Id(), "#32768"));
        menu = menus.empty() ? nullptr : menus.front();
        return menu != nullptr;
    }, 5000, 50);
    return menu;
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

namespace {

bool Near(uint32_t pixel, COLORREF colour)
{
    return Red(pixel) == GetRValue(colour) && Green(pixel) == GetGValue(colour) && Blue(pixel) == GetBValue(colour);
}

// The badge's ring at the top centre of the icon, by its hue.
Badge BadgeOf(uint32_t p)
{
    int r = Red(p), g = Green(p), b = Blue(p);
    if (g > r + 30 && g > b + 30)
        return Badge::Good;
    if (r > g + 20 && g > b + 30 && 3 * g > r)
        return Badge::Caution;
    if (r > 2 * g && r > 2 * b && r > 80)
        return Badge::Danger;
    return Badge::None;
}

} // namespace

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
            look.digitPixels += x < 7 && Near(p, digits);
            look.markPixels += x >= 7 && y >= 7 && Near(p, HOT_DIGITS);
            white += p == 0xFAFAFA;
        }
    }
    look.colours = static_cast<int>(colours.size());
    look.errorImage = white >= 20;
    look.badge = look.errorImage ? Badge::None : BadgeOf(shot.Pixel(left + 7, TRAY_ICON_TOP));
    return look;
}

Square IconPixels(const Screenshot& shot, int position)
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
    if (!shot.Capture())
        return false;
    for (int i = 0; i < count; ++i)
        if (LookAt(shot, i, COOL_DIGITS).colours > 2)
            return false;
    return true;
}

namespace {

// One tool's text, through memory of the shell's process: the tooltip
// control copies the text into a buffer that must live there.
std::string ToolText(HANDLE shell, HWND tooltip, UINT index)
{
    constexpr size_t TEXT_CHARS = 1024;
    struct Remote {
        TTTOOLINFOW info;
        WCHAR text[TEXT_CHARS];
    };
    auto* remote = static_cast<Remote*>(
        VirtualAllocEx(shell, nullptr, sizeof(Remote), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    if (!remote)
        return "";
    Remote local = {};
    local.info.cbSize = sizeof local.info;
    local.info.lpszText = remote->text;
    std::string text;
    SIZE_T done = 0;
    if (WriteProcessMemory(shell, remote, &local, sizeof local, &done) &&
        SendMessageW(tooltip, TTM_ENUMTOOLSW, index, reinterpret_cast<LPARAM>(&remote->info)) &&
        ReadProcessMemory(shell, remote, &local, sizeof local, &done)) {
        local.text[TEXT_CHARS - 1] = 0;
        char ansi[2 * TEXT_CHARS] = "";
        WideCharToMultiByte(CP_ACP, 0, local.text, -1, ansi, sizeof ansi, nullptr, nullptr);
        text = ansi;
    }
    VirtualFreeEx(shell, remote, 0, MEM_RELEASE);
    return text;
}

} // namespace

std::vector<std::string> TrayTooltips()
{
    std::vector<std::string> texts;
    const DWORD shellId = ShellId();
    if (!shellId)
        return texts;
    HANDLE shell = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, shellId);
    if (!shell)
        return texts;
    for (HWND tooltip : TopLevelWindows(shellId, TOOLTIPS_CLASSA)) {
        UINT count = static_cast<UINT>(SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0));
        for (UINT i = 0; i < count && i < 64; ++i) {
            std::string text = ToolText(shell, tooltip, i);
            if (!text.empty())
                texts.push_back(text);
        }
    }
    CloseHandle(shell);
    return texts;
}

bool HasTooltip(const std::string& text)
{
    for (const std::string& t : TrayTooltips())
        if (t == text)
            return true;
    return false;
}

std::vector<HWND> VisibleBalloons()
{
    std::vector<HWND> balloons;
    RECT r;
    for (HWND tip : Visible(TopLevelWindows(ShellId(), TOOLTIPS_CLASSA)))
        if (GetWindowRect(tip, &r) && r.bottom - r.top > 100)
            balloons.push_back(tip);
    return balloons;
}

void PressMenuKeys(HWND menu, const std::vector<UINT>& keys)
{
    for (UINT key : keys) {
        PostMessageA(menu, WM_KEYDOWN, key, 0);
        Sleep(100);
    }
}

namespace {

// Every failed case leaves a picture of the desktop in KELPRA_E2E_OUT,
// named after the case, so that a failure can be looked at.
class FailurePictures : public testing::EmptyTestEventListener {
    void OnTestEnd(const testing::TestInfo& info) override
    {
        const char* out = std::getenv("KELPRA_E2E_OUT");
        Screenshot shot;
        if (!out || !info.result()->Failed() || !shot.Capture())
            return;
        std::string path = std::string("Z:") + out + "/" + info.test_suite_name() + "." + info.name() + ".bmp";
        for (char& c : path)
            if (c == '/')
                c = '\\';
        shot.SaveBmp(path);
    }
};

// Registered before main runs, as gtest_main gives no other hook.
const bool registered = [] {
    testing::UnitTest::GetInstance()->listeners().Append(new FailurePictures);
    return true;
}();

} // namespace
