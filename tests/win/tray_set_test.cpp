// The 16 tray icons in the real notification area of the test display:
// identifiers and callbacks, host numbers, the "TaskbarCreated" re-add, and
// removal at shutdown.
#include "app/app_state.h"
#include "app/tray_set.h"
#include "config/settings.h"
#include "link/drive_slot.h"
#include "tray_fixture.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

class TraySet : public ::testing::Test {
protected:
    void SetUp() override { Settings.HostNumber = 0; }
    void TearDown() override { Settings.HostNumber = 0; }

    // Slots in use get their icon shown with image `image` and a tooltip.
    void ShowDrive(unsigned s, UINT image, const char* tip)
    {
        DriveSlot& slot = DriveSlots[s];
        slot.Record = TrayFixture::Drive(40, DS_GOOD, tip);
        slot.TrayIcon.m_nid.uFlags |= NIF_TIP;
        std::strcpy(slot.TrayIcon.m_nid.szTip, tip);
        ASSERT_TRUE(slot.TrayIcon.Add(ICON_HOST_BASE + s));
        ASSERT_TRUE(slot.TrayIcon.Modify(image));
    }

    // The shell forgets an icon, as when the taskbar is created anew.
    static void ShellForgets(unsigned s)
    {
        NOTIFYICONDATAA copy = DriveSlots[s].TrayIcon.m_nid;
        ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &copy));
    }

    TrayFixture fixture;
};

TEST_F(TraySet, IdentifiersAndCallbacksByHostNumber)
{
    struct Case { UINT hostNumber; UINT firstId; } cases[] = {{0, 1}, {3, 49}, {15, 241}};
    for (const Case& c : cases) {
        TrayFixture::ResetSlots();
        Settings.HostNumber = c.hostNumber;
        ASSERT_TRUE(CreateTrayIcons(fixture.Window()));
        for (UINT s = 0; s < SLOT_COUNT; ++s) {
            const NOTIFYICONDATAA& nid = DriveSlots[s].TrayIcon.m_nid;
            EXPECT_EQ(nid.uID, c.firstId + s) << c.hostNumber << " slot " << s;
            EXPECT_EQ(nid.uCallbackMessage, 0x8001u + s);
            EXPECT_EQ(nid.cbSize, 520u);
            EXPECT_EQ(nid.hWnd, fixture.Window());
            EXPECT_EQ(nid.uFlags, static_cast<UINT>(NIF_ICON | NIF_MESSAGE));
            EXPECT_EQ(DriveSlots[s].TrayIcon.m_nImageCount, ICON_COUNT);
            EXPECT_FALSE(TrayFixture::ShellHasIcon(s)) << "nothing is shown before a refresh";
        }
    }
}

TEST_F(TraySet, HostNumberMinusOneWrapsAndSlot15TakesATimeOfDayId)
{
    Settings.HostNumber = 0xFFFFFFFFu;
    SYSTEMTIME before;
    GetSystemTime(&before);
    ASSERT_TRUE(CreateTrayIcons(fixture.Window()));
    for (UINT s = 0; s < 15; ++s)
        EXPECT_EQ(DriveSlots[s].TrayIcon.m_nid.uID, 0xFFFFFFF1u + s);
    UINT id = DriveSlots[15].TrayIcon.m_nid.uID;
    EXPECT_NE(id, 0u);
    // (hour << 28) + (minute << 20) + (second << 12) + milliseconds, in UTC.
    EXPECT_LT(id & 0xFFFu, 1000u);
    EXPECT_LT((id >> 12) & 0xFFu, 60u);
    EXPECT_LT((id >> 20) & 0xFFu, 60u);
    UINT hour = id >> 28;
    EXPECT_TRUE(hour == (before.wHour & 0xFu) || hour == ((before.wHour + 1u) % 24u & 0xFu)) << hour;
}

TEST_F(TraySet, CreateFailsWhenTheTablesExistAlready)
{
    ASSERT_TRUE(CreateTrayIcons(fixture.Window()));
    EXPECT_FALSE(CreateTrayIcons(fixture.Window()));
}

