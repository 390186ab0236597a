// The set of 16 tray icons, one per drive slot: creation with identifiers
// and callback messages, host-number display, re-adding after the shell
// restarts, and removal at shutdown.
#include "app/tray_set.h"

#include "app/app_state.h"
#include "app/debug_report.h"
#include "config/settings.h"
#include "icons/icon_set.h"
#include "link/drive_slot.h"

BOOL CreateTrayIcons(HWND window)
{
    // A copy started elevated would not receive the shell's "TaskbarCreated"
    // through UIPI, and its icons would stay gone after Explorer restarts.
    const UINT taskbarCreated = DriveSlots[0].TrayIcon.m_uTaskbarCreated;
    if (!ChangeWindowMessageFilterEx(window, taskbarCreated, MSGFLT_ALLOW, nullptr))
        DebugReport("ChangeWindowMessageFilterEx ERROR: %lu\n", GetLastError());
    for (UINT s = 0; s < SLOT_COUNT; ++s) {
        // Unsigned arithmetic: HostNumber keeps the identifiers of copies of
        // the program for different hosts apart. An id of 0 (HostNumber
        // 0xFFFFFFFF, slot 15) is replaced by Init with a time-of-day id.
        UINT id = Settings.HostNumber * SLOT_COUNT + s + 1;
        if (!DriveSlots[s].TrayIcon.Init(window, id, WM_TRAYNOTIFY + s, ICON_COUNT))
            return FALSE;
    }
    return TRUE;
}

BOOL ShowHostNumbers()
{
    for (UINT s = 0; s < SLOT_COUNT; ++s) {
        DriveSlot& slot = DriveSlots[s];
        if (slot.Record.InUse == 0)
            continue;
        // A removed icon stays removed; one whose add was refused is tried again.
        TaskTrayIcon& tray = slot.TrayIcon;
        if (tray.IsShown())
            tray.Modify(ICON_HOST_BASE + s);
        else if (tray.IsWanted())
            tray.Add(ICON_HOST_BASE + s);
        slot.ShownImage = ICON_HOST_BASE + s;
    }
    return TRUE;
}

BOOL OnTaskbarCreated(UINT message)
{
    // The result is that of the last slot in use; for any message other than
    // "TaskbarCreated" every ReAdd gives 0.
    BOOL result = FALSE;
    for (DriveSlot& slot : DriveSlots)
        if (slot.Record.InUse != 0)
            result = slot.TrayIcon.ReAdd(message);
    return result;
}

void RemoveTrayIcons()
{
    for (DriveSlot& slot : DriveSlots)
        slot.TrayIcon.Destroy();
    ErrorIcon.Release();
}
