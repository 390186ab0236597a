// The tray of the virtual desktop's taskbar while kelpra.exe runs against
// velmora-sim: one icon per drive, the error image while the server is
// silent, the numbers again when it answers.
#include "app/app_state.h"
#include "config/settings.h"
#include "screen.h"
#include "sim_server.h"
#include "test_env.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The notification area at the right end of the taskbar (1024 x 768).
constexpr int TRAY_LEFT = 900, TRAY_TOP = 748, TRAY_RIGHT = 1024, TRAY_BOTTOM = 768;

struct TrayColours {
    int green = 0;   // digits and badge of a cool, good drive
    int red = 0;     // the error image
};

TrayColours ReadTray(Screenshot* keep = nullptr)
{
    Screenshot shot;
    TrayColours c;
    if (!shot.Capture())
        return c;
    for (int y = TRAY_TOP; y < TRAY_BOTTOM; ++y) {
        for (int x = TRAY_LEFT; x < TRAY_RIGHT; ++x) {
            uint32_t p = shot.Pixel(x, y);
            c.green += Green(p) > 200 && Red(p) < 100 && Blue(p) < 100;
            c.red += Red(p) > 180 && Green(p) < 80 && Blue(p) < 80;
        }
    }
    if (keep)
        *keep = shot;
    return c;
}

// Waits (bounded) until the tray shows what `wanted` accepts.
template <typename Wanted>
bool WaitForTray(Wanted wanted, DWORD timeoutMs, TrayColours* seen)
{
    DWORD start = GetTickCount();
    for (;;) {
        *seen = ReadTray();
        if (wanted(*seen))
            return true;
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(250);
    }
}

const char* const TWO_COOL_DRIVES = R"({"drives":[
    {"position":0,"Temperature":31,"State":"good","DriveNumber":"Disk 0"},
    {"position":1,"Temperature":33,"State":"good","DriveNumber":"Disk 1"}]})";
const char* const SILENT = R"({"drives":[
    {"position":0,"Temperature":31,"State":"good","DriveNumber":"Disk 0"},
    {"position":1,"Temperature":33,"State":"good","DriveNumber":"Disk 1"}],
    "faults":[{"request":"all","kind":"no-reply"}]})";

TEST(EndToEnd, TrayShowsTheDrivesTheErrorImageWhileTheServerIsSilentAndTheNumbersAgain)
{
    SimServer sim(TWO_COOL_DRIVES);
    ASSERT_TRUE(sim.Running());
    RemoveProfile(SettingsFilePath());
    WritePrivateProfileStringA("127.0.0.1", "Port", std::to_string(sim.Port()).c_str(), SettingsFilePath());
    WritePrivateProfileStringA("127.0.0.1", "TimeOut", "1", SettingsFilePath());
    WritePrivateProfileStringA("127.0.0.1", "Timer", "1", SettingsFilePath());
    WritePrivateProfileStringA("127.0.0.1", "CommandError", "0", SettingsFilePath());
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, SettingsFilePath());

    TrayColours before = ReadTray();
    EXPECT_EQ(before.green, 0) << "the tray starts empty";

    ChildProcess kelpra;
    ASSERT_TRUE(kelpra.Start("\"" + BuildPath("kelpra.exe") + "\""));
    HWND window = WaitForWindow(MAIN_WINDOW_CLASS, kelpra.Id(), 20000);
    ASSERT_NE(window, nullptr);

    auto showsNumbers = [](const TrayColours& c) { return c.green > 40 && c.red < 10; };
    auto showsErrors = [](const TrayColours& c) { return c.red > 40 && c.green < 10; };
    TrayColours seen;
    EXPECT_TRUE(WaitForTray(showsNumbers, 20000, &seen)) << "green " << seen.green << " red " << seen.red;

    ASSERT_TRUE(sim.SetScenario(SILENT));
    EXPECT_TRUE(WaitForTray(showsErrors, 30000, &seen)) << "green " << seen.green << " red " << seen.red;

    ASSERT_TRUE(sim.SetScenario(TWO_COOL_DRIVES));
    EXPECT_TRUE(WaitForTray(showsNumbers, 30000, &seen)) << "green " << seen.green << " red " << seen.red;

    PostMessageA(window, WM_CLOSE, 0, 0);
    DWORD code = 1234;
    ASSERT_TRUE(kelpra.WaitExit(30000, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(WaitForTray([](const TrayColours& c) { return c.green == 0 && c.red == 0; }, 10000, &seen))
        << "the icons leave with the program";
    RemoveProfile(SettingsFilePath());
}

} // namespace
