// kelpra.exe as a process, driven from outside: its hidden window, the
// start-ups that end early (no drive, no reply to the first refresh, no
// server at all), and where it finds its settings file.
#include "app/app_state.h"
#include "config/settings.h"
#include "msgbox_watcher.h"
#include "sim_server.h"
#include "test_env.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace {

class Program : public ::testing::Test {
protected:
    void SetUp() override { RemoveProfile(SettingsFilePath()); }
    void TearDown() override { RemoveProfile(SettingsFilePath()); }
};

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
    DWORD code = 1234;
    ASSERT_TRUE(kelpra.WaitExit(30000, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(watcher.Count(), 0u);
    EXPECT_EQ(sim.RequestCount(), 4u);
}

std::string EnvPath(const char* variable, const char* rest)
{
    const char* base = std::getenv(variable);
    return std::string(base ? base : "") + rest;
}

// kelpra.exe takes its port from the one file naming the simulator, which
// has no drives: its hidden window owns the one box, and it ends with 0.
// The other files name a dead port and, like any old file, stay as they
// were. Also run under a non-Japanese locale (win.program_test.c_locale):
// the manifest asks for code page 932, so the Shift-JIS box text shows right.
TEST_F(Program, TheSettingsFileIsPortablePerUserOrCopiedOnceFromAnOldPlace)
{
    const std::string user = EnvPath("APPDATA", "\\KELPRA\\KELPRA.INI");
    const std::string windows = EnvPath("windir", "\\KELPRA.INI");
    const std::string store = EnvPath("LOCALAPPDATA", "\\VirtualStore\\windows\\KELPRA.INI");
    const std::string portableDir = EnvPath("TEMP", "\\kelpra-portable");
    const std::string portable = portableDir + "\\KELPRA.INI", exe = portableDir + "\\kelpra.exe";
    ASSERT_EQ(SettingsFilePath(), user);

    SimServer sim(R"({"drives":[]})");
    ASSERT_TRUE(sim.Running());
    const std::string good = "[127.0.0.1]\r\nPort=" + std::to_string(sim.Port()) + "\r\nTimeOut=1\r\n";
    const std::string bad = "[127.0.0.1]\r\nPort=9\r\nTimeOut=1\r\n";
    using File = std::pair<std::string, std::string>;   // path, text ("": no file)
    const struct {
        const char* name;
        bool portable;
        std::vector<File> files, userAfter;
    } cases[] = {
        {"per-user", false, {{user, good}}, {{user, good}}},
        {"Windows directory", false, {{windows, good}}, {{user, good}}},
        {"VirtualStore first", false, {{store, good}, {windows, bad}}, {{user, good}}},
        {"per-user before old", false, {{user, good}, {windows, bad}}, {{user, good}}},
        {"portable", true, {{portable, good}, {windows, bad}}, {{user, ""}}},
    };
    auto removeAll = [&] {
        for (const std::string& path : {user, windows, store, portable})
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
        ASSERT_NE(window, nullptr);
        char title[64] = "";
        GetWindowTextA(window, title, sizeof title);
        EXPECT_STREQ(title, MAIN_WINDOW_CLASS);
        EXPECT_FALSE(IsWindowVisible(window));
        DWORD code = 1234;
        ASSERT_TRUE(kelpra.WaitExit(30000, &code));
        EXPECT_EQ(code, 0u);
        std::vector<SeenBox> boxes = watcher.Boxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].caption, "エラー情報");
        EXPECT_EQ(boxes[0].text, "有効なデバイスがありません。");
        EXPECT_EQ(boxes[0].owner, window);
        EXPECT_EQ(boxes[0].buttons, 1);
        EXPECT_EQ(sim.RequestCount(), requests + 1) << "only the start-up's query";
        for (const std::vector<File>* files : {&c.files, &c.userAfter})
            for (const File& f : *files)
                EXPECT_EQ(ReadWholeFile(f.first), f.second) << f.first;
    }
    removeAll();
    DeleteFileA(exe.c_str());
    RemoveDirectoryA(portableDir.c_str());
    MakeFolderOf(SettingsFilePath());
}

// No server answers: the information box, the settings dialog (its "設定" saves),
// the closing box and exit code 0.
TEST_F(Program, WithoutAServerItLeadsThroughTheBoxesAndTheDialogToExitCodeZero)
{
    // Nothing listens on this port; one second per attempt keeps it short.
    WriteSection("127.0.0.1", {{"Port", "10071"}, {"TimeOut", "1"}});
    ChildProcess kelpra;
    ASSERT_TRUE(kelpra.Start(Quoted(BuildPath("kelpra.exe"))));
    MsgBoxWatcher watcher(kelpra.Id());
    HWND dialog = nullptr;
    WaitUntil([&] {
        for (HWND window : TopLevelWindows(kelpra.Id(), "#32770", true))
            dialog = GetDlgItem(window, 1000) ? window : dialog;
        return dialog != nullptr;
    }, 60000, 50);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), FindWindowA(MAIN_WINDOW_CLASS, nullptr));
    SetDlgItemTextA(dialog, 1007, "61");
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    DWORD code = 99;
    ASSERT_TRUE(kelpra.WaitExit(30000, &code));
    EXPECT_EQ(code, 0u);
    std::vector<SeenBox> boxes = watcher.Boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "サーバと通信できません。\r\nネットワーク設定を更新して下さい。");
    EXPECT_EQ(boxes[1].text, "設定を更新しました。\r\nプログラムを再起動して下さい。");
    for (const SeenBox& b : boxes) {
        EXPECT_EQ(b.caption, "確認情報");
        EXPECT_EQ(b.buttons, 1);
    }
    EXPECT_EQ(IniValue("127.0.0.1", "Temp"), "61");
}

} // namespace
