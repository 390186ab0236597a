// The settings dialog of a running kelpra.exe, driven from outside: "適用"
// redraws the tray at once and saves nothing, "設定" writes the section.
#include "app/app_state.h"
#include "config/settings.h"
#include "config/settings_dialog.h"
#include "e2e_support.h"
#include "sim_server.h"

#include <gtest/gtest.h>

namespace {

HWND WaitForSettingsDialog(DWORD processId)
{
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND d : WindowsOf(processId, "#32770"))
                if (GetDlgItem(d, IDC_HOST_ADDRESS))
                    found = d;
            return found != nullptr;
        },
        10000, 50);
    return found;
}

TEST(Settings, ApplyRecoloursTheTrayAtOnceAndSetWritesTheSection)
{
    SimServer sim(R"({"drives":[{"position":0,"Temperature":34,"State":"good","DriveNumber":"Disk 0"},
                                {"position":1,"Temperature":40,"State":"good","DriveNumber":"Disk 1"}]})");
    ASSERT_TRUE(sim.Running());
    WriteOnlySection("127.0.0.1", {{"Port", std::to_string(sim.Port())}, {"TimeOut", "1"}, NO_ALERTS});
    Kelpra kelpra;
    ASSERT_TRUE(kelpra.Start());
    IconLook seen;
    ASSERT_TRUE(WaitForLook(1, COOL_DIGITS, [](const IconLook& l) { return l.digitPixels >= 8; }, 20000, &seen));

    kelpra.Command(IDM_SETTINGS);
    HWND dialog = WaitForSettingsDialog(kelpra.Id());
    ASSERT_NE(dialog, nullptr);
    // A threshold below both temperatures makes both drives hot.
    SetDlgItemTextA(dialog, IDC_TEMP, "30");
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_APPLY, BN_CLICKED), 0);
    for (int i = 0; i < 2; ++i)
        EXPECT_TRUE(WaitForLook(i, HOT_DIGITS, [](const IconLook& l) { return l.digitPixels >= 8; }, 10000, &seen))
            << "position " << i << " in the hot colour";
    EXPECT_EQ(LookNow(0, COOL_DIGITS).digitPixels, 0);
    EXPECT_TRUE(IsWindowVisible(dialog)) << "\"適用\" keeps the dialog open";
    EXPECT_EQ(ReadSetting("127.0.0.1", "Temp"), "<missing>") << "and saves nothing";

    SetDlgItemTextA(dialog, IDC_TEMP, "35");
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, 10000));
    EXPECT_TRUE(WaitUntil([] { return ReadSetting("127.0.0.1", "Temp") == "35"; }, 5000));
    EXPECT_EQ(ReadSetting("127.0.0.1", "Port"), std::to_string(sim.Port()));
    EXPECT_TRUE(WaitForLook(0, COOL_DIGITS, [](const IconLook& l) { return l.digitPixels >= 8; }, 10000, &seen))
        << "34 is not above 35";
    EXPECT_TRUE(WaitForLook(1, HOT_DIGITS, [](const IconLook& l) { return l.digitPixels >= 8; }, 10000, &seen))
        << "40 is";
    EXPECT_TRUE(kelpra.CloseWithZero());
    RemoveProfile(SettingsFilePath());
}

} // namespace
