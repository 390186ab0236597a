// The 16 tray icons in the real notification area of the test display:
// identifiers and callbacks, host numbers, refused adds and the
// "TaskbarCreated" re-add, removal at shutdown, and the details balloon.
#include "app/app_state.h"
#include "app/tray_set.h"
#include "config/settings.h"
#include "config/sjis_text.h"
#include "debug_output.h"
#include "link/balloon.h"
#include "link/drive_slot.h"
#include "link/drive_view.h"
#include "tray_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

class TraySet : public ::testing::Test {
protected:
    void SetUp() override { Settings.HostNumber = 0; }

    void MakeTables()
    {
        ASSERT_TRUE(CreateTrayIcons(fixture.Window()));
        TrayFixture::FillTables();
    }
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
TEST_F(TraySet, IdentifiersAndCallbacksByHostNumber)
{
    const struct { UINT hostNumber; UINT firstId; } cases[] = {
        {0, 1}, {3, 49}, {15, 241}, {0xFFFFFFFFu, 0xFFFFFFF1u}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.hostNumber);
        TrayFixture::ResetSlots();
        Settings.HostNumber = c.hostNumber;
        SYSTEMTIME now;
        GetSystemTime(&now);
        ASSERT_TRUE(CreateTrayIcons(fixture.Window()));
        EXPECT_FALSE(CreateTrayIcons(fixture.Window())) << "the tables exist already";
        for (UINT s = 0; s < SLOT_COUNT; ++s) {
            UINT id = Nid(s).uID;
            if (c.firstId + s != 0) {
                EXPECT_EQ(id, c.firstId + s) << s;
            } else {
                EXPECT_TRUE((id & 0xFFFu) < 1000 && (id >> 12 & 0xFFu) < 60 && (id >> 20 & 0xFFu) < 60) << id;
                EXPECT_TRUE(id >> 28 == (now.wHour & 0xFu) || id >> 28 == ((now.wHour + 1u) % 24u & 0xFu)) << id;
            }
            EXPECT_EQ(Nid(s).uCallbackMessage, 0x8001u + s);
            EXPECT_EQ(Nid(s).hWnd, fixture.Window());
            EXPECT_EQ(Nid(s).uFlags, static_cast<UINT>(NIF_ICON | NIF_MESSAGE));
        }
        ExpectShownExactly({});   // nothing before a refresh
    }
}

// An icon whose add the shell refused is added again and a removed one stays
// away, when the taskbar is created anew (the icons shown come back with
// their last image and tooltip) and in host-number mode (whose images are
// recorded even without tables).
TEST_F(TraySet, ARefusedAddIsTriedAgainAndARemovedIconStaysAway)
{
    DriveSlots[4].Record = TrayFixture::Drive(40, DS_GOOD, "Disk 4");
    EXPECT_TRUE(ShowHostNumbers());
    EXPECT_EQ(DriveSlots[4].ShownImage, 604u);

    MakeTables();
    Show(0, TrayFixture::Drive(40, DS_GOOD, "Disk 0"), 40);
    DriveSlots[0].TrayIcon.Remove();
    Show(1, TrayFixture::Drive(40, DS_ERR, "Disk 1 異常"), ICON_ERROR);
    ShowRefused(3, TrayFixture::Drive(40, DS_GOOD, "Disk 3"), 43);
    Show(5, TrayFixture::Drive(40, DS_GOOD, "Disk 5 正常"), 140);
    for (unsigned s : {1u, 5u}) {
        NOTIFYICONDATAA copy = Nid(s);
        ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &copy));
    }
    for (UINT message : {static_cast<UINT>(WM_NULL), static_cast<UINT>(WM_USER + 7),
                         RegisterWindowMessageA("SomethingElse")})
        EXPECT_FALSE(OnTaskbarCreated(message)) << message;
    ExpectShownExactly({});
    // Through the window procedure, as the shell's broadcast arrives.
    EXPECT_EQ(SendMessageA(fixture.Window(), RegisterWindowMessageA("TaskbarCreated"), 0, 0), 1);
    ExpectShownExactly({1, 3, 5});
    EXPECT_EQ(Nid(1).hIcon, ErrorImage());
    EXPECT_STREQ(Nid(1).szTip, "Disk 1 異常");
    EXPECT_EQ(DriveSlots[5].TrayIcon.m_nCurrentImage, 140);

    ShowRefused(6, TrayFixture::Drive(40, DS_GOOD, "Disk 6"), 46);
    EXPECT_TRUE(ShowHostNumbers());
    ExpectShownExactly({1, 3, 5, 6});
    EXPECT_EQ(Nid(1).hIcon, HostImage());
    EXPECT_EQ(Nid(6).hIcon, HostImage());
    EXPECT_EQ(DriveSlots[0].ShownImage, 600u);
}

