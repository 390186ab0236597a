// The details balloon written into a real tray icon's record and handed to
// the shell, with records filled directly into the slots.
#include "app/tray_set.h"
#include "config/sjis_text.h"
#include "link/balloon.h"
#include "link/drive_slot.h"
#include "link/drive_view.h"
#include "debug_output.h"
#include "tray_fixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

class Balloon : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(CreateTrayIcons(fixture.Window()));
        TrayFixture::FillTables();
    }

    // Slot s holds record r and shows image `image`, as after a refresh.
    void Show(unsigned s, const DriveRecord& r, UINT image)
    {
        DriveSlots[s].Record = r;
        DriveSlots[s].ShownImage = image;
        ASSERT_TRUE(DriveSlots[s].TrayIcon.Add(image));
    }
    static const NOTIFYICONDATAA& Nid(unsigned s) { return DriveSlots[s].TrayIcon.m_nid; }
    std::vector<std::string> Reports() const { return debug.Texts(); }

    TrayFixture fixture;
    DebugOutput debug;
};

TEST_F(Balloon, TitleNineLinesIconAndTimeoutWithTheShownImage)
{
    Show(3, TrayFixture::Drive(38, DS_WARN, "Disk 3"), 238);
    ShowDriveDetails(fixture.Window(), 3);
    const NOTIFYICONDATAA& nid = Nid(3);
    EXPECT_STREQ(nid.szInfoTitle, "VELMORA VX-2000");
    // (The nine lines themselves: the native BalloonText tests.)
    char text[BALLOON_BUILD_ROOM];
    FormatBalloonText(text, sizeof text, 3, DriveSlots[3].Record);
    EXPECT_STREQ(nid.szInfo, text);
    EXPECT_NE(std::strstr(nid.szInfo, "ステータス　：注意"), nullptr);
    EXPECT_EQ(nid.dwInfoFlags, static_cast<DWORD>(NIIF_WARNING));
    EXPECT_EQ(nid.uTimeout, 10000u);
    EXPECT_EQ(nid.uFlags & NIF_INFO, 0u) << "the balloon is shown by one call only";
    EXPECT_EQ(DriveSlots[3].TrayIcon.m_nCurrentImage, 238);
    EXPECT_EQ(nid.hIcon, PlainImage());
    EXPECT_TRUE(TrayFixture::ShellHasIcon(3));
    EXPECT_TRUE(Reports().empty());

    // After a failed refresh it comes with the error image.
    Show(1, TrayFixture::Drive(40, DS_GOOD, "Disk 1"), ICON_ERROR);
    ShowDriveDetails(fixture.Window(), 1);
    EXPECT_EQ(Nid(1).hIcon, ErrorImage());
    EXPECT_EQ(Nid(1).dwInfoFlags, static_cast<DWORD>(NIIF_INFO));
}

TEST_F(Balloon, OverflowIsCutOnACharacterBoundaryAndReportedInFullTheTitleToo)
{
    DriveRecord r = TrayFixture::Drive(38, DS_DNGR, "");
    std::memset(r.DriveNumber, 'D', 63);
    std::memset(r.Firmware, 'F', 15);
    std::memset(r.Serial, 'S', 31);
    std::memset(r.Model, 'M', sizeof r.Model);   // 64 bytes, no 0: the title takes 63
    // Longer numbers move the double-byte "：" of the attribute line onto
    // bytes 254 and 255, where a byte-wise cut would split it.
    r.MaxTemperature = 100;
    r.UsageRate = -10;
    r.A09 = 2400000;
    Show(15, r, 438);

    char full[BALLOON_BUILD_ROOM];
    size_t length = FormatBalloonText(full, sizeof full, 15, r);
    ASSERT_GT(length, 255u);
    ASSERT_TRUE(IsSjisLeadByte(static_cast<unsigned char>(full[254])));

    ShowDriveDetails(fixture.Window(), 15);
    EXPECT_EQ(std::string(Nid(15).szInfoTitle), std::string(63, 'M'));
    std::string info = Nid(15).szInfo;
    EXPECT_EQ(info.size(), 254u);
    EXPECT_EQ(info, std::string(full, 254));
    std::vector<std::string> seen = Reports();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0], "HMM... BALLOON INFO OVERFLOW (MAX 255 BYTES):" + std::to_string(length) + "\n");
}

TEST_F(Balloon, AnEmptySlotShowsAnEmptyInformationBalloon)
{
    DriveRecord r = TrayFixture::Drive(38, DS_DNGR, "Disk 4");
    r.InUse = 0;
    Show(4, r, 604);
    ShowDriveDetails(fixture.Window(), 4);
    EXPECT_STREQ(Nid(4).szInfo, "");
    EXPECT_EQ(Nid(4).dwInfoFlags, static_cast<DWORD>(NIIF_INFO));
    EXPECT_STREQ(Nid(4).szInfoTitle, "VELMORA VX-2000");
}

TEST_F(Balloon, ABusySlotLockDoesNothingAndCountsTheMiss)
{
    Show(6, TrayFixture::Drive(38, DS_WARN, "Disk 6"), 238);
    HANDLE held = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread holder([&] {
        DriveSlots[6].Lock.Enter();
        SetEvent(held);
        WaitForSingleObject(release, 10000);
        DriveSlots[6].Lock.Leave();
    });
    ASSERT_EQ(WaitForSingleObject(held, 10000), WAIT_OBJECT_0);
    ShowDriveDetails(fixture.Window(), 6);
    EXPECT_EQ(DriveSlots[6].Lock.MissCount(), 1);
    EXPECT_STREQ(Nid(6).szInfo, "");
    EXPECT_STREQ(Nid(6).szInfoTitle, "");
    EXPECT_EQ(Nid(6).uTimeout, 0u);
    SetEvent(release);
    holder.join();
    CloseHandle(held);
    CloseHandle(release);

    ShowDriveDetails(fixture.Window(), 6);   // free again: shown
    EXPECT_STRNE(Nid(6).szInfo, "");
}

TEST_F(Balloon, WithoutALockOrAnImageTableNothingIsWritten)
{
    Show(7, TrayFixture::Drive(38, DS_WARN, "Disk 7"), 238);
    DriveSlots[7].Lock.Delete();
    ShowDriveDetails(fixture.Window(), 7);
    EXPECT_STREQ(Nid(7).szInfo, "");
    EXPECT_EQ(DriveSlots[7].Lock.MissCount(), 0);

    DriveSlots[8].Record = TrayFixture::Drive(38, DS_WARN, "Disk 8");
    DriveSlots[8].TrayIcon.Destroy();
    ShowDriveDetails(fixture.Window(), 8);
    EXPECT_STREQ(Nid(8).szInfo, "");
    EXPECT_STREQ(Nid(8).szInfoTitle, "");
    EXPECT_EQ(Nid(8).uFlags, 0u);
    EXPECT_EQ(DriveSlots[8].Lock.State(), WINLOCK::LOCK_RELEASED);
}

} // namespace
