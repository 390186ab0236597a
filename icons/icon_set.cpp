// BuildIconSet: paints the numeric icons, loads the error icon and lends
// all 617 handles to every drive slot's tray icon.
#include "icons/icon_set.h"

#include "app/app_state.h"
#include "icons/numicon.h"
#include "link/drive_slot.h"

AUTOICON ErrorIcon;

namespace {

// Every entry from the object that holds that icon now. Also run after a
// build that failed part-way: the icons painted before the failure have
// destroyed their predecessors, which the tables still named.
void FillTrayTables()
{
    for (DriveSlot& slot : DriveSlots) {
        for (uint32_t i = 0; i < NUMERIC_ICON_COUNT; ++i)
            slot.TrayIcon.SetImage(i, NumIconArray[i].m_hIcon, FALSE);
        slot.TrayIcon.SetImage(ICON_ERROR, ErrorIcon.m_hIcon, FALSE);
    }
}

} // namespace

BOOL BuildIconSet()
{
    IconTableLock.Enter();
    BOOL ok = CreateNumIcons();
    if (ok) {
        const int width = GetSystemMetrics(SM_CXSMICON);
        const int height = GetSystemMetrics(SM_CYSMICON);
        ErrorIcon.Load("S_ERR.ICO", 202, width, height);
    }
    FillTrayTables();
    IconTableLock.Leave();
    if (!ok)
        MessageBoxA(nullptr, "アイコンのビルドに失敗しました。", ERROR_CAPTION,
                    MB_ICONERROR | MB_SETFOREGROUND | MB_TOPMOST);
    return ok;
}
