// The 16 tray icons in the real notification area of the test display, their
// details balloon, and each icon's popup menu read back in-process.
#include "app/app_state.h"
#include "app/tray_menu.h"
#include "app/tray_set.h"
#include "config/settings.h"
#include "wire/sjis_text.h"
#include "debug_output.h"
#include "dialog_driver.h"
#include "icons/gdi_wrappers.h"
#include "link/balloon.h"
#include "link/drive_slot.h"
#include "link/drive_view.h"
#include "test_env.h"
#include "tray_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <future>
#include <string>
#include <vector>

namespace {

using Texts_ = std::vector<std::string>;
using Details = std::vector<std::pair<UINT, HBITMAP>>;

// Each item's text ("-" for a separator) with "(r)" when a radio item, "[x]"
// when checked and "[grey]" when greyed; its id (0 for the submenu's) and
// picture are appended to details.
Texts_ ReadMenu(HMENU menu, Details& details)
{
    Texts_ texts;
    for (int i = 0, n = GetMenuItemCount(menu); i < n; ++i) {
        char text[128] = "";
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_STRING | MIIM_SUBMENU | MIIM_BITMAP;
        info.dwTypeData = text;
        info.cch = sizeof text;
        GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info);
        std::string shown = (info.fType & MFT_SEPARATOR) ? "-" : text;
        shown += (info.fType & MFT_RADIOCHECK) ? "(r)" : "";
        shown += (info.fState & MFS_CHECKED) ? "[x]" : "";
        shown += (info.fState & MFS_GRAYED) ? "[grey]" : "";
        texts.push_back(shown);
        details.push_back({info.hSubMenu ? 0 : info.wID, info.hbmpItem});
    }
    return texts;
}

void HoldCtrl(bool down)
{
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_CONTROL] = down ? 0x80 : 0;
    SetKeyboardState(keys);
}

// Takes a message posted to the window off the queue.
bool Posted(HWND window, UINT message, WPARAM* wParam = nullptr)
{
    MSG msg;
    if (!PeekMessageA(&msg, window, message, message, PM_REMOVE))
        return false;
    if (wParam)
        *wParam = msg.wParam;
    return true;
}

struct Condition {
    UINT slot = 0;
    uint8_t state = DS_GOOD;
    INT32 check = 0;
    bool ctrl = false;
    INT32 debug = 0, hostNumberMode = 0, stateOverride = 0, settingsOpen = 0, versionOpen = 0;
};

class Tray : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::memset(&Settings, 0, sizeof Settings);
        SetDefaultSettings();
        AppState = {};
        AppState.instance = GetModuleHandleA(nullptr);
        RemoveProfile(SettingsFilePath());
    }
    void TearDown() override
    {
        RemoveProfile(SettingsFilePath());
        HoldCtrl(false);
        for (CBMPICON& b : MenuBitmaps)
            b.Release();
    }

    HWND Window() const { return fixture.Window(); }

    static const NOTIFYICONDATAA& Nid(unsigned s) { return DriveSlots[s].TrayIcon.m_nid; }

    // Slot s holds record r, added with image `image` and the drive number
    // as its tooltip, as after a refresh.
    static void Show(unsigned s, const DriveRecord& r, UINT image)
    {
        DriveSlot& slot = DriveSlots[s];
        slot.Record = r;
        slot.ShownImage = image;
        slot.TrayIcon.m_nid.uFlags |= NIF_TIP;
        std::strcpy(slot.TrayIcon.m_nid.szTip, r.DriveNumber);
        ASSERT_TRUE(slot.TrayIcon.Add(image));
    }
    // Another icon holds slot s's id meanwhile, so the shell refuses the add.
    static void ShowRefused(unsigned s, const DriveRecord& r, UINT image)
    {
        NOTIFYICONDATAA other = Nid(s);
        other.hIcon = PlainImage();
        ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &other));
        DriveSlots[s].Record = r;
        EXPECT_FALSE(DriveSlots[s].TrayIcon.Add(image));
        ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &other));
    }
    static void ExpectShownExactly(std::initializer_list<unsigned> shown)
    {
        for (unsigned s = 0; s < SLOT_COUNT; ++s)
            EXPECT_EQ(TrayFixture::ShellHasIcon(s), std::count(shown.begin(), shown.end(), s) == 1) << s;
    }

    TrayFixture fixture;
    DebugOutput debug;
};

