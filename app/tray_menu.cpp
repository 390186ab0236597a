// The tray icons' mouse messages, the popup menu (a table of items, each
// with its condition, picture and state) and the menu's commands.
#include "app/tray_menu.h"

#include "app/app_state.h"
#include "app/poll_timer.h"
#include "app/tray_set.h"
#include "config/settings.h"
#include "config/settings_dialog.h"
#include "config/version_box.h"
#include "icons/gdi_wrappers.h"
#include "link/balloon.h"
#include "link/baseline.h"
#include "link/drive_slot.h"
#include "link/status_refresh.h"

namespace {

constexpr int NO_PICTURE = -1;

bool CtrlDown()
{
    return (GetKeyState(VK_CONTROL) & 0x8000) != 0;
}

enum class ItemKind { Text, Override, Separator };

struct MenuItem {
    ItemKind kind;
    const char* text;
    UINT id;             // IDM_HIDE_STATUS: + slot
    int picture;         // index into MenuBitmaps, or NO_PICTURE
    bool (*shown)(UINT slot);
    UINT (*state)(UINT slot);
};

bool Always(UINT) { return true; }
bool SlotNotGood(UINT slot) { return DriveSlots[slot].Record.State != DS_GOOD; }
bool HostNumberItemShown(UINT) { return CtrlDown() || AppState.hostNumberMode != 0; }
bool OverrideItemShown(UINT) { return Settings.Debug != 0 && (CtrlDown() || AppState.stateOverride != 0); }

UINT NoState(UINT) { return 0; }
UINT CheckedIfHidden(UINT slot) { return DriveSlots[slot].Check ? MFS_CHECKED : 0; }
UINT CheckedInHostNumberMode(UINT) { return AppState.hostNumberMode ? MFS_CHECKED : 0; }
UINT GreyWhileSettingsOpen(UINT) { return AppState.settingsOpen ? MFS_GRAYED : 0; }
UINT GreyWhileVersionOpen(UINT) { return AppState.versionOpen ? MFS_GRAYED : 0; }

const MenuItem MENU_ITEMS[] = {
    {ItemKind::Text, "ステータス非表示", IDM_HIDE_STATUS, NO_PICTURE, SlotNotGood, CheckedIfHidden},
    {ItemKind::Text, "最新の情報に更新", IDM_REFRESH, 0, Always, NoState},
    {ItemKind::Text, "現在の属性を保存", IDM_SAVE_ATTRIBUTES, 1, Always, NoState},
    {ItemKind::Text, "ホスト番号モード", IDM_HOST_NUMBER_MODE, NO_PICTURE, HostNumberItemShown, CheckedInHostNumberMode},
    {ItemKind::Override, "状態の偽装", 0, 2, OverrideItemShown, NoState},
    {ItemKind::Separator, nullptr, 0, NO_PICTURE, Always, NoState},
    {ItemKind::Text, "設定画面...", IDM_SETTINGS, 3, Always, GreyWhileSettingsOpen},
    {ItemKind::Text, "バージョン情報...", IDM_VERSION, 4, Always, GreyWhileVersionOpen},
    {ItemKind::Separator, nullptr, 0, NO_PICTURE, Always, NoState},
    {ItemKind::Text, "プログラムの終了", IDM_EXIT, 5, Always, NoState},
};

const char* const OVERRIDE_ITEMS[] = {"偽装しない", "正常に偽装", "警告に偽装", "危険に偽装", "異常に偽装"};

// Appends at the end (position -1), then sets the state on the inserted item.
void Append(HMENU menu, MENUITEMINFOA& info, UINT state)
{
    InsertMenuItemA(menu, static_cast<UINT>(-1), TRUE, &info);
    if (state == 0)
        return;
    MENUITEMINFOA change = {};
    change.cbSize = sizeof change;
    change.fMask = MIIM_STATE;
    change.fState = state;
    SetMenuItemInfoA(menu, static_cast<UINT>(GetMenuItemCount(menu) - 1), TRUE, &change);
}

void FillOverrideMenu(HMENU submenu)
{
    for (UINT i = 0; i < sizeof OVERRIDE_ITEMS / sizeof OVERRIDE_ITEMS[0]; ++i) {
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING;
        info.fType = MFT_RADIOCHECK;
        info.wID = IDM_OVERRIDE_NONE + i;
        info.dwTypeData = const_cast<char*>(OVERRIDE_ITEMS[i]);
        Append(submenu, info, static_cast<UINT>(AppState.stateOverride) == i ? MFS_CHECKED : 0);
    }
}

void AppendItem(HMENU menu, HMENU submenu, const MenuItem& item, UINT slot)
{
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    if (item.kind == ItemKind::Separator) {
        info.fMask = MIIM_FTYPE;
        info.fType = MFT_SEPARATOR;
        Append(menu, info, 0);
        return;
    }
    info.fMask = MIIM_STRING;
    info.dwTypeData = const_cast<char*>(item.text);
    if (item.kind == ItemKind::Override) {
        FillOverrideMenu(submenu);
        info.fMask |= MIIM_SUBMENU;
        info.hSubMenu = submenu;
    } else {
        info.fMask |= MIIM_ID;
        info.wID = item.id == IDM_HIDE_STATUS ? item.id + slot : item.id;
    }
    // A missing picture leaves the item without one.
    if (item.picture != NO_PICTURE && MenuBitmaps[item.picture].m_hBitmap) {
        info.fMask |= MIIM_BITMAP;
        info.hbmpItem = MenuBitmaps[item.picture].m_hBitmap;
    }
    Append(menu, info, item.state(slot));
}

// Foreground with attached input, so that the menu closes again when the
// user clicks elsewhere.
void BringToForeground(HWND window)
{
    DWORD current = GetCurrentThreadId();
    DWORD foreground = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
    AttachThreadInput(current, foreground, TRUE);
    SetForegroundWindow(window);
    AttachThreadInput(current, foreground, FALSE);
    BringWindowToTop(window);
}

// Windows 98/Me (9x, 4.10 and later) and NT 5 and later need the attached
// form; older systems take a plain SetForegroundWindow.
bool ForegroundNeedsAttach(DWORD version)
{
    DWORD major = version & 0xFF;
    DWORD minor = (version >> 8) & 0xFF;
    bool nineX = (version & 0x80000000u) != 0;
    return (nineX && major >= 4 && minor >= 10) || (!nineX && major >= 5);
}

void OnRightButtonDown(HWND window, UINT slot)
{
    HWND desktop = GetDesktopWindow();
    if (ForegroundNeedsAttach(GetVersion()))
        BringToForeground(desktop);
    else
        SetForegroundWindow(desktop);
    ShowTrayMenu(window, slot);
    PostMessageA(window, WM_NULL, 0, 0);
}

void ToggleHideStatus(HWND window, UINT id)
{
    UINT slot = id - IDM_HIDE_STATUS;
    DriveSlots[slot].Check ^= 1;
    SaveAttributeBaseline(static_cast<int>(slot));
    Redisplay(window, Settings.CommandError);
}

void RefreshNow(HWND window, UINT)
{
    Redisplay(window, Settings.CommandError);
}

void SaveAllBaselines(HWND, UINT)
{
    for (UINT s = 0; s < SLOT_COUNT; ++s)
        if (DriveSlots[s].Record.InUse)
            SaveAttributeBaseline(static_cast<int>(s));
}

void ToggleHostNumberMode(HWND window, UINT)
{
    AppState.hostNumberMode = AppState.hostNumberMode ? 0 : 1;
    if (AppState.hostNumberMode)
        ShowHostNumbers();
    else
        Redisplay(window, Settings.CommandError);
}

void ChooseOverride(HWND window, UINT id)
{
    AppState.stateOverride = static_cast<INT32>(id - IDM_OVERRIDE_NONE);
    Redisplay(window, Settings.CommandError);
}

// The flags grey the menu items; they also turn away a command that comes
// from elsewhere while the dialog or the box is already open.
void OpenSettings(HWND window, UINT)
{
    if (AppState.settingsOpen)
        return;
    ShowSettingsDialog(window);
    RestartPollTimer(window);
}

void OpenVersionBox(HWND window, UINT)
{
    if (AppState.versionOpen)
        return;
    AppState.versionOpen = 1;
    ShowVersionBox(window);
    AppState.versionOpen = 0;
}

void ExitProgram(HWND window, UINT)
{
    PostMessageA(window, WM_CLOSE, 0, 0);
}

struct CommandRange {
    UINT first;
    UINT last;
    void (*handler)(HWND window, UINT id);
};

const CommandRange COMMANDS[] = {
    {IDM_HIDE_STATUS, IDM_HIDE_STATUS + SLOT_COUNT - 1, ToggleHideStatus},
    {IDM_REFRESH, IDM_REFRESH, RefreshNow},
    {IDM_SAVE_ATTRIBUTES, IDM_SAVE_ATTRIBUTES, SaveAllBaselines},
    {IDM_HOST_NUMBER_MODE, IDM_HOST_NUMBER_MODE, ToggleHostNumberMode},
    {IDM_OVERRIDE_NONE, IDM_OVERRIDE_ERROR, ChooseOverride},
    {IDM_SETTINGS, IDM_SETTINGS, OpenSettings},
    {IDM_VERSION, IDM_VERSION, OpenVersionBox},
    {IDM_EXIT, IDM_EXIT, ExitProgram},
};

} // namespace

