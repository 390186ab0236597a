// One user's session with the demo scenario, seen and driven from outside:
// the host named on the command line with its own section and label, the
// six icons and their tooltips, a restarted shell, a left click's balloon,
// the settings dialog saving a threshold, the menu's exit, and a second
// start that reads the saved threshold back.
#include "app/app_state.h"
#include "config/settings.h"
#include "config/settings_dialog.h"
#include "e2e_support.h"
#include "sim_server.h"

#include <gtest/gtest.h>

#include <shellapi.h>

#include <cstdlib>

namespace {

std::string DemoScenario()
{
    const char* source = std::getenv("KELPRA_SOURCE_DIR");
    return ReadWholeFile(std::string("Z:") + (source ? source : ".") + "/tools/velmora-sim/scenarios/demo.json");
}

// The demo's six drives as the tray shows them right after the start (the
// ramping drive 1 is still below the threshold). The last tooltip is cut to
// 63 bytes on a character boundary, inside the label.
const std::vector<ExpectedLook> DEMO_LOOKS = {
    {COOL_DIGITS, Badge::Good, false}, {COOL_DIGITS, Badge::Good, false}, {COOL_DIGITS, Badge::Caution, true},
    {HOT_DIGITS, Badge::Danger, true}, {ERROR_IMAGE, Badge::None, false}, {COOL_DIGITS, Badge::Good, false},
};
const char* const DEMO_TOOLTIPS[] = {
    "ドライブ 0 (C:) 正常 (ラック A)", "ドライブ 1 (D:) 正常 (ラック A)", "ドライブ 2 (E:) 注意 (ラック A)",
    "ドライブ 3 (F:) 危険 (ラック A)", "ドライブ 4 (応答なし) 異常 (ラック A)",
    "バックアップ用外付けドライブ（第二筐体・上段スロット） 正常 (ラ",
};
constexpr int DEMO_DRIVES = 6;

// The shell forgets the icons (deleted in the program's name, as a restarted
// shell would have lost them); its broadcast brings them back from memory.
void ExpectTaskbarCreatedRestoresTheIcons(Kelpra& kelpra, const SimServer& sim)
{
    Screenshot before;
    ASSERT_TRUE(before.Capture());
    for (UINT slot = 0; slot < DEMO_DRIVES; ++slot) {
        NOTIFYICONDATAA nid = {};
        nid.cbSize = 520;
        nid.hWnd = kelpra.Window();
        nid.uID = slot + 1;
        EXPECT_TRUE(Shell_NotifyIconA(NIM_DELETE, &nid));
    }
    ASSERT_TRUE(WaitUntil([] { return TrayEmpty(DEMO_DRIVES); }, 10000));
    const size_t requests = sim.RequestCount();
    DWORD_PTR result = 0;
    SendMessageTimeoutA(HWND_BROADCAST, RegisterWindowMessageA("TaskbarCreated"), 0, 0, SMTO_ABORTIFHUNG, 5000,
                        &result);
    Screenshot after;
    EXPECT_TRUE(WaitUntil([&] {
        return after.Capture() && IconSquare(after, DEMO_DRIVES - 1) == IconSquare(before, DEMO_DRIVES - 1);
    }, 10000));
    for (int i = 0; i <= DEMO_DRIVES; ++i)
        EXPECT_EQ(IconSquare(after, i), IconSquare(before, i)) << "position " << i;
    EXPECT_EQ(sim.RequestCount(), requests) << "re-added without asking";
}

TEST(UserSession, FromTheCommandLineThroughTheTrayAndTheDialogToTheMenusExitAndBack)
{
    SimServer sim(DemoScenario());
    ASSERT_TRUE(sim.Running());
    // The default host's section points at a port where nothing answers.
    WriteOnlySection("127.0.0.1", {{"Port", "10071"}, {"TimeOut", "1"}});
    WriteSection("localhost", {{"Port", std::to_string(sim.Port())}, {"TimeOut", "1"}, {"Label", "ラック A"}, NO_ALERTS});

    Kelpra kelpra;
    ASSERT_TRUE(kelpra.Start("localhost"));
    ASSERT_TRUE(WaitForLook(DEMO_DRIVES - 1, COOL_DIGITS, ShowsDigits)) << "the last drive's icon";
    ExpectLooks(DEMO_LOOKS);
    for (const char* tooltip : DEMO_TOOLTIPS)
        EXPECT_TRUE(HasTooltip(tooltip)) << tooltip;
    ExpectTaskbarCreatedRestoresTheIcons(kelpra, sim);

    EXPECT_TRUE(VisibleBalloons().empty());
    ClickIcon(2, false);
    std::vector<HWND> shown;
    RECT rect = {};
    EXPECT_TRUE(WaitUntil([&] { return !(shown = VisibleBalloons()).empty(); }, 8000)) << "a left click's balloon";
    EXPECT_TRUE(shown.empty() || (GetWindowRect(shown.front(), &rect) && rect.right > 1024 - 400 && rect.bottom > 768 / 2))
        << "near the tray at the bottom right";

    // A threshold of 30 makes drive 0 (34 degrees) hot, not drive 5 (29).
    kelpra.Command(IDM_SETTINGS);
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (dialog = FindWindowA("#32770", "設定")) != nullptr; }, 10000, 50));
    SetDlgItemTextA(dialog, IDC_TEMP, "30");
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, 10000));
    EXPECT_TRUE(WaitForLook(0, HOT_DIGITS, ShowsDigits, 10000));
    EXPECT_TRUE(ShowsDigits(LookNow(5, COOL_DIGITS)));
    EXPECT_EQ(IniValue("localhost", "Temp"), "30");
    EXPECT_EQ(IniValue("127.0.0.1", "Temp"), "<missing>") << "only the section of the host in use";

    // The last item of a real right click's menu: "プログラムの終了".
    ClickIcon(0, true);
    HWND menu = kelpra.WaitForMenu();
    ASSERT_NE(menu, nullptr);
    for (UINT key : {VK_UP, VK_RETURN})
        PostMessageA(menu, WM_KEYDOWN, key, 0);
    EXPECT_TRUE(kelpra.EndsWithZero());
    EXPECT_TRUE(WaitUntil([] { return TrayEmpty(DEMO_DRIVES); }, 10000)) << "no icon left behind";

    Kelpra again;
    ASSERT_TRUE(again.Start("localhost"));
    EXPECT_TRUE(WaitForLook(0, HOT_DIGITS, ShowsDigits)) << "the saved threshold read back";
    EXPECT_TRUE(again.CloseWithZero());
    RemoveProfile(SettingsFilePath());
}

} // namespace