// HostNumber 0xFFFFFFFF wraps; its slot 15, whose id would be 0, takes
// (hour << 28) + (minute << 20) + (second << 12) + milliseconds, in UTC.
TEST_F(Tray, IdentifiersAndCallbacksByHostNumber)
{
    const struct { UINT hostNumber; UINT firstId; } cases[] = {
        {0, 1}, {3, 49}, {15, 241}, {0xFFFFFFFFu, 0xFFFFFFF1u}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.hostNumber);
        TrayFixture::ResetSlots();
        Settings.HostNumber = c.hostNumber;
        SYSTEMTIME now;
        GetSystemTime(&now);
        ASSERT_TRUE(CreateTrayIcons(Window()));
        EXPECT_FALSE(CreateTrayIcons(Window())) << "the tables exist already";
        for (UINT s = 0; s < SLOT_COUNT; ++s) {
            UINT id = Nid(s).uID;
            if (c.firstId + s != 0) {
                EXPECT_EQ(id, c.firstId + s) << s;
            } else {
                EXPECT_TRUE((id & 0xFFFu) < 1000 && (id >> 12 & 0xFFu) < 60 && (id >> 20 & 0xFFu) < 60) << id;
                EXPECT_TRUE(id >> 28 == (now.wHour & 0xFu) || id >> 28 == ((now.wHour + 1u) % 24u & 0xFu)) << id;
            }
            EXPECT_EQ(Nid(s).uCallbackMessage, 0x8001u + s);
            EXPECT_EQ(Nid(s).hWnd, Window());
            EXPECT_EQ(Nid(s).uFlags, static_cast<UINT>(NIF_ICON | NIF_MESSAGE));
        }
        ExpectShownExactly({});   // nothing before a refresh
    }
}

// An icon whose add the shell refused is added again and a removed one stays
// away, when the taskbar is created anew (the icons shown come back with
// their last image and tooltip) and in host-number mode (whose images are
// recorded even without tables); then all go at shutdown.
TEST_F(Tray, ARefusedAddIsTriedAgainARemovedIconStaysAwayAndShutdownRemovesAll)
{
    DriveSlots[4].Record = TrayFixture::Drive(40, DS_GOOD, "Disk 4");
    EXPECT_TRUE(ShowHostNumbers());
    EXPECT_EQ(DriveSlots[4].ShownImage, 604u);

    ASSERT_TRUE(CreateTrayIcons(Window()));
    TrayFixture::FillTables();
    Show(0, TrayFixture::Drive(40, DS_GOOD, "Disk 0"), 40);
    DriveSlots[0].TrayIcon.Remove();
    Show(1, TrayFixture::Drive(40, DS_ERR, "Disk 1 異常"), ICON_ERROR);
    ShowRefused(3, TrayFixture::Drive(40, DS_GOOD, "Disk 3"), 43);
    Show(5, TrayFixture::Drive(40, DS_GOOD, "Disk 5 正常"), 140);
    for (unsigned s : {1u, 5u}) {
        NOTIFYICONDATAA copy = Nid(s);
        ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &copy));
    }
    for (UINT message : {static_cast<UINT>(WM_NULL), RegisterWindowMessageA("SomethingElse")})
        EXPECT_FALSE(OnTaskbarCreated(message)) << message;
    ExpectShownExactly({});
    // Through the window procedure, as the shell's broadcast arrives.
    EXPECT_EQ(SendMessageA(Window(), RegisterWindowMessageA("TaskbarCreated"), 0, 0), 1);
    ExpectShownExactly({1, 3, 5});
    EXPECT_EQ(Nid(1).hIcon, ErrorImage());
    EXPECT_STREQ(Nid(1).szTip, "Disk 1 異常");

    ShowRefused(6, TrayFixture::Drive(40, DS_GOOD, "Disk 6"), 46);
    EXPECT_TRUE(ShowHostNumbers());
    ExpectShownExactly({1, 3, 5, 6});
    EXPECT_EQ(Nid(1).hIcon, HostImage());
    EXPECT_EQ(Nid(6).hIcon, HostImage());
    EXPECT_EQ(DriveSlots[0].ShownImage, 600u);

    // Shutdown takes every icon away, so one can be added again with the
    // same window and id; a second removal (or the destructors at exit)
    // must not delete it.
    NOTIFYICONDATAA remembered = Nid(6);
    RemoveTrayIcons();
    for (DriveSlot& slot : DriveSlots)
        EXPECT_FALSE(slot.TrayIcon.HasTable());
    ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &remembered));
    RemoveTrayIcons();
    EXPECT_TRUE(Shell_NotifyIconA(NIM_DELETE, &remembered));
}

