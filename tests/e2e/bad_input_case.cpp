// kelpra.exe started on bad local input: a settings file with overlong
// lines, binary garbage, huge and negative numbers; corrupt, truncated and
// empty icon override files in its current folder. Each start must reach
// the server, show its icon, end with exit code 0 on WM_CLOSE and leave the
// settings file as it was (the drive's values equal its unset baseline, so
// nothing gives the program a reason to write).
#include "app/app_state.h"
#include "config/settings.h"
#include "msgbox_watcher.h"
#include "screen.h"
#include "sim_server.h"
#include "test_env.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

// One drive whose watched values equal an unset baseline (-1): the first
// refresh finds no change and saves nothing.
const char* const QUIET_DRIVE = R"({"drives":[{"position":0,"Temperature":31,"State":"good",
    "A05":-1,"A09":-1,"AC4":-1,"AC5":-1,"AC6":-1,"DriveNumber":"Disk 0"}]})";

// The first icon of the virtual desktop's notification area.
constexpr int ICON_LEFT = 1006, ICON_TOP = 750, ICON_SIZE = 16;

int ChangedIconPixels(const Screenshot& before)
{
    Screenshot now;
    if (!now.Capture())
        return 0;
    int n = 0;
    for (int y = ICON_TOP; y < ICON_TOP + ICON_SIZE; ++y)
        for (int x = ICON_LEFT; x < ICON_LEFT + ICON_SIZE; ++x)
            n += now.Pixel(x, y) != before.Pixel(x, y);
    return n;
}

bool WaitForIcon(const Screenshot& before, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        if (ChangedIconPixels(before) >= 20)
            return true;
        Sleep(100);
    }
    return false;
}

// Deterministic bytes of every value, 0, CR, LF, '[' and lone lead bytes
// among them.
std::string Garbage(size_t size, unsigned seed)
{
    std::string bytes(size, '\0');
    for (char& c : bytes) {
        seed = seed * 1103515245u + 12345u;
        c = static_cast<char>(seed >> 16);
    }
    return bytes;
}

// The host section the program needs to reach the simulator, first in the
// file so that what follows cannot hide it.
std::string HostSection(UINT port)
{
    return "[127.0.0.1]\r\nPort=" + std::to_string(port) + "\r\nTimeOut=1\r\nCommandError=0\r\n";
}

struct StartResult {
    bool windowFound = false;
    bool queried = false;      // the start-up's query and first refresh arrived
    bool iconShown = false;
    bool runningAfter = false;
    bool exited = false;
    DWORD exitCode = 1234;
    size_t boxes = 0;
    std::string boxTexts;
};

// Starts kelpra.exe in folder, waits for its icon and ends it from outside.
StartResult StartAndClose(SimServer& sim, const std::string& folder)
{
    StartResult r;
    Screenshot before;
    before.Capture();
    size_t requestsBefore = sim.RequestCount();
    ChildProcess kelpra;
    if (!kelpra.Start("\"" + BuildPath("kelpra.exe") + "\"", folder.c_str()))
        return r;
    MsgBoxWatcher boxes(kelpra.Id());
    HWND window = WaitForWindow(MAIN_WINDOW_CLASS, kelpra.Id(), 20000);
    r.windowFound = window != nullptr;
    r.queried = sim.WaitForRequests(requestsBefore + 2, 20000);
    r.iconShown = WaitForIcon(before, 10000);
    r.runningAfter = WaitForSingleObject(kelpra.Handle(), 0) == WAIT_TIMEOUT;
    if (window)
        PostMessageA(window, WM_CLOSE, 0, 0);
    r.exited = kelpra.WaitExit(20000, &r.exitCode);
    r.boxes = boxes.Count();
    for (const SeenBox& b : boxes.Boxes())
        r.boxTexts += b.caption + ": " + b.text + "\n";
    // The icon leaves with the program before the next case looks.
    DWORD start = GetTickCount();
    while (ChangedIconPixels(before) != 0 && GetTickCount() - start < 5000)
        Sleep(100);
    return r;
}

void ExpectSoundRun(const StartResult& r, const std::string& name)
{
    EXPECT_TRUE(r.windowFound) << name;
    EXPECT_TRUE(r.queried) << name;
    EXPECT_TRUE(r.iconShown) << name;
    EXPECT_TRUE(r.runningAfter) << name << ": still running after start-up";
    EXPECT_TRUE(r.exited) << name;
    EXPECT_EQ(r.exitCode, 0u) << name;
    EXPECT_EQ(r.boxes, 0u) << name << ": no message box\n" << r.boxTexts;
}

