// The settings and the drives' baselines in the test prefix's KELPRA.INI; then kelpra.exe
// driven from outside: the start-ups that end early and where it finds its settings files.
#include "app/app_state.h"
#include "config/settings.h"
#include "config/settings_dialog.h"
#include "link/baseline.h"
#include "link/drive_slot.h"
#include "msgbox_watcher.h"
#include "sim_server.h"
#include "test_env.h"
#include "tray_fixture.h"

#include <gtest/gtest.h>

#include <colordlg.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

std::string FileText()
{
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, SettingsFilePath());   // flush
    return ReadWholeFile(SettingsFilePath());
}

// Each test starts without a settings file, at the default settings with empty slots.
class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        RemoveProfile(SettingsFilePath());
        SetDefaultSettings();
        std::strcpy(Settings.HostAddress, "127.0.0.1");
        TrayFixture::ResetSlots();
    }
    void TearDown() override { RemoveProfile(SettingsFilePath()); }
};
using SettingsStore = SettingsFile;
using Baseline = SettingsFile;
using Program = SettingsFile;

std::vector<int32_t> Values(const DriveRecord& r)
{
    return {r.A05, r.A09, r.AC4, r.AC5, r.AC6};
}

// With no file the defaults are loaded and nothing is written.
TEST_F(SettingsStore, SaveWritesTheFifteenKeysInOrderAndNeverDebugOrAlert)
{
    LoadSettings();
    EXPECT_FALSE(FileExists(SettingsFilePath()));
    EXPECT_EQ(Settings.Debug, 0);
    EXPECT_EQ(Settings.Alert, 1);
    Settings.Debug = 1;
    SaveSettings();
    EXPECT_EQ(FileText(),
              "[127.0.0.1]\r\nLabel=127.0.0.1\r\nPort=10008\r\nTimeOut=3\r\nTimer=120\r\nTemp=45\r\n"
              "HostNumber=0\r\nCommandError=1\r\nViewType=3\r\nShadowType=1\r\nCoolTextColor=0,255,0\r\n"
              "CoolShadowColor=31,63,31\r\nHotTextColor=255,0,0\r\nHotShadowColor=63,31,31\r\n"
              "MaskColor=15,15,15\r\nTextFont=-17,0,0,0,700,0,0,0,0,0,0,0,2,Arial Narrow\r\n");
}

// Each host reads and saves its own section only. Alert is only read: a save keeps it.
TEST_F(SettingsStore, OneSectionPerHostReadAsTheGrammarSaysAndOthersUntouched)
{
    const char* const label = "とても長いラベルの名前はここで切られますか";
    WriteSection("server-b", {{"Port", "12000"}, {"Debug", "1"}, {"Alert", "0"}, {"Timer", "4294967295"},
                              {"HostNumber", "-1"}, {"Label", label}});
    LoadSettings();   // section 127.0.0.1: nothing there
    EXPECT_EQ(Settings.Port, 10008u);
    SaveSettings();
    EXPECT_EQ(IniValue("server-b", "Port"), "12000");

    std::strcpy(Settings.HostAddress, "server-b");
    LoadSettings();
    EXPECT_EQ(Settings.Port, 12000u);
    EXPECT_EQ(Settings.Debug, 1);
    EXPECT_EQ(Settings.Alert, 0);
    EXPECT_EQ(Settings.Timer, 0xFFFFFFFFu);
    EXPECT_EQ(Settings.HostNumber, 0u) << "a sign is no digit";
    // 31 bytes hold 15 double-byte characters, never half of the 16th.
    EXPECT_EQ(std::string(Settings.Label), std::string(label).substr(0, 30));
    Settings.Alert = 1;
    SaveSettings();
    EXPECT_EQ(IniValue("server-b", "Alert"), "0");
}