// The balloon of the slot's stored record (its nine lines: the native
// BalloonText tests), handed to the shell in one call with the image shown;
// text and title cut on a character boundary, the text reported in full.
// A busy slot lock (a refresh storing the record) shows nothing and counts
// the miss; without a lock or an image table nothing is written either.
TEST_F(Tray, TheBalloonShowsTheStoredRecordCutOnACharacterBoundaryAndNothingWhileTheLockIsBusy)
{
    ASSERT_TRUE(CreateTrayIcons(Window()));
    TrayFixture::FillTables();
    DriveRecord empty = TrayFixture::Drive(38, DS_DNGR, "Disk 4");
    empty.InUse = 0;
    DriveRecord wide = TrayFixture::Drive(38, DS_DNGR, "");
    std::memset(wide.DriveNumber, 'D', 63);
    std::memset(wide.Firmware, 'F', 15);
    std::memset(wide.Serial, 'S', 31);
    std::memset(wide.Model, 'M', sizeof wide.Model);   // 64 bytes, no 0: the title takes 63
    // Longer numbers move the double-byte "：" of the attribute line onto
    // bytes 254 and 255, where a byte-wise cut would split it.
    wide.MaxTemperature = 100;
    wide.UsageRate = -10;
    wide.A09 = 2400000;
    const std::string MODEL = "VELMORA VX-2000";
    const struct { unsigned slot; DriveRecord record; UINT image; DWORD icon; HICON shown; std::string title;
                   size_t bytes; } cases[] = {   // bytes: of the text shown
        {3, TrayFixture::Drive(38, DS_WARN, "Disk 3"), 238, NIIF_WARNING, PlainImage(), MODEL, 255},
        // After a failed refresh, and an empty slot: an empty balloon.
        {1, TrayFixture::Drive(40, DS_GOOD, "Disk 1"), ICON_ERROR, NIIF_INFO, ErrorImage(), MODEL, 255},
        {4, empty, 604, NIIF_INFO, HostImage(), MODEL, 0},
        {15, wide, 438, NIIF_ERROR, PlainImage(), std::string(63, 'M'), 254},
    };
    size_t length = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.slot);
        Show(c.slot, c.record, c.image);
        ShowDriveDetails(Window(), static_cast<int>(c.slot));
        const NOTIFYICONDATAA& nid = Nid(c.slot);
        char text[BALLOON_BUILD_ROOM] = "";
        length = FormatBalloonText(text, sizeof text, static_cast<int>(c.slot), c.record);
        EXPECT_EQ(std::string(nid.szInfo), std::string(text, std::min(length, c.bytes)));
        EXPECT_EQ(nid.szInfoTitle, c.title);
        EXPECT_EQ(nid.dwInfoFlags, c.icon);
        EXPECT_EQ(nid.uTimeout, 10000u);
        EXPECT_EQ(nid.uFlags & NIF_INFO, 0u) << "no balloon at later icon changes";
        EXPECT_EQ(nid.hIcon, c.shown);
        EXPECT_TRUE(TrayFixture::ShellHasIcon(c.slot));
    }
    EXPECT_EQ(debug.Texts(), std::vector<std::string>{"HMM... BALLOON INFO OVERFLOW (MAX 255 BYTES):" +
                                                      std::to_string(length) + "\n"});

    Show(6, TrayFixture::Drive(38, DS_WARN, "Disk 6"), 238);
    Show(7, TrayFixture::Drive(38, DS_WARN, "Disk 7"), 238);
    DriveSlots[7].Lock.Delete();
    DriveSlots[8].Record = TrayFixture::Drive(38, DS_WARN, "Disk 8");
    DriveSlots[8].TrayIcon.Destroy();
    // This thread holds slot 6's lock, as a refresh storing its record
    // would; the details are asked for on another, which must not wait.
    DriveSlots[6].Lock.Enter();
    auto asked = std::async(std::launch::async, [&] { ShowDriveDetails(Window(), 6); });
    EXPECT_EQ(asked.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    DriveSlots[6].Lock.Leave();
    WaitUntil([&] {   // a call that waited brings this thread's window forward now
        TrayFixture::Pump(0);
        return asked.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
    }, 5000, 10);
    ShowDriveDetails(Window(), 7);
    ShowDriveDetails(Window(), 8);
    for (int s : {6, 7, 8})
        EXPECT_STREQ(Nid(s).szInfo, "") << s;
    EXPECT_EQ(DriveSlots[6].Lock.MissCount(), 1);
    EXPECT_EQ(Nid(8).uFlags, 0u);
    EXPECT_EQ(DriveSlots[8].Lock.State(), WINLOCK::LOCK_RELEASED);

    ShowDriveDetails(Window(), 6);   // free again: shown
    EXPECT_STRNE(Nid(6).szInfo, "");
}

