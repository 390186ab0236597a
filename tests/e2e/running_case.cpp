// kelpra.exe running against velmora-sim's demo scenario, seen and driven
// from outside: the icons in the taskbar, their tooltips, the popup menu,
// hiding a drive's status, the host-number mode and the state override.
#include "app/app_state.h"
#include "config/settings.h"
#include "e2e_support.h"
#include "sim_server.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace {

std::string DemoScenario()
{
    const char* source = std::getenv("KELPRA_SOURCE_DIR");
    return ReadWholeFile(std::string("Z:") + (source ? source : ".") + "/tools/velmora-sim/scenarios/demo.json");
}

// The demo's six drives, positions 0 to 5, as the tray shows them right
// after the start (the ramping drive 1 is still below the threshold).
struct DemoIcon {
    int position;
    COLORREF digits;
    Badge badge;
    bool mark;
    bool errorImage;
    const char* tooltip;
};
const DemoIcon DEMO_ICONS[] = {
    {0, COOL_DIGITS, Badge::Good, false, false, "ドライブ 0 (C:) 正常"},
    {1, COOL_DIGITS, Badge::Good, false, false, "ドライブ 1 (D:) 正常"},
    {2, COOL_DIGITS, Badge::Caution, true, false, "ドライブ 2 (E:) 注意"},
    {3, HOT_DIGITS, Badge::Danger, true, false, "ドライブ 3 (F:) 危険"},
    {4, COOL_DIGITS, Badge::None, false, true, "ドライブ 4 (応答なし) 異常"},
    {5, COOL_DIGITS, Badge::Good, false, false, "バックアップ用外付けドライブ（第二筐体・上段スロット） 正常"},
};
constexpr int DEMO_DRIVES = 6;

class Running : public ::testing::Test {
protected:
    void SetUp() override { StartAgainst(DemoScenario(), {}); }
    void TearDown() override
    {
        if (kelpra_) {
            EXPECT_TRUE(kelpra_->CloseWithZero());
        }
        RemoveProfile(SettingsFilePath());
    }

    void StartAgainst(const std::string& scenario, const std::vector<Setting>& extra)
    {
        sim_ = std::make_unique<SimServer>(scenario);
        ASSERT_TRUE(sim_->Running());
        std::vector<Setting> keys = {{"Port", std::to_string(sim_->Port())}, {"TimeOut", "1"}, NO_ALERTS};
        keys.insert(keys.end(), extra.begin(), extra.end());
        WriteOnlySection("127.0.0.1", keys);
        StartKelpra();
    }
    void StartKelpra()
    {
        kelpra_ = std::make_unique<Kelpra>();
        size_t before = sim_->RequestCount();
        ASSERT_TRUE(kelpra_->Start());
        ASSERT_TRUE(sim_->WaitForRequests(before + 2, 20000)) << "the start-up's query and first refresh";
        IconLook seen;
        ASSERT_TRUE(WaitForLook(DEMO_DRIVES - 1, COOL_DIGITS, [](const IconLook& l) { return l.colours > 2; },
                                10000, &seen))
            << "the last drive's icon in the tray";
    }
    void Restart()
    {
        ASSERT_TRUE(kelpra_->CloseWithZero());
        ASSERT_TRUE(WaitUntil([] { return TrayEmpty(DEMO_DRIVES); }, 10000));
        StartKelpra();
    }

    // Opens the popup menu of a slot by its right-button callback; the menu's
    // window height tells how many items it has.
    HWND OpenMenu(int slot)
    {
        kelpra_->TrayMessage(slot, 0, WM_RBUTTONDOWN);
        HWND menu = nullptr;
        WaitUntil([&] { return (menu = FindMenuWindow()) != nullptr; }, 5000, 50);
        return menu;
    }
    int MenuHeight(int slot)
    {
        HWND menu = OpenMenu(slot);
        RECT r = {};
        if (!menu || !GetWindowRect(menu, &r))
            return 0;
        PressMenuKeys(menu, {VK_ESCAPE});
        EXPECT_TRUE(WaitUntil([] { return FindMenuWindow() == nullptr; }, 5000, 50)) << "menu closed";
        return r.bottom - r.top;
    }

