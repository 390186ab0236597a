// The tray icon's popup menu, built for each condition and read back item by
// item in-process, the menu's commands, and the mouse messages.
#include "link/ws32lib.h"
#include "app/app_state.h"
#include "app/main_window.h"
#include "app/tray_menu.h"
#include "config/settings.h"
#include "config/version_box.h"
#include "dialog_driver.h"
#include "icons/gdi_wrappers.h"
#include "link/drive_slot.h"
#include "link/status_refresh.h"
#include "sim_server.h"
#include "socket_session.h"
#include "test_env.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

struct Item {
    std::string text;   // "-" for a separator
    UINT id = 0;
    bool checked = false;
    bool grey = false;
    bool radio = false;
    HMENU submenu = nullptr;
    HBITMAP bitmap = nullptr;
};

std::vector<Item> ReadMenu(HMENU menu)
{
    std::vector<Item> items;
    for (int i = 0, n = GetMenuItemCount(menu); i < n; ++i) {
        char text[128] = "";
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_STRING | MIIM_SUBMENU | MIIM_BITMAP;
        info.dwTypeData = text;
        info.cch = sizeof text;
        GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info);
        Item item;
        item.text = (info.fType & MFT_SEPARATOR) ? "-" : text;
        item.id = info.hSubMenu ? 0 : info.wID;
        item.bitmap = info.hbmpItem;
        item.checked = (info.fState & MFS_CHECKED) != 0;
        item.grey = (info.fState & MFS_GRAYED) != 0;
        item.radio = (info.fType & MFT_RADIOCHECK) != 0;
        item.submenu = info.hSubMenu;
        items.push_back(item);
    }
    return items;
}

// Each item's text, "[x]" when checked, "[grey]" when greyed.
std::vector<std::string> Texts(const std::vector<Item>& items)
{
    std::vector<std::string> texts;
    for (const Item& i : items)
        texts.push_back(i.text + (i.checked ? "[x]" : "") + (i.grey ? "[grey]" : ""));
    return texts;
}

void HoldCtrl(bool down)
{
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_CONTROL] = down ? 0x80 : 0;
    SetKeyboardState(keys);
}

// What a menu condition depends on.
struct Condition {
    UINT slot = 0;
    uint8_t state = DS_GOOD;
    INT32 check = 0;
    bool ctrl = false;
    INT32 debug = 0;
    INT32 hostNumberMode = 0;
    INT32 stateOverride = 0;
    INT32 settingsOpen = 0;
    INT32 versionOpen = 0;
};

class TrayMenu : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::memset(&Settings, 0, sizeof Settings);
        SetDefaultSettings();
        AppState = {};
        AppState.instance = GetModuleHandleA(nullptr);
        for (DriveSlot& s : DriveSlots) {
            s.Record = {};
            s.Check = 0;
        }
    }
    void TearDown() override
    {
        HoldCtrl(false);
        for (CBMPICON& b : MenuBitmaps)
            b.Release();
    }

    static std::vector<Item> Build(const Condition& c, std::vector<Item>* override = nullptr)
    {
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
        std::vector<Item> items = ReadMenu(menu);
        for (const Item& i : items)
            if (i.submenu) {
                EXPECT_EQ(i.submenu, submenu);
                if (override)
                    *override = ReadMenu(i.submenu);
            }
        DestroyTrayMenu(menu, submenu);
        return items;
    }
};

using Texts_ = std::vector<std::string>;
const std::string HIDE = "ステータス非表示", REFRESH = "最新の情報に更新", SAVE = "現在の属性を保存",
                  HOSTNUM = "ホスト番号モード", OVERRIDE = "状態の偽装", SETTINGS = "設定画面...",
                  VERSION = "バージョン情報...", EXIT = "プログラムの終了";

TEST_F(TrayMenu, ItemsShownForEachCondition)
{
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
    for (const auto& c : cases)
        EXPECT_EQ(Texts(Build(c.c)), c.texts) << c.name;

    // Separators carry id 0, the override submenu is read as 0.
    std::vector<UINT> ids;
    for (const Item& i : Build(cases[sizeof cases / sizeof cases[0] - 1].c))
        ids.push_back(i.id);
    EXPECT_EQ(ids, (std::vector<UINT>{IDM_HIDE_STATUS + 15, IDM_REFRESH, IDM_SAVE_ATTRIBUTES, IDM_HOST_NUMBER_MODE,
                                       0, 0, IDM_SETTINGS, IDM_VERSION, 0, IDM_EXIT}));
}

