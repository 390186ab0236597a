// Entry, hidden main window, message dispatch, start-up and shutdown.
// The socket header must come before windows.h pulls in anything of its own.
#include "link/ws32lib.h"
#include "app/main_window.h"

#include "app/app_state.h"
#include "app/command_line.h"
#include "app/poll_timer.h"
#include "app/tray_menu.h"
#include "app/tray_set.h"
#include "config/settings.h"
#include "config/settings_dialog.h"
#include "config/settings_location.h"
#include "icons/gdi_wrappers.h"
#include "icons/icon_set.h"
#include "icons/numicon.h"
#include "link/drive_slot.h"
#include "link/status_refresh.h"

#include <cstring>

namespace {

BOOL RegisterMainClass(HINSTANCE instance)
{
    WNDCLASSA wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = MainWndProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(200));
    wc.lpszClassName = MAIN_WINDOW_CLASS;
    if (RegisterClassA(&wc))
        return TRUE;
    // A class left registered by an earlier run of this module is usable.
    return GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

// One handler per message; a message without one goes to the tray icons
// ("TaskbarCreated") and then to default processing.
void RunMessageLoop()
{
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

} // namespace

int KelpraMain(HINSTANCE instance, const char* commandLine)
{
    AppState.instance = instance;
    AppState.hostNumberMode = 0;
    AppState.settingsOpen = 0;
    AppState.versionOpen = 0;
    AppState.pollTimerId = 0;
    AppState.stateOverride = 0;

    SetDefaultSettings();
    HostAddressFromCommandLine(commandLine, Settings.HostAddress, sizeof Settings.HostAddress);

    if (!RegisterMainClass(instance))
        return 0;

    HWND window = CreateWindowExA(0, MAIN_WINDOW_CLASS, MAIN_WINDOW_CLASS, 0, 0, 0, 0, 0, nullptr, nullptr,
                                  instance, nullptr);
    if (window) {
        ShowWindow(window, SW_HIDE);
        UpdateWindow(window);
        RunMessageLoop();
    }
    UnregisterClassA(MAIN_WINDOW_CLASS, instance);
    return 0;
}

namespace {

// One handler per message (or range of messages), in the module that owns it.
struct Dispatch {
    UINT first;
    UINT last;
    LRESULT (*handler)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};

const Dispatch DISPATCH[] = {
    {WM_CREATE, WM_CREATE, [](HWND w, UINT, WPARAM, LPARAM) { return OnCreate(w); }},
    {WM_DESTROY, WM_DESTROY, [](HWND w, UINT, WPARAM, LPARAM) { return OnDestroy(w); }},
    {WM_COMMAND, WM_COMMAND, [](HWND w, UINT, WPARAM wp, LPARAM) { return OnCommand(w, wp); }},
    {WM_TIMER, WM_TIMER, [](HWND w, UINT, WPARAM wp, LPARAM) { return OnTimer(w, wp); }},
    {WM_POWERBROADCAST, WM_POWERBROADCAST, [](HWND w, UINT, WPARAM wp, LPARAM) { return OnPowerBroadcast(w, wp); }},
    {WM_TRAYNOTIFY, WM_TRAYNOTIFY + SLOT_COUNT - 1,
     [](HWND w, UINT m, WPARAM wp, LPARAM lp) { return OnTrayNotify(w, wp, lp, m - WM_TRAYNOTIFY); }},
};

} // namespace

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    for (const Dispatch& d : DISPATCH)
        if (message >= d.first && message <= d.last)
            return d.handler(window, message, wParam, lParam);
    if (OnTaskbarCreated(message))
        return 1;
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CloseAfterFailedStartup(HWND window)
{
    PostMessageA(window, WM_CLOSE, 0, 0);
    return 0;
}

LRESULT FailStartup(HWND window, const char* text)
{
    MessageBoxA(window, text, ERROR_CAPTION, ERROR_BOX_TYPE);
    return CloseAfterFailedStartup(window);
}

LRESULT FailStartupGuarded(HWND window, const char* text)
{
    AppState.errorBoxOpen = 1;
    MessageBoxA(window, text, ERROR_CAPTION, ERROR_BOX_TYPE);
    AppState.errorBoxOpen = 0;
    return CloseAfterFailedStartup(window);
}

LRESULT OnServerUnreachable(HWND window)
{
    MessageBoxA(window, "サーバと通信できません。\r\nネットワーク設定を更新して下さい。", CONFIRM_CAPTION, CONFIRM_BOX_TYPE);
    const char* closing = ShowSettingsDialog(window) == IDOK ? "設定を更新しました。\r\nプログラムを再起動して下さい。"
                                                             : "設定をキャンセルしました。\r\nプログラムを終了します。";
    MessageBoxA(window, closing, CONFIRM_CAPTION, CONFIRM_BOX_TYPE);
    return CloseAfterFailedStartup(window);
}

LRESULT OnCreate(HWND window)
{
    IconTableLock.Create(ICON_TABLE_LOCK_LABEL);
    for (DriveSlot& slot : DriveSlots) {
        slot.Lock.Create(SLOT_LOCK_LABEL);
        std::memset(&slot.Record, 0, sizeof slot.Record);
    }
    MigrateOldSettingsFiles();
    LoadSettings();

    // Icon rendering: menu pictures, the numeric icons' surfaces.
    LoadMenuBitmaps();
    if (!CreateNumIconSurfaces())
        return FailStartup(window, "イメージアイコンの生成に失敗しました。");

    // The 16 tray icons with their identifiers and empty image tables.
    if (!CreateTrayIcons(window))
        return FailStartup(window, "トレイアイコンの生成に失敗しました。");

    // Icon rendering: the icon set, lent to the tray tables (BuildIconSet
    // has shown its own box when it fails).
    if (!BuildIconSet())
        return CloseAfterFailedStartup(window);

    // Socket library: bound at run time, then Windows Sockets 2.0 started.
    if (WS32LIB_LoadDLL() != 0)
        return FailStartupGuarded(window, "ソケットライブラリの読み込みに失敗しました。");
    if (WS32LIB_ProcTable.WSAStartup(MAKEWORD(2, 0), &WS32LIB_WsaData) != 0)
        return FailStartupGuarded(window, "ソケットライブラリの生成に失敗しました。");

    int drives = LoadDriveList();
    if (drives < 0)
        return OnServerUnreachable(window);
    if (drives == 0)
        return FailStartup(window, "有効なデバイスがありません。");
    // The first refresh adds the icon of every drive found.
    if (!Redisplay(window, Settings.CommandError))
        return CloseAfterFailedStartup(window);

    // Without a timer (SetTimer failed) the program runs on without polling.
    RestartPollTimer(window);
    return 1;
}

LRESULT OnDestroy(HWND window)
{
    StopPollTimer(window);

    // Socket library: cleaned up and released only if the start-up loaded it.
    if (WS32LIB_GetLoadCount() > 0) {
        WS32LIB_ProcTable.WSACleanup();
        WS32LIB_UnloadDLL();
    }

    // The tray icons leave the notification area; the error icon they
    // borrowed goes with them.
    RemoveTrayIcons();
    // Icon rendering: the numeric icons, then the menu pictures.
    for (uint32_t i = 0; i < NUMERIC_ICON_COUNT; ++i)
        NumIconArray[i].Release();
    for (CBMPICON& bitmap : MenuBitmaps)
        bitmap.Release();
    for (DriveSlot& slot : DriveSlots)
        slot.Lock.Delete();
    IconTableLock.Delete();
    PostQuitMessage(0);
    return 0;
}