    std::unique_ptr<SimServer> sim_;
    std::unique_ptr<Kelpra> kelpra_;
};

TEST_F(Running, EveryDemoDriveShowsItsDigitsColourBadgeAndMarkInTheTray)
{
    Screenshot shot;
    ASSERT_TRUE(shot.Capture());
    for (const DemoIcon& d : DEMO_ICONS) {
        IconLook look = LookAt(shot, d.position, d.digits);
        SCOPED_TRACE("position " + std::to_string(d.position));
        EXPECT_EQ(look.errorImage, d.errorImage);
        if (d.errorImage)
            continue;
        EXPECT_GE(look.digitPixels, 8) << "digits in their colour";
        EXPECT_EQ(LookAt(shot, d.position, d.digits == COOL_DIGITS ? HOT_DIGITS : COOL_DIGITS).digitPixels, 0)
            << "and not in the other one";
        EXPECT_EQ(look.badge, d.badge);
        EXPECT_EQ(look.markPixels > 0, d.mark);
    }
    EXPECT_EQ(LookAt(shot, DEMO_DRIVES, COOL_DIGITS).colours, 1) << "no seventh icon";
}

TEST_F(Running, EveryDemoDriveHasItsDriveNumberAndStateAsTooltip)
{
    std::vector<std::string> tips = TrayTooltips();
    for (const DemoIcon& d : DEMO_ICONS)
        EXPECT_TRUE(HasTooltip(d.tooltip)) << d.tooltip << " among " << tips.size() << " tooltips";
}

TEST_F(Running, TheMenuOfACautionDriveHasOneItemMoreThanThatOfAGoodDrive)
{
    int good = MenuHeight(0);
    int caution = MenuHeight(2);
    int danger = MenuHeight(3);
    ASSERT_GT(good, 0);
    EXPECT_GT(caution, good) << "\"ステータス非表示\" on top";
    EXPECT_EQ(danger, caution);
    EXPECT_EQ(MenuHeight(1), good);
}

TEST_F(Running, TheMenusFirstItemOfAGoodDriveRefreshesAtOnce)
{
    size_t before = sim_->RequestCount();
    HWND menu = OpenMenu(0);
    ASSERT_NE(menu, nullptr);
    PressMenuKeys(menu, {VK_DOWN, VK_RETURN});
    EXPECT_TRUE(sim_->WaitForRequests(before + 1, 10000)) << "\"最新の情報に更新\" asks the server";
}

TEST_F(Running, TheRefreshCommandAsksTheServerOncePerCommand)
{
    size_t before = sim_->RequestCount();
    kelpra_->Command(IDM_REFRESH);
    kelpra_->Command(IDM_REFRESH);
    EXPECT_TRUE(sim_->WaitForRequests(before + 2, 10000));
    Sleep(500);
    EXPECT_EQ(sim_->RequestCount(), before + 2);
}

TEST_F(Running, HidingACautionDrivesStatusDropsItsBadgeAndSurvivesARestart)
{
    HWND menu = OpenMenu(2);
    ASSERT_NE(menu, nullptr);
    PressMenuKeys(menu, {VK_DOWN, VK_RETURN});
    IconLook seen;
    EXPECT_TRUE(WaitForLook(2, COOL_DIGITS, [](const IconLook& l) { return l.badge == Badge::Good && !l.markPixels; },
                            10000, &seen))
        << "badge " << static_cast<int>(seen.badge) << " mark " << seen.markPixels;
    EXPECT_NE(ReadWholeFile(SettingsFilePath()).find("Check=1"), std::string::npos);
    EXPECT_TRUE(HasTooltip("ドライブ 2 (E:) 注意")) << "the tooltip still names the state";

    Restart();
    EXPECT_EQ(LookNow(2, COOL_DIGITS).badge, Badge::Good) << "hidden after the restart too";
    EXPECT_EQ(LookNow(3, HOT_DIGITS).badge, Badge::Danger) << "the other drives keep theirs";
}