TEST_F(TrayMenu, TheOverrideSubmenuCarriesRadioChecksOnTheChosenState)
{
    for (INT32 chosen = 0; chosen <= 4; ++chosen) {
        Condition c;
        c.ctrl = true;
        c.debug = 1;
        c.stateOverride = chosen;
        std::vector<Item> sub;
        Build(c, &sub);
        Texts_ texts = {"偽装しない", "正常に偽装", "警告に偽装", "危険に偽装", "異常に偽装"};
        texts[chosen] += "[x]";
        ASSERT_EQ(Texts(sub), texts) << chosen;
        for (INT32 i = 0; i <= 4; ++i) {
            EXPECT_EQ(sub[i].id, IDM_OVERRIDE_NONE + static_cast<UINT>(i));
            EXPECT_TRUE(sub[i].radio);
            EXPECT_EQ(sub[i].bitmap, nullptr);
        }
    }
}

TEST_F(TrayMenu, ItemsCarryTheirMenuBitmapsWhereThoseExist)
{
    HBITMAP pictures[MENU_BITMAP_COUNT] = {};
    for (int i = 0; i < MENU_BITMAP_COUNT; ++i) {
        if (i == 4)
            continue;   // a missing picture: the item goes without
        MenuBitmaps[i].m_hBitmap = CreateBitmap(16, 16, 1, 32, nullptr);
        pictures[i] = MenuBitmaps[i].m_hBitmap;
    }
    Condition c;
    c.state = DS_DNGR;
    c.ctrl = true;
    c.debug = 1;
    std::vector<Item> items = Build(c);
    // hide, refresh, save, host, override, -, settings, version, -, exit
    const HBITMAP expected[] = {nullptr, pictures[0], pictures[1], nullptr, pictures[2],
                                nullptr, pictures[3], nullptr,     nullptr, pictures[5]};
    ASSERT_EQ(items.size(), sizeof expected / sizeof expected[0]);
    for (size_t i = 0; i < items.size(); ++i)
        EXPECT_EQ(items[i].bitmap, expected[i]) << items[i].text;
}

TEST_F(TrayMenu, DestroyingTheMenuFreesTheSubmenuWhetherAttachedOrNot)
{
    const struct { const char* name; bool ctrl; INT32 debug; bool attached; } cases[] = {
        {"submenu shown", true, 1, true},
        {"submenu not shown", false, 0, false},
    };
    for (const auto& c : cases) {
        HoldCtrl(c.ctrl);
        Settings.Debug = c.debug;
        HMENU submenu = nullptr;
        HMENU menu = BuildTrayMenu(0, &submenu);
        ASSERT_TRUE(IsMenu(menu)) << c.name;
        ASSERT_TRUE(IsMenu(submenu)) << c.name;
        bool attached = false;
        for (int i = 0; i < GetMenuItemCount(menu); ++i)
            attached = attached || GetSubMenu(menu, i) == submenu;
        EXPECT_EQ(attached, c.attached) << c.name;
        DestroyTrayMenu(menu, submenu);
        EXPECT_FALSE(IsMenu(menu)) << c.name;
        EXPECT_FALSE(IsMenu(submenu)) << c.name;
    }
}

// A window of its own procedure that records the commands it receives.
class OwnerWindow {
public:
    OwnerWindow()
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "KelpraMenuTestOwner";
        RegisterClassA(&wc);
        window = CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, wc.hInstance,
                                 nullptr);
    }
    ~OwnerWindow() { DestroyWindow(window); }
    OwnerWindow(const OwnerWindow&) = delete;
    OwnerWindow& operator=(const OwnerWindow&) = delete;

    bool Posted(UINT message, WPARAM* wParam = nullptr)
    {
        MSG msg;
        if (!PeekMessageA(&msg, window, message, message, PM_REMOVE))
            return false;
        if (wParam)
            *wParam = msg.wParam;
        return true;
    }

    HWND window = nullptr;
};

