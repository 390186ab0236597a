// The start-up's steps one by one (startup_steps.h), in the order of
// OnCreate (app/main_window.cpp), which they follow.
#include "startup_steps.h"

#include "figures.h"

#include "app/app_state.h"
#include "app/tray_set.h"
#include "config/settings.h"
#include "config/settings_location.h"
#include "icons/gdi_wrappers.h"
#include "icons/icon_set.h"
#include "icons/numicon.h"
#include "link/drive_slot.h"
#include "link/status_refresh.h"
#include "link/ws32lib.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

class StepClock {
public:
    explicit StepClock(std::string suffix) : suffix_(std::move(suffix)) {}
    // The time since the last step, reported as this step's.
    void Step(const char* name, const char* what)
    {
        const double now = NowMicroseconds();
        ReportFigure(("startup_step_" + std::string(name) + "_ms" + suffix_).c_str(), (now - last_) / 1000.0, "ms",
                     what);
        last_ = now;
    }

private:
    std::string suffix_;
    double last_ = NowMicroseconds();
};

LRESULT CALLBACK QuietProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

int RunStartupStepsBench(unsigned port)
{
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    HINSTANCE instance = GetModuleHandleA(nullptr);
    AppState.instance = instance;
    SetDefaultSettings();
    std::strcpy(Settings.HostAddress, "127.0.0.1");
    WNDCLASSA wc = {};
    wc.lpfnWndProc = QuietProc;
    wc.hInstance = instance;
    wc.lpszClassName = "KELPRA_BENCH_STEPS";
    RegisterClassA(&wc);

    StepClock clock("_" + std::to_string(dpi) + "dpi");
    HWND window = CreateWindowExA(0, wc.lpszClassName, wc.lpszClassName, 0, 0, 0, 0, 0, nullptr, nullptr, instance,
                                  nullptr);
    clock.Step("window", "the hidden window's creation, before its creation handler");
    IconTableLock.Create(ICON_TABLE_LOCK_LABEL);
    for (DriveSlot& slot : DriveSlots)
        slot.Lock.Create(SLOT_LOCK_LABEL);
    MigrateOldSettingsFiles();
    LoadSettings();
    Settings.Port = port;
    Settings.TimeOut = 1;
    Settings.CommandError = 0;
    clock.Step("settings", "locks, the old settings files' migration, the settings");
    LoadMenuBitmaps();
    clock.Step("menu_bitmaps", "the six menu pictures");
    const BOOL surfaces = CreateNumIconSurfaces();
    clock.Step("surfaces", "the 616 numeric icons' surfaces: 1,232 bitmaps and memory DCs");
    const BOOL trays = CreateTrayIcons(window);
    clock.Step("tray_icons", "the 16 tray icons and their image tables");
    const BOOL built = BuildIconSet();
    clock.Step("build", "the first icon set build: 616 icons painted, the error icon, the tables");
    const bool sockets = WS32LIB_LoadDLL() == 0 && WS32LIB_ProcTable.WSAStartup(MAKEWORD(2, 0), &WS32LIB_WsaData) == 0;
    clock.Step("sockets", "the socket library loaded and started");
    const int drives = LoadDriveList();
    clock.Step("first_query", "the first exchange with the server");
    const int shown = Redisplay(window, 0);
    clock.Step("first_refresh", "the first refresh, which adds the tray icon of each drive");

    RemoveTrayIcons();
    for (CNUMICON& icon : NumIconArray)
        icon.Release();
    for (CBMPICON& bitmap : MenuBitmaps)
        bitmap.Release();
    if (sockets) {
        WS32LIB_ProcTable.WSACleanup();
        WS32LIB_UnloadDLL();
    }
    DestroyWindow(window);
    UnregisterClassA(wc.lpszClassName, instance);
    if (!surfaces || !trays || !built || !sockets || drives <= 0 || !shown) {
        std::fprintf(stderr, "bench: a start-up step failed\n");
        return 1;
    }
    return 0;
}