TEST_F(TraySet, RemoveTakesEveryIconAwayAndASecondRemoveCallsNoShellFunction)
{
    MakeTables();
    Show(7, TrayFixture::Drive(40, DS_GOOD, "Disk 7"), 41);
    NOTIFYICONDATAA remembered = Nid(7);
    RemoveTrayIcons();
    for (DriveSlot& slot : DriveSlots)
        EXPECT_FALSE(slot.TrayIcon.HasTable());

    // The icon is gone, so it can be added again with the same window and
    // id; a second removal (or the destructors at exit) must not delete it.
    ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &remembered));
    RemoveTrayIcons();
    EXPECT_TRUE(Shell_NotifyIconA(NIM_DELETE, &remembered));
}

// The balloon of the slot's stored record (its nine lines: the native
// BalloonText tests), handed to the shell in one call with the image shown.
TEST_F(TraySet, TheBalloonShowsTheStoredRecordWithTheShownImage)
{
    MakeTables();
    DriveRecord empty = TrayFixture::Drive(38, DS_DNGR, "Disk 4");
    empty.InUse = 0;
    const struct { unsigned slot; DriveRecord record; UINT image; DWORD icon; HICON shown; } cases[] = {
        {3, TrayFixture::Drive(38, DS_WARN, "Disk 3"), 238, NIIF_WARNING, PlainImage()},
        {1, TrayFixture::Drive(40, DS_GOOD, "Disk 1"), ICON_ERROR, NIIF_INFO, ErrorImage()},   // failed refresh
        {4, empty, 604, NIIF_INFO, HostImage()},   // an empty slot: an empty balloon
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.slot);
        Show(c.slot, c.record, c.image);
        ShowDriveDetails(fixture.Window(), static_cast<int>(c.slot));
        const NOTIFYICONDATAA& nid = Nid(c.slot);
        char text[BALLOON_BUILD_ROOM] = "";
        if (c.record.InUse)
            FormatBalloonText(text, sizeof text, static_cast<int>(c.slot), c.record);
        EXPECT_STREQ(nid.szInfo, text);
        EXPECT_STREQ(nid.szInfoTitle, "VELMORA VX-2000");
        EXPECT_EQ(nid.dwInfoFlags, c.icon);
        EXPECT_EQ(nid.uTimeout, 10000u);
        EXPECT_EQ(nid.uFlags & NIF_INFO, 0u) << "no balloon at later icon changes";
        EXPECT_EQ(nid.hIcon, c.shown);
        EXPECT_TRUE(TrayFixture::ShellHasIcon(c.slot));
    }
    EXPECT_TRUE(debug.Texts().empty());
}

TEST_F(TraySet, TheBalloonIsCutOnACharacterBoundaryAndReportedInFullTheTitleToo)
{
    MakeTables();
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
    EXPECT_EQ(std::string(Nid(15).szInfo), std::string(full, 254));
    EXPECT_EQ(debug.Texts(), std::vector<std::string>{"HMM... BALLOON INFO OVERFLOW (MAX 255 BYTES):" +
                                                      std::to_string(length) + "\n"});
}

// A busy slot lock (a refresh storing the record) shows nothing and counts
// the miss; without a lock or an image table nothing is written either.
TEST_F(TraySet, TheBalloonWritesNothingWhileTheLockIsBusyOrWithoutLockOrTable)
{
    MakeTables();
    Show(6, TrayFixture::Drive(38, DS_WARN, "Disk 6"), 238);
    Show(7, TrayFixture::Drive(38, DS_WARN, "Disk 7"), 238);
    DriveSlots[7].Lock.Delete();
    DriveSlots[8].Record = TrayFixture::Drive(38, DS_WARN, "Disk 8");
    DriveSlots[8].TrayIcon.Destroy();
    HANDLE held = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread holder([&] {
        DriveSlots[6].Lock.Enter();
        SetEvent(held);
        WaitForSingleObject(release, 10000);
        DriveSlots[6].Lock.Leave();
    });
    ASSERT_EQ(WaitForSingleObject(held, 10000), WAIT_OBJECT_0);
    for (int s : {6, 7, 8}) {
        ShowDriveDetails(fixture.Window(), s);
        EXPECT_STREQ(Nid(s).szInfo, "") << s;
        EXPECT_STREQ(Nid(s).szInfoTitle, "") << s;
    }
    EXPECT_EQ(DriveSlots[6].Lock.MissCount(), 1);
    EXPECT_EQ(DriveSlots[7].Lock.MissCount(), 0);
    EXPECT_EQ(Nid(8).uFlags, 0u);
    EXPECT_EQ(DriveSlots[8].Lock.State(), WINLOCK::LOCK_RELEASED);
    SetEvent(release);
    holder.join();
    CloseHandle(held);
    CloseHandle(release);

    ShowDriveDetails(fixture.Window(), 6);   // free again: shown
    EXPECT_STRNE(Nid(6).szInfo, "");
}

} // namespace