// A folder of its own under the temporary directory, for icon files.
std::string CaseFolder(const char* name)
{
    char temp[MAX_PATH] = "";
    GetTempPathA(sizeof temp, temp);
    std::string folder = std::string(temp) + "kelpra-bad-input-" + name;
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

std::string EmptyFolder()
{
    return CaseFolder("none");
}

struct SettingsCase {
    const char* name;
    std::string (*tail)();   // what follows the host section's first lines
    const char* box;         // the one error box expected, or none
};

// A host number whose icons cannot be painted leaves the icon set unbuilt:
// the program says so in its error box and ends with exit code 0.
const char* const ICON_BUILD_FAILED = "アイコンのビルドに失敗しました。";

std::string OverlongLines()
{
    return "Label=" + std::string(10000, 'L') + "\r\n" + "TextFont=-17,0,0,0,700,0,0,0,0,0,0,0,2," +
           std::string(3000, 'F') + "\r\n" + std::string(20000, 'x') + "\r\n[" + std::string(5000, 'S') +
           "]\r\n" + std::string(70000, '=') + "\r\n";
}

std::string BinaryGarbage()
{
    return Garbage(8192, 1) + "\r\n" + Garbage(4096, 2);
}

std::string HugeAndNegativeNumbers()
{
    // HostNumber 61: the largest whose host-number icons (61 x 16 + 15 =
    // 991) stay within what an icon paints.
    return "Timer=-1\r\nTemp=-5\r\nHostNumber=61\r\nViewType=-7\r\nShadowType=999999999999\r\n"
           "Debug=99999999999999999999\r\nCoolTextColor=300,-5,99999999999\r\nCoolShadowColor=-1,-1,-1\r\n"
           "HotTextColor=2147483648,4294967296,-2147483649\r\nMaskColor=,,,\r\n";
}

std::string WildFont()
{
    return "TextFont=-40,-5,99999,-99999,99999,300,-1,256,999,-3,77,5000,-9,\r\n";
}

// The bit pattern of -1: host-number icons beyond 999, which no icon paints.
std::string HostNumberBeyondTheIcons()
{
    return "HostNumber=4294967295\r\n";
}

std::string LoneLeadBytesAndBrokenLines()
{
    // Double-byte lead bytes without trail bytes, at the ends of values and
    // of the file; a section line without its bracket; keys without values.
    return "Label=\x81\r\nTextFont=-17,0,0,0,700,0,0,0,0,0,0,0,2,\x83\r\n[unclosed\r\n=novalue\r\nkey only\r\n"
           "\x81\x81\x81=\x81\r\n[\x83]\r\nCheck=\x9f";
}

const SettingsCase SETTINGS_CASES[] = {
    {"overlong_lines", OverlongLines, nullptr},
    {"binary_garbage", BinaryGarbage, nullptr},
    {"huge_and_negative_numbers", HugeAndNegativeNumbers, nullptr},
    {"lone_lead_bytes_and_broken_lines", LoneLeadBytesAndBrokenLines, nullptr},
    {"wild_font_numbers", WildFont, nullptr},
    {"host_number_beyond_the_icons", HostNumberBeyondTheIcons, ICON_BUILD_FAILED},
};

TEST(BadInput, SettingsFilesWithGarbageStartRunAndStayUntouched)
{
    SimServer sim(QUIET_DRIVE);
    ASSERT_TRUE(sim.Running());
    const std::string path = SettingsFilePath();
    for (const SettingsCase& c : SETTINGS_CASES) {
        const std::string file = HostSection(sim.Port()) + c.tail();
        WriteWholeFile(path, file);
        StartResult r = StartAndClose(sim, EmptyFolder());
        if (c.box) {
            EXPECT_TRUE(r.exited) << c.name;
            EXPECT_EQ(r.exitCode, 0u) << c.name;
            EXPECT_EQ(r.boxTexts, std::string(ERROR_CAPTION) + ": " + c.box + "\n") << c.name;
        } else {
            ExpectSoundRun(r, c.name);
        }
        EXPECT_TRUE(ReadWholeFile(path) == file) << c.name << ": the settings file was changed";
    }
    RemoveProfile(SettingsFilePath());
}

// An icon file as the build carries it, for cutting and spoiling.
std::string ValidIcon()
{
    const char* source = std::getenv("KELPRA_SOURCE_DIR");
    if (!source)
        return std::string();
    std::string path = std::string("Z:") + source + "/res/icons/badge_good.ico";
    for (char& ch : path)
        if (ch == '/')
            ch = '\\';
    return ReadWholeFile(path);
}

struct IconCase {
    const char* name;
    const char* file;
    std::string (*bytes)(const std::string& valid);
};

const IconCase ICON_CASES[] = {
    {"empty_badge", "B_GOOD.ICO", [](const std::string&) { return std::string(); }},
    {"truncated_header", "B_GOOD.ICO", [](const std::string& v) { return v.substr(0, 10); }},
    {"truncated_image", "B_WARN.ICO", [](const std::string& v) { return v.substr(0, v.size() / 2); }},
    {"directory_beyond_the_file", "F_DNGR.ICO",
     [](const std::string& v) {
         std::string s = v.substr(0, 22);
         if (s.size() == 22)
             for (int i = 14; i < 22; ++i)   // image size and offset of the first entry
                 s[static_cast<size_t>(i)] = '\x7f';
         return s;
     }},
    {"garbage_error_image", "S_ERR.ICO", [](const std::string&) { return Garbage(766, 3); }},
    {"icon_header_with_garbage", "B_DNGR.ICO",
     [](const std::string&) { return std::string("\0\0\1\0\x10\0", 6) + Garbage(1000, 4); }},
};

TEST(BadInput, CorruptOrTruncatedIconOverridesFallBackAndRun)
{
    const std::string valid = ValidIcon();
    ASSERT_GT(valid.size(), 22u) << "the build's icon source (KELPRA_SOURCE_DIR)";
    SimServer sim(QUIET_DRIVE);
    ASSERT_TRUE(sim.Running());
    for (const IconCase& c : ICON_CASES) {
        RemoveProfile(SettingsFilePath());
        WriteWholeFile(SettingsFilePath(), HostSection(sim.Port()));
        std::string folder = CaseFolder(c.name);
        std::string icon = folder + "\\" + c.file;
        WriteWholeFile(icon, c.bytes(valid));
        StartResult r = StartAndClose(sim, folder);
        ExpectSoundRun(r, c.name);
        DeleteFileA(icon.c_str());
        RemoveDirectoryA(folder.c_str());
    }
    RemoveProfile(SettingsFilePath());
}

} // namespace