const std::string HIDE = "ステータス非表示", REFRESH = "最新の情報に更新", SAVE = "現在の属性を保存",
                  HOSTNUM = "ホスト番号モード", OVERRIDE = "状態の偽装", SETTINGS = "設定画面...",
                  VERSION = "バージョン情報...", EXIT = "プログラムの終了";

// Check marks, grey items while a dialog is open, the items shown only with
// Ctrl held or in their mode, the debug-only override; then the ids and
// pictures of the fullest menu, where a missing picture (4) leaves its item bare.
TEST_F(Tray, ItemsIdsAndPicturesForEachCondition)
{
    HBITMAP p[MENU_BITMAP_COUNT] = {};
    for (int i = 0; i < MENU_BITMAP_COUNT; ++i)
        if (i != 4)
            p[i] = MenuBitmaps[i].m_hBitmap = CreateBitmap(16, 16, 1, 32, nullptr);
    const std::string X = "[x]", GREY = "[grey]";
    const struct { const char* name; Condition c; Texts_ texts; } cases[] = {
        {"good, plain", {}, {REFRESH, SAVE, "-", SETTINGS, VERSION, "-", EXIT}},
        {"caution", {3, DS_WARN}, {HIDE, REFRESH, SAVE, "-", SETTINGS, VERSION, "-", EXIT}},
        {"ctrl, debug 0", {0, DS_GOOD, 0, true}, {REFRESH, SAVE, HOSTNUM, "-", SETTINGS, VERSION, "-", EXIT}},
        {"ctrl, debug 1", {0, DS_GOOD, 0, true, 1},
         {REFRESH, SAVE, HOSTNUM, OVERRIDE, "-", SETTINGS, VERSION, "-", EXIT}},
        {"debug 1 without ctrl", {0, DS_GOOD, 0, false, 1}, {REFRESH, SAVE, "-", SETTINGS, VERSION, "-", EXIT}},
        {"host-number mode", {0, DS_GOOD, 0, false, 0, 1},
         {REFRESH, SAVE, HOSTNUM + X, "-", SETTINGS, VERSION, "-", EXIT}},
        {"override active, debug 1", {0, DS_GOOD, 0, false, 1, 0, 2},
         {REFRESH, SAVE, OVERRIDE, "-", SETTINGS, VERSION, "-", EXIT}},
        {"override active, debug 0", {0, DS_GOOD, 0, true, 0, 0, 2},
         {REFRESH, SAVE, HOSTNUM, "-", SETTINGS, VERSION, "-", EXIT}},
        {"hidden, settings open", {5, DS_WARN, 1, false, 0, 0, 0, 1},
         {HIDE + X, REFRESH, SAVE, "-", SETTINGS + GREY, VERSION, "-", EXIT}},
        {"version open", {5, DS_WARN, 0, true, 0, 0, 0, 0, 1},
         {HIDE, REFRESH, SAVE, HOSTNUM, "-", SETTINGS, VERSION + GREY, "-", EXIT}},
        {"everything", {15, DS_ERR, 1, true, 1, 1, 4},
         {HIDE + X, REFRESH, SAVE, HOSTNUM + X, OVERRIDE, "-", SETTINGS, VERSION, "-", EXIT}},
    };
    Details details;
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        const Condition& c = row.c;
        DriveSlots[c.slot].Record.State = c.state;
        DriveSlots[c.slot].Check = c.check;
        HoldCtrl(c.ctrl);
        Settings.Debug = c.debug;
        AppState.hostNumberMode = c.hostNumberMode;
        AppState.stateOverride = c.stateOverride;
        AppState.settingsOpen = c.settingsOpen;
        AppState.versionOpen = c.versionOpen;
        HMENU submenu = nullptr;
        HMENU menu = BuildTrayMenu(c.slot, &submenu);
        details.clear();
        EXPECT_EQ(ReadMenu(menu, details), row.texts);
        // The override submenu, when attached: radio items, the chosen state's checked.
        Texts_ states = {"偽装しない(r)", "正常に偽装(r)", "警告に偽装(r)", "危険に偽装(r)",
                         "異常に偽装(r)"};
        states[c.stateOverride] += X;
        for (int i = 0; i < GetMenuItemCount(menu); ++i)
            if (GetSubMenu(menu, i) == submenu) {
                EXPECT_EQ(ReadMenu(submenu, details), states);
            }
        DestroyTrayMenu(menu, submenu);
        EXPECT_FALSE(IsMenu(menu) || IsMenu(submenu)) << "both freed, the submenu attached or not";
    }
    EXPECT_EQ(details, (Details{{IDM_HIDE_STATUS + 15, nullptr}, {IDM_REFRESH, p[0]}, {IDM_SAVE_ATTRIBUTES, p[1]},
                                {IDM_HOST_NUMBER_MODE, nullptr}, {0, p[2]}, {0, nullptr}, {IDM_SETTINGS, p[3]},
                                {IDM_VERSION, nullptr}, {0, nullptr}, {IDM_EXIT, p[5]},
                                {IDM_OVERRIDE_NONE, nullptr}, {IDM_OVERRIDE_NORMAL, nullptr},
                                {IDM_OVERRIDE_WARNING, nullptr}, {IDM_OVERRIDE_DANGER, nullptr},
                                {IDM_OVERRIDE_ERROR, nullptr}}));
}

