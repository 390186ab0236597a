// The attribute baselines in the real "KELPRA.INI" of the test prefix.
#include "config/settings.h"
#include "link/baseline.h"
#include "link/drive_slot.h"
#include "test_env.h"
#include "tray_fixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

class Baseline : public ::testing::Test {
protected:
    void SetUp() override
    {
        RemoveProfile(SettingsFilePath());
        TrayFixture::ResetSlots();
    }
    void TearDown() override
    {
        RemoveProfile(SettingsFilePath());
        TrayFixture::ResetSlots();
    }

    static DriveRecord Identity(const char* model, const char* firmware, const char* serial)
    {
        DriveRecord r = {};
        r.InUse = 1;
        std::strncpy(r.Model, model, sizeof r.Model - 1);
        std::strncpy(r.Firmware, firmware, sizeof r.Firmware - 1);
        std::strncpy(r.Serial, serial, sizeof r.Serial - 1);
        return r;
    }

    static std::string FileText()
    {
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, SettingsFilePath());   // flush
        return ReadWholeFile(SettingsFilePath());
    }
};

TEST_F(Baseline, SaveWritesTheSixKeysInOrderUnderModelFirmwareSerial)
{
    DriveSlot& slot = DriveSlots[2];
    slot.Record = Identity("ABC-1000", "1.0", "XYZ123");
    slot.Check = 1;
    slot.Record.A05 = 0;
    slot.Record.A09 = 12345;
    slot.Record.AC4 = -1;
    slot.Record.AC5 = 2147483647;
    slot.Record.AC6 = -2147483647 - 1;
    SaveAttributeBaseline(2);
    std::string text = FileText();
    EXPECT_EQ(text,
              "[ABC-1000:1.0:XYZ123]\r\n"
              "Check=1\r\n"
              "A05=0\r\n"
              "A09=12345\r\n"
              "AC4=-1\r\n"
              "AC5=2147483647\r\n"
              "AC6=-2147483648\r\n");
}

TEST_F(Baseline, LoadReadsBackWhatWasSaved)
{
    DriveSlots[0].Record = Identity("ABC-1000", "1.0", "XYZ123");
    DriveSlots[0].Check = 1;
    DriveSlots[0].Record.A05 = 7;
    DriveSlots[0].Record.A09 = -47;
    DriveSlots[0].Record.AC4 = 8;
    DriveSlots[0].Record.AC5 = -2147483647 - 1;
    DriveSlots[0].Record.AC6 = 10;
    SaveAttributeBaseline(0);

    // Another slot holding the same identity, as after a restart.
    DriveSlot& other = DriveSlots[9];
    other.Record = Identity("ABC-1000", "1.0", "XYZ123");
    other.Record.A05 = 99;
    LoadAttributeBaseline(9);
    EXPECT_EQ(other.Check, 1);
    EXPECT_EQ(other.Record.A05, 7);
    EXPECT_EQ(other.Record.A09, -47);
    EXPECT_EQ(other.Record.AC4, 8);
    EXPECT_EQ(other.Record.AC5, -2147483647 - 1);
    EXPECT_EQ(other.Record.AC6, 10);
}

TEST_F(Baseline, ADriveWithoutASectionLoadsCheckZeroAndMinusOnes)
{
    DriveSlot& slot = DriveSlots[3];
    slot.Record = Identity("NEW", "2.0", "S1");
    slot.Check = 1;
    slot.Record.A05 = slot.Record.A09 = slot.Record.AC4 = slot.Record.AC5 = slot.Record.AC6 = 5;
    LoadAttributeBaseline(3);
    EXPECT_EQ(slot.Check, 0);
    for (int32_t v : {slot.Record.A05, slot.Record.A09, slot.Record.AC4, slot.Record.AC5, slot.Record.AC6})
        EXPECT_EQ(v, -1);
    EXPECT_FALSE(FileExists(SettingsFilePath())) << "loading writes nothing";
}

TEST_F(Baseline, EmptyIdentityUsesTheSectionOfTwoColons)
{
    DriveSlots[1].Record = Identity("", "", "");
    DriveSlots[1].Record.A05 = 3;
    SaveAttributeBaseline(1);
    char value[32] = "";
    GetPrivateProfileStringA("::", "A05", "<missing>", value, sizeof value, SettingsFilePath());
    EXPECT_STREQ(value, "3");
    EXPECT_EQ(FileText().rfind("[::]\r\n", 0), 0u);
}

TEST_F(Baseline, FirmwareChangeStartsANewSectionAndSameIdentityShares)
{
    DriveSlots[0].Record = Identity("M", "1.0", "S");
    DriveSlots[0].Record.AC5 = 1;
    SaveAttributeBaseline(0);
    DriveSlots[1].Record = Identity("M", "1.1", "S");
    DriveSlots[1].Record.AC5 = 2;
    SaveAttributeBaseline(1);
    DriveSlots[2].Record = Identity("M", "1.0", "S");
    DriveSlots[2].Record.AC5 = 3;   // same identity as slot 0: last write wins
    SaveAttributeBaseline(2);
    EXPECT_EQ(GetPrivateProfileIntA("M:1.0:S", "AC5", 0, SettingsFilePath()), 3u);
    EXPECT_EQ(GetPrivateProfileIntA("M:1.1:S", "AC5", 0, SettingsFilePath()), 2u);
}

TEST_F(Baseline, SaveCommandWritesAllSixKeysForEachDriveInUseEvenUnchanged)
{
    // What "現在の属性を保存" does: a save of every position in use.
    DriveSlots[0].Record = Identity("M0", "F", "S0");
    DriveSlots[0].Record.A09 = 100;
    DriveSlots[4].Record = Identity("M4", "F", "S4");
    DriveSlots[4].Record.A09 = 200;
    for (int s = 0; s < 16; ++s)
        if (DriveSlots[s].Record.InUse)
            SaveAttributeBaseline(s);
    EXPECT_EQ(GetPrivateProfileIntA("M0:F:S0", "A09", 0, SettingsFilePath()), 100u);
    EXPECT_EQ(GetPrivateProfileIntA("M4:F:S4", "A09", 0, SettingsFilePath()), 200u);
    char keys[256] = {};
    DWORD n = GetPrivateProfileStringA("M4:F:S4", nullptr, "", keys, sizeof keys, SettingsFilePath());
    EXPECT_EQ(std::string(keys, n), std::string("Check\0A05\0A09\0AC4\0AC5\0AC6\0", 26));
}

TEST_F(Baseline, OutOfRangePositionsTouchNothing)
{
    EXPECT_EQ(SaveAttributeBaseline(-1), 0);
    EXPECT_EQ(SaveAttributeBaseline(16), 0);
    EXPECT_EQ(LoadAttributeBaseline(16), 0);
    EXPECT_FALSE(FileExists(SettingsFilePath()));
}

} // namespace