// Read back into another position holding the same identity, as after a restart.
TEST_F(Baseline, SaveWritesTheSixKeysInOrderAndLoadReadsThemBack)
{
    // Drives as the tray tests make them, A05 0; the one at position 3 of another model.
    DriveRecord& saved = DriveSlots[2].Record = TrayFixture::Drive(30, DS_GOOD, "Disk 2");
    saved.A09 = 12345;
    saved.AC4 = -1;
    saved.AC5 = 2147483647;
    saved.AC6 = -2147483647 - 1;
    DriveSlots[2].Check = 1;
    DriveRecord& unsaved = DriveSlots[3].Record = TrayFixture::Drive(30, DS_GOOD, "Disk 3");
    std::strcpy(unsaved.Model, "NEW");
    unsaved.A05 = unsaved.A09 = unsaved.AC4 = unsaved.AC5 = unsaved.AC6 = 5;
    DriveSlots[3].Check = 1;
    LoadAttributeBaseline(3);
    EXPECT_EQ(DriveSlots[3].Check, 0);
    EXPECT_EQ(Values(unsaved), std::vector<int32_t>(5, -1));
    // Out-of-range positions touch nothing.
    EXPECT_EQ(SaveAttributeBaseline(-1), 0);
    EXPECT_EQ(SaveAttributeBaseline(16), 0);
    EXPECT_EQ(LoadAttributeBaseline(16), 0);
    EXPECT_FALSE(FileExists(SettingsFilePath()));

    SaveAttributeBaseline(2);
    EXPECT_EQ(FileText(), "[VELMORA VX-2000:FW1.2:SN0001]\r\nCheck=1\r\nA05=0\r\nA09=12345\r\nAC4=-1\r\n"
                          "AC5=2147483647\r\nAC6=-2147483648\r\n");
    DriveRecord& other = DriveSlots[9].Record = TrayFixture::Drive(40, DS_WARN, "Disk 9");
    other.A05 = 99;
    LoadAttributeBaseline(9);
    EXPECT_EQ(DriveSlots[9].Check, 1);
    EXPECT_EQ(Values(other), (std::vector<int32_t>{0, 12345, -1, 2147483647, -2147483647 - 1}));
}


void ExpectBoxesThenExitCodeZero(ChildProcess& kelpra, const MsgBoxWatcher& watcher, const char* caption,
                                 HWND owner, const std::vector<std::string>& texts)
{
    DWORD code = 1234;
    ASSERT_TRUE(kelpra.WaitExit(30000, &code));
    EXPECT_EQ(code, 0u);
    ExpectBoxes(watcher.Boxes(), caption, owner, false, texts);
}

TEST_F(Program, AFirstRefreshWithoutReplyEndsTheProgramWithoutABox)
{
    // The query finds a drive; the three attempts of the first refresh time out.
    SimServer sim(R"({"drives":[{"position":0,"Temperature":38,"DriveNumber":"Disk 0"}],
                      "faults":[{"request":2,"kind":"no-reply"},{"request":3,"kind":"no-reply"},
                                {"request":4,"kind":"no-reply"}]})");
    ASSERT_TRUE(sim.Running());
    WriteSection("127.0.0.1", {{"Port", std::to_string(sim.Port())}, {"TimeOut", "1"}});
    ChildProcess kelpra;
    ASSERT_TRUE(kelpra.Start(Quoted(BuildPath("kelpra.exe"))));
    MsgBoxWatcher watcher(kelpra.Id());
    ExpectBoxesThenExitCodeZero(kelpra, watcher, "", nullptr, {});
    EXPECT_EQ(sim.RequestCount(), 4u);
}

std::string EnvPath(const char* variable, const char* rest)
{
    const char* base = std::getenv(variable);
    return std::string(base ? base : "") + rest;
}