// Each command in turn, with drives 0 and 2 in use and no server, so that a
// refresh fails at once and shows the error image: what drive 2 shows
// then (host-number mode its number), the hidden flags (a bit per slot,
// drive 2's also saved), the modes, and exit's WM_CLOSE.
TEST_F(Tray, EachCommandDoesItsPartAndRefreshesOnlyWhereItShould)
{
    Settings.CommandError = 0;
    DriveSlots[0].Record = TrayFixture::Drive(30, DS_GOOD, "Disk 0");
    DriveSlots[2].Record = TrayFixture::Drive(50, DS_WARN, "Disk 2");
    std::strcpy(DriveSlots[2].Record.Serial, "SN2");
    const char* const SECTION = "VELMORA VX-2000:FW1.2:SN2";
    const UINT ERR = ICON_ERROR, HOST = ICON_HOST_BASE + 2;
    const struct { UINT id; UINT shown; unsigned hidden; INT32 hostMode, override; } steps[] = {
        {IDM_HIDE_STATUS + 2, ERR, 1u << 2, 0, 0},
        {IDM_HIDE_STATUS + 2, ERR, 0, 0, 0},
        {IDM_REFRESH, ERR, 0, 0, 0},
        {IDM_SAVE_ATTRIBUTES, 0, 0, 0, 0},
        {IDM_HOST_NUMBER_MODE, HOST, 0, 1, 0},
        {IDM_REFRESH, HOST, 0, 1, 0},
        {IDM_HOST_NUMBER_MODE, ERR, 0, 0, 0},   // leaving it refreshes
        {IDM_OVERRIDE_ERROR, ERR, 0, 0, 4},
        {IDM_OVERRIDE_NORMAL, ERR, 0, 0, 1},
        {IDM_OVERRIDE_NONE, ERR, 0, 0, 0},
        // Ids beside the ranges do nothing.
        {0, 0, 0, 0, 0}, {IDM_HIDE_STATUS - 1, 0, 0, 0, 0}, {IDM_HIDE_STATUS + 16, 0, 0, 0, 0},
        {IDM_HOST_NUMBER_MODE + 1, 0, 0, 0, 0}, {IDM_OVERRIDE_ERROR + 1, 0, 0, 0, 0},
        {IDM_SETTINGS + 1, 0, 0, 0, 0}, {IDM_VERSION - 1, 0, 0, 0, 0}, {IDM_EXIT, 0, 0, 0, 0},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.id);
        DriveSlots[2].ShownImage = 0;
        EXPECT_EQ(OnCommand(Window(), s.id), 0);
        EXPECT_EQ(DriveSlots[2].ShownImage, s.shown);
        unsigned hidden = 0;
        for (UINT i = 0; i < SLOT_COUNT; ++i)
            hidden |= DriveSlots[i].Check ? 1u << i : 0;
        EXPECT_EQ(hidden, s.hidden);
        EXPECT_EQ(AppState.hostNumberMode, s.hostMode);
        EXPECT_EQ(AppState.stateOverride, s.override);
        EXPECT_EQ(IniValue(SECTION, "Check"), s.hidden & 1u << 2 ? "1" : "0") << "saved at once";
        EXPECT_EQ(Posted(Window(), WM_CLOSE), s.id == IDM_EXIT);
    }

    // Saving the attributes writes every drive in use; an empty slot's section would be "::".
    RemoveProfile(SettingsFilePath());
    EXPECT_EQ(OnCommand(Window(), IDM_SAVE_ATTRIBUTES), 0);
    EXPECT_EQ(IniValue("VELMORA VX-2000:FW1.2:SN0001", "Check") + IniValue(SECTION, "A09"), "0240");
    EXPECT_EQ(IniValue("::", "Check"), "<missing>");
}