HMENU BuildTrayMenu(UINT slot, HMENU* submenu)
{
    HMENU menu = CreatePopupMenu();
    *submenu = CreatePopupMenu();
    for (const MenuItem& item : MENU_ITEMS)
        if (item.shown(slot))
            AppendItem(menu, *submenu, item, slot);
    return menu;
}

void DestroyTrayMenu(HMENU menu, HMENU submenu)
{
    // An attached submenu goes with its menu; destroying it first would
    // leave the menu holding a stale handle.
    bool attached = false;
    for (int i = 0, n = GetMenuItemCount(menu); i < n; ++i)
        attached = attached || GetSubMenu(menu, i) == submenu;
    if (!attached)
        DestroyMenu(submenu);
    DestroyMenu(menu);
}

void ShowTrayMenu(HWND window, UINT slot)
{
    HMENU submenu = nullptr;
    HMENU menu = BuildTrayMenu(slot, &submenu);
    POINT cursor = {};
    GetCursorPos(&cursor);
    // The menu only closes on a click elsewhere when its owner is the
    // foreground window.
    BringToForeground(window);
    TrackPopupMenu(menu, TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN, cursor.x, cursor.y, 0, window, nullptr);
    DestroyTrayMenu(menu, submenu);
}

LRESULT OnTrayNotify(HWND window, WPARAM, LPARAM lParam, UINT slot)
{
    if (slot >= SLOT_COUNT)
        return 0;
    switch (static_cast<UINT>(lParam)) {
    case WM_LBUTTONDOWN:
        ShowDriveDetails(window, static_cast<int>(slot));
        break;
    case WM_RBUTTONDOWN:
        OnRightButtonDown(window, slot);
        break;
    default:
        break;
    }
    return 0;
}

LRESULT OnCommand(HWND window, WPARAM wParam)
{
    UINT id = LOWORD(wParam);
    for (const CommandRange& c : COMMANDS)
        if (id >= c.first && id <= c.last) {
            c.handler(window, id);
            break;
        }
    return 0;
}