// The commands over a live link: a simulated server with a good drive at
// position 0 and a caution drive at position 2, the socket library started.
class TrayCommands : public TrayMenu {
protected:
    static void SetUpTestSuite() { StartSockets(); }
    static void TearDownTestSuite() { StopSockets(); }
    void SetUp() override
    {
        TrayMenu::SetUp();
        RemoveProfile(SettingsFilePath());
        ASSERT_TRUE(sim.Running());
        std::strcpy(Settings.HostAddress, "127.0.0.1");
        Settings.Port = sim.Port();
        Settings.TimeOut = 1;
        Settings.CommandError = 0;
        // As at start-up: the first query and the first refresh, which
        // saves each new drive's baseline.
        ASSERT_EQ(LoadDriveList(), 2);
        ASSERT_EQ(RefreshDrives(owner.window, 0), 1);
    }
    void TearDown() override
    {
        TrayMenu::TearDown();
        RemoveProfile(SettingsFilePath());
    }
    SimServer sim{R"({"drives":[
        {"position":0,"Temperature":30,"State":"good","Model":"M0","Firmware":"F0","Serial":"S0"},
        {"position":2,"Temperature":50,"State":"caution","A05":3,"Model":"M2","Firmware":"F2","Serial":"S2"}]})"};
    OwnerWindow owner;
};

// Each command in turn, with the queries it makes.
TEST_F(TrayCommands, EachCommandDoesItsPartAndAsksTheServerOnlyWhereItShould)
{
    size_t asked = sim.RequestCount();
    auto command = [&](UINT id, size_t queries) {
        EXPECT_EQ(OnCommand(owner.window, id), 0) << id;
        asked += queries;
        EXPECT_EQ(sim.RequestCount(), asked) << id;
    };
    // Hiding the status flips the flag, saves it and refreshes.
    command(IDM_HIDE_STATUS + 2, 1);
    EXPECT_EQ(DriveSlots[2].Check, 1);
    EXPECT_EQ(IniValue("M2:F2:S2", "Check"), "1");
    EXPECT_EQ(IniValue("M2:F2:S2", "A05"), "3");
    command(IDM_HIDE_STATUS + 2, 1);
    EXPECT_EQ(DriveSlots[2].Check, 0);
    EXPECT_EQ(IniValue("M2:F2:S2", "Check"), "0");

    command(IDM_REFRESH, 1);
    // Saving the attributes asks nothing and writes only the drives in use.
    RemoveProfile(SettingsFilePath());
    command(IDM_SAVE_ATTRIBUTES, 0);
    EXPECT_EQ(IniValue("M0:F0:S0", "Check"), "0");
    char sections[512] = "";
    GetPrivateProfileSectionNamesA(sections, sizeof sections, SettingsFilePath());
    std::vector<std::string> names;
    for (const char* n = sections; *n; n += std::strlen(n) + 1)
        names.push_back(n);
    EXPECT_EQ(names, (std::vector<std::string>{"M0:F0:S0", "M2:F2:S2"}));

    // Host-number mode asks nothing, not even on a refresh; leaving it refreshes.
    command(IDM_HOST_NUMBER_MODE, 0);
    EXPECT_EQ(AppState.hostNumberMode, 1);
    command(IDM_REFRESH, 0);
    command(IDM_HOST_NUMBER_MODE, 1);
    EXPECT_EQ(AppState.hostNumberMode, 0);

    for (UINT id = IDM_OVERRIDE_NONE; id <= IDM_OVERRIDE_ERROR; ++id) {
        command(id, 1);
        EXPECT_EQ(AppState.stateOverride, static_cast<INT32>(id - IDM_OVERRIDE_NONE));
    }
    EXPECT_FALSE(owner.Posted(WM_CLOSE));
    command(IDM_EXIT, 0);
    EXPECT_TRUE(owner.Posted(WM_CLOSE));
}

TEST_F(TrayMenu, UnknownCommandsDoNothing)
{
    OwnerWindow owner;
    for (UINT id : {0u, 1u, 0x8010u, 0x8021u, 0x80A3u, 0x80B5u, 0x80F1u, 0x80FDu}) {
        EXPECT_EQ(OnCommand(owner.window, id), 0);
        EXPECT_EQ(AppState.stateOverride, 0) << id;
        EXPECT_EQ(AppState.hostNumberMode, 0) << id;
        EXPECT_FALSE(owner.Posted(WM_CLOSE)) << id;
        for (const DriveSlot& s : DriveSlots)
            EXPECT_EQ(s.Check, 0) << id;
    }
}