// The file naming the simulator (no drives) is used; the others name a dead port and stay.
// Also run under a non-Japanese locale (c_locale): the manifest asks for code page 932.
TEST_F(Program, TheSettingsFileIsPortablePerUserOrCopiedOnceFromAnOldPlace)
{
    const std::string user = EnvPath("APPDATA", "\\KELPRA\\KELPRA.INI");
    const std::string windows = EnvPath("windir", "\\KELPRA.INI");
    const std::string store = EnvPath("LOCALAPPDATA", "\\VirtualStore\\windows\\KELPRA.INI");
    // CPALLET.INI beside each, under its own name.
    const std::string userPalette = EnvPath("APPDATA", "\\KELPRA\\CPALLET.INI");
    const std::string windowsPalette = EnvPath("windir", "\\CPALLET.INI");
    const std::string storePalette = EnvPath("LOCALAPPDATA", "\\VirtualStore\\windows\\CPALLET.INI");
    const std::string portableDir = MakeTempFolder("kelpra-portable");
    const std::string portable = portableDir + "\\KELPRA.INI", exe = portableDir + "\\kelpra.exe";
    ASSERT_EQ(SettingsFilePath(), user);
    EXPECT_EQ(PaletteFilePath(), userPalette);

    SimServer sim(R"({"drives":[]})");
    ASSERT_TRUE(sim.Running());
    const std::string good = "[127.0.0.1]\r\nPort=" + std::to_string(sim.Port()) + "\r\nTimeOut=1\r\n";
    const std::string bad = "[127.0.0.1]\r\nPort=9\r\nTimeOut=1\r\n";
    const std::string colours = "[kelpra.exe]\r\nPALLET=1\r\n", others = "[kelpra.exe]\r\nPALLET=2\r\n";
    using File = std::pair<std::string, std::string>;   // path, text ("": no file)
    const struct {
        const char* name;
        bool portable;
        std::vector<File> files, userAfter;
    } cases[] = {
        {"per-user", false, {{user, good}}, {{user, good}}},
        {"Windows directory", false, {{windows, good}, {windowsPalette, colours}},
         {{user, good}, {userPalette, colours}}},
        {"VirtualStore first", false,
         {{store, good}, {windows, bad}, {storePalette, colours}, {windowsPalette, others}},
         {{user, good}, {userPalette, colours}}},
        {"per-user before old", false,
         {{user, good}, {windows, bad}, {userPalette, colours}, {windowsPalette, others}},
         {{user, good}, {userPalette, colours}}},
        {"portable", true, {{portable, good}, {windows, bad}, {windowsPalette, colours}},
         {{user, ""}, {userPalette, ""}}},
    };
    auto removeAll = [&] {
        for (const std::string& path : {user, windows, store, portable, userPalette, windowsPalette, storePalette})
            RemoveProfile(path);
    };
    WriteWholeFile(exe, ReadWholeFile(BuildPath("kelpra.exe")));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        removeAll();
        // The per-user folder is made when the program first needs it.
        RemoveDirectoryA(EnvPath("APPDATA", "\\KELPRA").c_str());
        for (const File& f : c.files)
            WriteWholeFile(f.first, f.second);
        const size_t requests = sim.RequestCount();
        ChildProcess kelpra;
        ASSERT_TRUE(kelpra.Start(Quoted(c.portable ? exe : BuildPath("kelpra.exe"))));
        MsgBoxWatcher watcher(kelpra.Id());
        HWND window = WaitForWindow(MAIN_WINDOW_CLASS, kelpra.Id(), 20000);
        char title[64] = "";
        GetWindowTextA(window, title, sizeof title);
        EXPECT_STREQ(title, MAIN_WINDOW_CLASS);
        EXPECT_FALSE(IsWindowVisible(window));
        ExpectBoxesThenExitCodeZero(kelpra, watcher, "エラー情報", window, {"有効なデバイスがありません。"});
        EXPECT_EQ(sim.RequestCount(), requests + 1) << "only the start-up's query";
        for (const std::vector<File>* files : {&c.files, &c.userAfter})
            for (const File& f : *files)
                EXPECT_EQ(ReadWholeFile(f.first), f.second) << f.first;
    }
    removeAll();
    RemoveFolder(portableDir);
    MakeFolderOf(SettingsFilePath());
}

// No server answers: the information box, the settings dialog (its "設定" saves; a custom
// colour defined in its colour chooser is kept), the closing box. A portable copy keeps both
// files beside it.
TEST_F(Program, WithoutAServerItLeadsThroughTheBoxesAndTheDialogToExitCodeZero)
{
    const std::string folder = MakeTempFolder("kelpra-portable");
    WriteWholeFile(folder + "\\kelpra.exe", ReadWholeFile(BuildPath("kelpra.exe")));
    // Nothing listens on this port; one second per attempt keeps it short.
    WriteWholeFile(folder + "\\KELPRA.INI", "[127.0.0.1]\r\nPort=10071\r\nTimeOut=1\r\n");
    ChildProcess kelpra;
    ASSERT_TRUE(kelpra.Start(Quoted(folder + "\\kelpra.exe")));
    MsgBoxWatcher watcher(kelpra.Id());
    HWND dialog = nullptr, chooser = nullptr;
    // Visible once its fields are filled.
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(dialog = FindWindowA("#32770", "設定")); }, 60000, 50));
    const HWND window = FindWindowA(MAIN_WINDOW_CLASS, nullptr);
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), window);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_COOL_TEXT_COLOR, BN_CLICKED), 0);
    // Owned by the dialog, the chooser comes above it.
    ASSERT_TRUE(WaitUntil([&] { return (chooser = TopLevelWindows(kelpra.Id(), "#32770", true)[0]) != dialog; },
                          10000, 50));
    for (int button : {COLOR_ADD, IDCANCEL})
        PostMessageA(chooser, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(chooser); }, 10000, 50));
    SetDlgItemTextA(dialog, IDC_TEMP, "61");
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    ExpectBoxesThenExitCodeZero(kelpra, watcher, "確認情報", window,
                                {"サーバと通信できません。\r\nネットワーク設定を更新して下さい。",
                                 "設定を更新しました。\r\nプログラムを再起動して下さい。"});
    EXPECT_EQ(IniValue("127.0.0.1", "Temp", (folder + "\\KELPRA.INI").c_str()), "61");
    // The start colour, green, is the first custom colour.
    EXPECT_EQ(IniValue("kelpra.exe", "PALLET", (folder + "\\CPALLET.INI").c_str()),
              "00FF0000" + std::string(120, '0'));
    EXPECT_FALSE(FileExists(SettingsFilePath()) || FileExists(PaletteFilePath()));
    RemoveFolder(folder);
}

} // namespace