// The version box and the settings dialog open once, owned by the window,
// with their flag set while open; a second command meanwhile is turned away.
TEST_F(Tray, TheVersionAndSettingsCommandsOpenTheirWindowOnce)
{
    const struct { UINT command; INT32* flag; int close; } cases[] = {
        {IDM_VERSION, &AppState.versionOpen, IDOK},
        {IDM_SETTINGS, &AppState.settingsOpen, IDCANCEL},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        DialogDriver driver([&](HWND d) {
            EXPECT_EQ(*c.flag, 1);
            EXPECT_EQ(GetWindow(d, GW_OWNER), Window());
            DialogDriver second([&](HWND b) { ClickButton(b, c.close); }, d, 20);
            OnCommand(Window(), c.command);
            EXPECT_FALSE(second.Ran());
            ClickButton(d, c.close);
        });
        OnCommand(Window(), c.command);
        ASSERT_TRUE(driver.Ran());
        EXPECT_EQ(*c.flag, 0);
    }
}

// Inside the popup menu's loop: chooses its first item, or closes it
// while `closing` is set.
bool closing = true;

void CALLBACK AnswerMenu(HWND, UINT, UINT_PTR id, DWORD)
{
    HWND popup = FindWindowA("#32768", nullptr);
    if (!popup || !IsWindowVisible(popup))
        return;
    KillTimer(nullptr, id);
    if (closing) {
        EndMenu();
        return;
    }
    PostMessageA(popup, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(popup, WM_KEYDOWN, VK_RETURN, 0);
}

// Other mouse messages open nothing; slot 15's own menu (its first item
// hides slot 15's status) opens on a right button press.
TEST_F(Tray, ARightButtonPressOpensTheMenuAndTheChosenCommandReachesTheWindow)
{
    DriveSlots[15].Record.State = DS_WARN;
    closing = true;
    UINT_PTR timer = SetTimer(nullptr, 0, 50, AnswerMenu);
    for (UINT message : {WM_MOUSEMOVE, WM_LBUTTONUP, WM_RBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONDBLCLK,
                         WM_MBUTTONDOWN, WM_MBUTTONUP}) {
        EXPECT_EQ(SendMessageA(Window(), WM_TRAYNOTIFY + 15, 16, message), 0) << message;
        EXPECT_FALSE(Posted(Window(), WM_NULL)) << message;
    }
    KillTimer(nullptr, timer);
    closing = false;
    timer = SetTimer(nullptr, 0, 50, AnswerMenu);
    EXPECT_EQ(SendMessageA(Window(), WM_TRAYNOTIFY + 15, 16, WM_RBUTTONDOWN), 0);
    KillTimer(nullptr, timer);
    WPARAM command = 0;
    EXPECT_TRUE(Posted(Window(), WM_COMMAND, &command));
    EXPECT_TRUE(Posted(Window(), WM_NULL));
    EXPECT_EQ(SendMessageA(Window(), WM_COMMAND, command, 0), 0);
    EXPECT_EQ(DriveSlots[15].Check, 1);
}

} // namespace
