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
#include <vector>

namespace {

std::string FileText()
{
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, SettingsFilePath());   // flush
    return ReadWholeFile(SettingsFilePath());
}

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

// With no file the defaults are loaded, the label being the host, and
// nothing is written; a save then writes them back as the fifteen keys in
// order, never Debug or Alert.
TEST_F(SettingsStore, SaveWritesTheFifteenKeysInOrderAndNeverDebugOrAlert)
{
    LoadSettings();
    EXPECT_FALSE(FileExists(SettingsFilePath()));
    EXPECT_EQ(Settings.Debug, 0);
    EXPECT_EQ(Settings.Alert, 1);
    Settings.Debug = 1;
    SaveSettings();
    EXPECT_EQ(FileText(),
              "[127.0.0.1]\r\nLabel=127.0.0.1\r\nPort=10008\r\nTimeOut=3\r\nTimer=120\r\nTemp=45\r\n"
              "HostNumber=0\r\nCommandError=1\r\nViewType=3\r\nShadowType=1\r\nCoolTextColor=0,255,0\r\n"
              "CoolShadowColor=31,63,31\r\nHotTextColor=255,0,0\r\nHotShadowColor=63,31,31\r\n"
              "MaskColor=15,15,15\r\nTextFont=-17,0,0,0,700,0,0,0,0,0,0,0,2,Arial Narrow\r\n");
}

// Each host reads and saves its own section only. The values are taken as
// the grammar reads them (tested natively): unsigned, no sign taken, the
// label cut to 31 bytes on a character boundary. Alert is only read: a
// save keeps the file's value.
TEST_F(SettingsStore, OneSectionPerHostReadAsTheGrammarSaysAndOthersUntouched)
{
    const char* const label = "とても長いラベルの名前はここで切られますか";
    WriteSection("server-b", {{"Port", "12000"}, {"Debug", "1"}, {"Alert", "0"}, {"Timer", "4294967295"},
                              {"HostNumber", "-1"}, {"Label", label}});
    LoadSettings();   // section 127.0.0.1: nothing there
    EXPECT_EQ(Settings.Port, 10008u);
    EXPECT_EQ(Settings.Debug, 0);
    SaveSettings();
    EXPECT_EQ(IniValue("server-b", "Port"), "12000");
    EXPECT_EQ(IniValue("server-b", "TimeOut"), "<missing>");

    std::strcpy(Settings.HostAddress, "server-b");
    LoadSettings();
    EXPECT_EQ(Settings.Port, 12000u);
    EXPECT_EQ(Settings.Debug, 1);
    EXPECT_EQ(Settings.Alert, 0);
    EXPECT_EQ(Settings.Timer, 0xFFFFFFFFu);
    EXPECT_EQ(Settings.HostNumber, 0u) << "a sign is no digit";
    // 31 bytes hold 15 double-byte characters, never half of the 16th.
    EXPECT_EQ(std::string(Settings.Label), std::string(label).substr(0, 30));
    Settings.Alert = 1;
    SaveSettings();
    EXPECT_EQ(IniValue("server-b", "Alert"), "0");
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

    // A drive in use at a position, named as the baseline sections are.
    static DriveRecord& Identity(int position, const char* model)
    {
        DriveRecord& r = DriveSlots[position].Record;
        r.InUse = 1;
        std::strcpy(r.Model, model);
        std::strcpy(r.Firmware, "1.0");
        std::strcpy(r.Serial, "XYZ123");
        return r;
    }
    static std::vector<int32_t> Values(const DriveRecord& r) { return {r.A05, r.A09, r.AC4, r.AC5, r.AC6}; }
};

// Saved as six signed keys in order, and read back into another position
// holding the same identity, as after a restart. A drive without a section
// loads Check 0 and -1 for each value; loading writes nothing.
TEST_F(Baseline, SaveWritesTheSixKeysInOrderAndLoadReadsThemBack)
{
    DriveRecord& saved = Identity(2, "ABC-1000");
    saved.A05 = 0;
    saved.A09 = 12345;
    saved.AC4 = -1;
    saved.AC5 = 2147483647;
    saved.AC6 = -2147483647 - 1;
    DriveSlots[2].Check = 1;
    DriveRecord& unsaved = Identity(3, "NEW");
    unsaved.A05 = unsaved.A09 = unsaved.AC4 = unsaved.AC5 = unsaved.AC6 = 5;
    DriveSlots[3].Check = 1;
    LoadAttributeBaseline(3);
    EXPECT_EQ(DriveSlots[3].Check, 0);
    EXPECT_EQ(Values(unsaved), std::vector<int32_t>(5, -1));
    // Out-of-range positions touch nothing.
    EXPECT_EQ(SaveAttributeBaseline(-1), 0);
    EXPECT_EQ(SaveAttributeBaseline(16), 0);
    EXPECT_EQ(LoadAttributeBaseline(16), 0);
    EXPECT_FALSE(FileExists(SettingsFilePath()));

    SaveAttributeBaseline(2);
    EXPECT_EQ(FileText(), "[ABC-1000:1.0:XYZ123]\r\nCheck=1\r\nA05=0\r\nA09=12345\r\nAC4=-1\r\n"
                          "AC5=2147483647\r\nAC6=-2147483648\r\n");
    DriveRecord& other = Identity(9, "ABC-1000");
    other.A05 = 99;
    LoadAttributeBaseline(9);
    EXPECT_EQ(DriveSlots[9].Check, 1);
    EXPECT_EQ(Values(other), (std::vector<int32_t>{0, 12345, -1, 2147483647, -2147483647 - 1}));
}

} // namespace
