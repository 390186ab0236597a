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
    // Out-of-range positions touch nothing.
    EXPECT_EQ(SaveAttributeBaseline(-1), 0);
    EXPECT_EQ(SaveAttributeBaseline(16), 0);
    EXPECT_EQ(LoadAttributeBaseline(16), 0);
    EXPECT_FALSE(FileExists(SettingsFilePath()));
}

} // namespace