TEST_F(Running, HostNumberModeShowsZeroZeroToZeroFiveAndLeavingItShowsTheTemperatures)
{
    size_t before = sim_->RequestCount();
    kelpra_->Command(IDM_HOST_NUMBER_MODE);
    // The taskbar redraws the icons one by one: wait for all of them.
    Screenshot shot;
    ASSERT_TRUE(WaitUntil(
        [&] {
            if (!shot.Capture())
                return false;
            for (int i = 0; i < DEMO_DRIVES; ++i)
                if (LookAt(shot, i, COOL_DIGITS).digitPixels || LookAt(shot, i, HOT_DIGITS).digitPixels)
                    return false;
            return true;
        },
        10000));
    std::vector<std::vector<uint32_t>> icons;
    for (int i = 0; i < DEMO_DRIVES; ++i) {
        EXPECT_EQ(LookAt(shot, i, COOL_DIGITS).digitPixels, 0) << i;
        EXPECT_EQ(LookAt(shot, i, HOT_DIGITS).digitPixels, 0) << i;
        icons.push_back(IconPixels(shot, i));
    }
    // "00" to "05": the same first digit, six different second digits.
    auto half = [](const std::vector<uint32_t>& icon, bool right) {
        std::vector<uint32_t> h;
        for (int y = 0; y < TRAY_ICON_SIZE; ++y)
            for (int x = right ? 8 : 0; x < (right ? 16 : 8); ++x)
                h.push_back(icon[y * TRAY_ICON_SIZE + x]);
        return h;
    };
    for (int i = 1; i < DEMO_DRIVES; ++i) {
        EXPECT_EQ(half(icons[i], false), half(icons[0], false)) << "first digit of " << i;
        for (int j = 0; j < i; ++j)
            EXPECT_NE(half(icons[i], true), half(icons[j], true)) << "second digits of " << i << " and " << j;
    }
    kelpra_->Command(IDM_REFRESH);
    Sleep(500);
    EXPECT_EQ(sim_->RequestCount(), before) << "no query while the host numbers show";

    kelpra_->Command(IDM_HOST_NUMBER_MODE);
    EXPECT_TRUE(sim_->WaitForRequests(before + 1, 10000));
    IconLook seen;
    EXPECT_TRUE(WaitForLook(0, COOL_DIGITS, [](const IconLook& l) { return l.digitPixels >= 8; }, 10000, &seen));
}

class RunningWithDebug : public Running {
protected:
    void SetUp() override { StartAgainst(DemoScenario(), {{"Debug", "1"}}); }
};

TEST_F(RunningWithDebug, TheStateOverrideRulesEveryIconAndAddsTheOverrideItemToTheMenu)
{
    int plain = MenuHeight(0);
    kelpra_->Command(IDM_OVERRIDE_DANGER);
    IconLook seen;
    for (int i = 0; i < DEMO_DRIVES; ++i)
        EXPECT_TRUE(WaitForLook(i, COOL_DIGITS, [](const IconLook& l) { return l.badge == Badge::Danger; }, 10000,
                                &seen))
            << "position " << i;
    EXPECT_TRUE(HasTooltip("ドライブ 0 (C:) 危険"));
    int overridden = MenuHeight(0);
    EXPECT_GT(overridden, plain) << "\"ステータス非表示\" and \"状態の偽装\" without Ctrl";

    kelpra_->Command(IDM_OVERRIDE_ERROR);
    EXPECT_TRUE(WaitForLook(0, COOL_DIGITS, [](const IconLook& l) { return l.errorImage; }, 10000, &seen));

    kelpra_->Command(IDM_OVERRIDE_NONE);
    EXPECT_TRUE(WaitForLook(0, COOL_DIGITS, [](const IconLook& l) { return l.badge == Badge::Good; }, 10000, &seen));
    EXPECT_TRUE(WaitForLook(4, COOL_DIGITS, [](const IconLook& l) { return l.errorImage; }, 10000, &seen));
    EXPECT_TRUE(HasTooltip("ドライブ 0 (C:) 正常"));
    EXPECT_EQ(MenuHeight(0), plain);
}

} // namespace
