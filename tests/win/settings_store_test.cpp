// The settings record through the real profile functions, in the test
// prefix's Windows directory.
#include "config/inifile.h"
#include "config/settings.h"
#include "test_env.h"

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

TEST_F(SettingsStore, DefaultsWithNoFile)
{
    LoadSettings();
    EXPECT_EQ(Settings.Debug, 0);
    EXPECT_STREQ(Settings.Label, "127.0.0.1");
    EXPECT_EQ(Settings.Port, 10008u);
    EXPECT_EQ(Settings.TimeOut, 3u);
    EXPECT_EQ(Settings.Timer, 120u);
    EXPECT_EQ(Settings.Temp, 45u);
    EXPECT_EQ(Settings.HostNumber, 0u);
    EXPECT_EQ(Settings.CommandError, 1);
    EXPECT_EQ(Settings.ViewType, 3);
    EXPECT_EQ(Settings.ShadowType, 1);
    EXPECT_EQ(Settings.Alert, 1);
    EXPECT_EQ(Settings.CoolTextColor, RGB(0, 255, 0));
    EXPECT_EQ(Settings.MaskColor, RGB(15, 15, 15));
    EXPECT_EQ(Settings.TextFont.lfHeight, -17);
    EXPECT_EQ(Settings.TextFont.lfWeight, 700);
    EXPECT_EQ(Settings.TextFont.lfPitchAndFamily, 2);
    EXPECT_STREQ(Settings.TextFont.lfFaceName, "Arial Narrow");
    EXPECT_STREQ(Settings.NumberFont.lfFaceName, "ＭＳ ゴシック");
    EXPECT_FALSE(FileExists(SettingsFilePath()));   // loading writes nothing
}

TEST_F(SettingsStore, SaveWritesTheFifteenKeysInOrderAndNeverDebug)
{
    LoadSettings();
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

TEST_F(SettingsStore, FileValuesAreTakenAsTheGrammarReadsThem)
{
    const char* s = "127.0.0.1";
    WritePrivateProfileStringA(s, "Timer", "4294967295", SettingsFilePath());
    WritePrivateProfileStringA(s, "HostNumber", "-1", SettingsFilePath());
    WritePrivateProfileStringA(s, "Temp", "abc", SettingsFilePath());
    WritePrivateProfileStringA(s, "CoolTextColor", "300", SettingsFilePath());
    WritePrivateProfileStringA(s, "MaskColor", "", SettingsFilePath());
    WritePrivateProfileStringA(s, "TextFont", "NoCommaHere", SettingsFilePath());
    WritePrivateProfileStringA(s, "Label", "とても長いラベルの名前はここで切られますか", SettingsFilePath());
    LoadSettings();
    EXPECT_EQ(Settings.Timer, 0xFFFFFFFFu);
    EXPECT_EQ(Settings.HostNumber, 0u) << "a sign is no digit";
    EXPECT_EQ(Settings.Temp, 0u);
    EXPECT_EQ(Settings.CoolTextColor, RGB(44, 255, 0));
    EXPECT_EQ(Settings.MaskColor, RGB(15, 15, 15));
    EXPECT_STREQ(Settings.TextFont.lfFaceName, "Arial Narrow");
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

} // namespace