// The version box and the settings dialog open once, owned by the window,
// with their flag set while open; a second command meanwhile is turned away.
TEST_F(TrayMenu, TheVersionAndSettingsCommandsOpenTheirWindowOnce)
{
    const struct { UINT command; INT32* flag; int close; } cases[] = {
        {IDM_VERSION, &AppState.versionOpen, IDOK},
        {IDM_SETTINGS, &AppState.settingsOpen, IDCANCEL},
    };
    for (const auto& c : cases) {
        OwnerWindow owner;
        DialogDriver driver([&](HWND d) {
            EXPECT_EQ(*c.flag, 1) << c.command;
            EXPECT_EQ(GetWindow(d, GW_OWNER), owner.window) << c.command;
            char text[1024] = "";
            GetDlgItemTextA(d, 0xFFFF, text, sizeof text);
            if (c.command == IDM_VERSION) {
                EXPECT_EQ(std::string(text).rfind("KELPRA ドライブ温度トレイ表示 (x64)\r\nVersion 1.12", 0), 0u) << text;
            }
            DialogDriver second([&](HWND b) { ClickButton(b, c.close); }, d, 20);
            OnCommand(owner.window, c.command);
            EXPECT_FALSE(second.Ran()) << c.command;
            ClickButton(d, c.close);
        });
        OnCommand(owner.window, c.command);
        ASSERT_TRUE(driver.Ran()) << c.command;
        EXPECT_EQ(*c.flag, 0) << c.command;
    }
}

// Reads the open popup menu from inside its loop, then picks an item or
// closes it.
struct MenuReader {
    static std::vector<std::string> texts;
    static int pick;   // position to choose, or -1 to close
    static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD)
    {
        HWND popup = FindWindowA("#32768", nullptr);
        if (!popup || !IsWindowVisible(popup))
            return;
        KillTimer(nullptr, id);
        HMENU menu = reinterpret_cast<HMENU>(SendMessageA(popup, MN_GETHMENU, 0, 0));
        texts = Texts(ReadMenu(menu));
        if (pick < 0) {
            EndMenu();
            return;
        }
        for (int i = 0; i <= pick; ++i)
            PostMessageA(popup, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageA(popup, WM_KEYDOWN, VK_RETURN, 0);
    }
};
std::vector<std::string> MenuReader::texts;
int MenuReader::pick = -1;

// Through the program's window procedure: a right button press on the last
// slot's icon opens its menu, the chosen command is posted to the window, and
// a command sent to the window is carried out.
TEST_F(TrayMenu, ARightButtonPressOpensTheMenuAndTheChosenCommandReachesTheWindow)
{
    OwnerWindow owner;
    SetWindowLongPtrA(owner.window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(MainWndProc));
    DriveSlots[15].Record.State = DS_WARN;
    MenuReader::texts.clear();
    MenuReader::pick = 1;   // "最新の情報に更新"
    UINT_PTR timer = SetTimer(nullptr, 0, 50, MenuReader::Tick);
    EXPECT_EQ(SendMessageA(owner.window, WM_TRAYNOTIFY + 15, 16, WM_RBUTTONDOWN), 0);
    KillTimer(nullptr, timer);
    EXPECT_EQ(MenuReader::texts, (Texts_{HIDE, REFRESH, SAVE, "-", SETTINGS, VERSION, "-", EXIT}));
    WPARAM command = 0;
    EXPECT_TRUE(owner.Posted(WM_COMMAND, &command));
    EXPECT_EQ(LOWORD(command), IDM_REFRESH);
    EXPECT_TRUE(owner.Posted(WM_NULL));

    EXPECT_EQ(SendMessageA(owner.window, WM_COMMAND, IDM_HIDE_STATUS + 15, 0), 0);
    EXPECT_EQ(DriveSlots[15].Check, 1);
    SetWindowLongPtrA(owner.window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DefWindowProcA));
}

TEST_F(TrayMenu, OtherMouseMessagesOpenNothing)
{
    OwnerWindow owner;
    MenuReader::texts.clear();
    MenuReader::pick = -1;
    UINT_PTR timer = SetTimer(nullptr, 0, 20, MenuReader::Tick);
    for (UINT message : {WM_MOUSEMOVE, WM_LBUTTONUP, WM_RBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONDBLCLK,
                         WM_MBUTTONDOWN, WM_MBUTTONUP}) {
        EXPECT_EQ(OnTrayNotify(owner.window, 1, message, 0), 0) << message;
        EXPECT_FALSE(owner.Posted(WM_NULL)) << message;
    }
    KillTimer(nullptr, timer);
    EXPECT_TRUE(MenuReader::texts.empty());
}

} // namespace