TEST_F(TraySet, HostNumbersAreRecordedEvenWithoutTables)
{
    DriveSlots[4].Record = TrayFixture::Drive(40, DS_GOOD, "Disk 4");
    EXPECT_TRUE(ShowHostNumbers());
    EXPECT_EQ(DriveSlots[4].ShownImage, 604u);
}

TEST_F(TraySet, TaskbarCreatedReAddsTheSlotsInUseWithLastImageAndTooltip)
{
    ASSERT_TRUE(CreateTrayIcons(fixture.Window()));
    TrayFixture::FillTables();
    ShowDrive(1, ICON_ERROR, "Disk 1 異常");
    ShowDrive(5, 140, "Disk 5 正常");
    ShellForgets(1);
    ShellForgets(5);
    ASSERT_FALSE(TrayFixture::ShellHasIcon(1));
    for (UINT message : {static_cast<UINT>(WM_NULL), static_cast<UINT>(WM_USER + 7),
                         RegisterWindowMessageA("SomethingElse")})
        EXPECT_FALSE(OnTaskbarCreated(message)) << "other messages re-add nothing: " << message;
    EXPECT_FALSE(TrayFixture::ShellHasIcon(5));

    UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    // Through the window procedure, as the shell's broadcast arrives.
    EXPECT_EQ(SendMessageA(fixture.Window(), taskbarCreated, 0, 0), 1);
    for (unsigned s : {1u, 5u}) {
        EXPECT_TRUE(TrayFixture::ShellHasIcon(s)) << s;
        EXPECT_NE(DriveSlots[s].TrayIcon.m_nid.uFlags & NIF_TIP, 0u);
    }
    EXPECT_EQ(DriveSlots[1].TrayIcon.m_nid.hIcon, ErrorImage());
    EXPECT_EQ(DriveSlots[1].TrayIcon.m_nCurrentImage, static_cast<INT32>(ICON_ERROR));
    EXPECT_STREQ(DriveSlots[1].TrayIcon.m_nid.szTip, "Disk 1 異常");
    EXPECT_EQ(DriveSlots[5].TrayIcon.m_nCurrentImage, 140);
    EXPECT_STREQ(DriveSlots[5].TrayIcon.m_nid.szTip, "Disk 5 正常");
    for (unsigned s : {0u, 2u, 3u, 15u})
        EXPECT_FALSE(TrayFixture::ShellHasIcon(s)) << "empty slot " << s;

    // While the shell still holds them, a second add is refused.
    EXPECT_FALSE(OnTaskbarCreated(taskbarCreated));
    // A drive whose icon was removed keeps its record but does not come back.
    DriveSlots[1].TrayIcon.Remove();
    OnTaskbarCreated(taskbarCreated);
    EXPECT_FALSE(TrayFixture::ShellHasIcon(1));
}

TEST_F(TraySet, RemoveTakesEveryIconAwayAndASecondRemoveCallsNoShellFunction)
{
    ASSERT_TRUE(CreateTrayIcons(fixture.Window()));
    TrayFixture::FillTables();
    ShowDrive(0, 40, "Disk 0");
    ShowDrive(7, 41, "Disk 7");
    NOTIFYICONDATAA remembered = DriveSlots[7].TrayIcon.m_nid;

    RemoveTrayIcons();
    EXPECT_FALSE(Shell_NotifyIconA(NIM_MODIFY, &remembered));
    for (DriveSlot& slot : DriveSlots) {
        EXPECT_FALSE(slot.TrayIcon.HasTable());
        EXPECT_EQ(slot.TrayIcon.m_nImageCount, 0u);
        EXPECT_EQ(slot.TrayIcon.m_nid.cbSize, 0u);
    }

    // An icon with the same window and id, put there by someone else: a
    // second removal (or the destructors at exit) must not delete it.
    ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &remembered));
    RemoveTrayIcons();
    EXPECT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &remembered));
    EXPECT_TRUE(Shell_NotifyIconA(NIM_DELETE, &remembered));
}

} // namespace
