// The settings record and the drives' attribute baselines through the real
// profile functions, in the test prefix's KELPRA.INI.
#include "config/inifile.h"
#include "config/settings.h"
#include "link/baseline.h"
#include "link/drive_slot.h"
#include "test_env.h"
#include "tray_fixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

class SettingsStore : public ::testing::Test {
protected:
    void SetUp() override
    {
        RemoveProfile(SettingsFilePath());
        std::memset(&Settings, 0, sizeof Settings);
        SetDefaultSettings();
        std::strcpy(Settings.HostAddress, "127.0.0.1");
    }
    void TearDown() override { RemoveProfile(SettingsFilePath()); }

};

// With no file the defaults are loaded, nothing is written, and a save then
// writes them back as the fifteen keys in order, never Debug or Alert.
TEST_F(SettingsStore, SaveWritesTheFifteenKeysInOrderAndNeverDebug)
{
    LoadSettings();
    EXPECT_FALSE(FileExists(SettingsFilePath()));
    EXPECT_EQ(Settings.Debug, 0);
    EXPECT_EQ(Settings.Alert, 1);
    EXPECT_STREQ(Settings.NumberFont.lfFaceName, "ＭＳ ゴシック");
    Settings.Debug = 1;
    SaveSettings();
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, SettingsFilePath());
    const std::string file = ReadWholeFile(SettingsFilePath());
    const char* expected[][2] = {
        {"Label", "127.0.0.1"}, {"Port", "10008"}, {"TimeOut", "3"}, {"Timer", "120"}, {"Temp", "45"},
        {"HostNumber", "0"}, {"CommandError", "1"}, {"ViewType", "3"}, {"ShadowType", "1"},
        {"CoolTextColor", "0,255,0"}, {"CoolShadowColor", "31,63,31"}, {"HotTextColor", "255,0,0"},
        {"HotShadowColor", "63,31,31"}, {"MaskColor", "15,15,15"},
        {"TextFont", "-17,0,0,0,700,0,0,0,0,0,0,0,2,Arial Narrow"},
    };
    size_t at = file.find("[127.0.0.1]");
    ASSERT_NE(at, std::string::npos) << file;
    for (auto& kv : expected) {
        EXPECT_EQ(IniValue("127.0.0.1", kv[0]), kv[1]) << kv[0];
        size_t next = file.find(std::string(kv[0]) + "=", at);
        EXPECT_NE(next, std::string::npos) << kv[0] << " out of order in\n" << file;
        at = next == std::string::npos ? at : next;
    }
    EXPECT_EQ(IniValue("127.0.0.1", "Debug"), "<missing>");
    EXPECT_EQ(IniValue("127.0.0.1", "Alert"), "<missing>");
}

TEST_F(SettingsStore, OneSectionPerHostAndOthersUntouched)
{
    WritePrivateProfileStringA("server-b", "Port", "12000", SettingsFilePath());
    WritePrivateProfileStringA("server-b", "Debug", "1", SettingsFilePath());
    WritePrivateProfileStringA("server-b", "Alert", "0", SettingsFilePath());
    LoadSettings();   // section 127.0.0.1: nothing there
    EXPECT_EQ(Settings.Port, 10008u);
    EXPECT_EQ(Settings.Debug, 0);
    SaveSettings();
    EXPECT_EQ(IniValue("server-b", "Port"), "12000");
    EXPECT_EQ(IniValue("server-b", "Label"), "<missing>");

    std::strcpy(Settings.HostAddress, "server-b");
    LoadSettings();
    EXPECT_EQ(Settings.Port, 12000u);
    EXPECT_EQ(Settings.Debug, 1);
    EXPECT_EQ(Settings.Alert, 0);
    EXPECT_STREQ(Settings.Label, "server-b");
    Settings.Alert = 1;
    SaveSettings();
    EXPECT_EQ(IniValue("server-b", "Alert"), "0") << "a save keeps the file's value";
}

// The value grammar itself is the native readers' (tests/unit); here the
// whole record: unsigned, no sign taken, the label cut on a character.
TEST_F(SettingsStore, FileValuesAreTakenAsTheGrammarReadsThem)
{
    const char* s = "127.0.0.1";
    WritePrivateProfileStringA(s, "Timer", "4294967295", SettingsFilePath());
    WritePrivateProfileStringA(s, "HostNumber", "-1", SettingsFilePath());
    WritePrivateProfileStringA(s, "Label", "とても長いラベルの名前はここで切られますか", SettingsFilePath());
    LoadSettings();
    EXPECT_EQ(Settings.Timer, 0xFFFFFFFFu);
    EXPECT_EQ(Settings.HostNumber, 0u) << "a sign is no digit";
    // 31 bytes hold 15 double-byte characters, never half of the 16th.
    EXPECT_EQ(std::strlen(Settings.Label), 30u);
    EXPECT_EQ(std::string(Settings.Label), std::string("とても長いラベルの名前はここで切られますか").substr(0, 30));
}

TEST(IniFileWithoutName, ReadsDefaultsAndWritesNothing)
{
    INIFILE ini;
    EXPECT_EQ(ini.GetInt("s", "k", 77), 77u);
    char text[8] = "x";
    ini.GetString("s", "k", "def", text, sizeof text);
    EXPECT_STREQ(text, "def");
    COLORREF c = RGB(1, 2, 3);
    ini.GetColor("s", "k", c);
    EXPECT_EQ(c, RGB(1, 2, 3));
    RemoveProfile(SettingsFilePath());
    ini.WriteString(SettingsFilePath(), "k", "v");
    EXPECT_FALSE(FileExists(SettingsFilePath()));
}

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

// Saved as six signed keys in order, and read back into another position
// holding the same identity, as after a restart.
TEST_F(Baseline, SaveWritesTheSixKeysInOrderAndLoadReadsThemBack)
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
    EXPECT_EQ(FileText(),
              "[ABC-1000:1.0:XYZ123]\r\n"
              "Check=1\r\n"
              "A05=0\r\n"
              "A09=12345\r\n"
              "AC4=-1\r\n"
              "AC5=2147483647\r\n"
              "AC6=-2147483648\r\n");
    DriveSlot& other = DriveSlots[9];
    other.Record = Identity("ABC-1000", "1.0", "XYZ123");
    other.Record.A05 = 99;
    LoadAttributeBaseline(9);
    EXPECT_EQ(other.Check, 1);
    const int32_t expected[] = {0, 12345, -1, 2147483647, -2147483647 - 1};
    const int32_t loaded[] = {other.Record.A05, other.Record.A09, other.Record.AC4, other.Record.AC5, other.Record.AC6};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(loaded[i], expected[i]) << i;
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
