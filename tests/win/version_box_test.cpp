// The version box: its text from the real version resource, and from probe
// programs whose resources lack an entry or hold two translations.
#include "config/version_box.h"
#include "msgbox_watcher.h"
#include "test_env.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string ExpectedText(const std::string& description, const std::string& version, const std::string& legal)
{
    return description + " (x64)\r\nVersion " + version + "\r\n\r\n" + legal + "\r\n\r\nアイコン: KELPRA Project オリジナル";
}

std::string OwnPath()
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, sizeof path);
    return path;
}

// (Its owner: the tray menu's test.)
TEST(VersionBox, ShowsTheFivePartsOfTheProgramsVersionResource)
{
    MsgBoxWatcher watcher;
    ShowVersionBox(nullptr);
    ASSERT_EQ(watcher.Count(), 1u);
    SeenBox box = watcher.Boxes()[0];
    EXPECT_EQ(box.caption, "バージョン情報");
    EXPECT_EQ(box.text, ExpectedText("KELPRA ドライブ温度トレイ表示", "1.12", "Copyright (C) 2026 KELPRA Project"));
    EXPECT_TRUE(box.informationIcon);
    EXPECT_EQ(box.buttons, 1);
}

// The text of a given file, cut to the room given on a character boundary
// ("KELPRA " is 7 bytes, then double-byte characters).
TEST(VersionText, ComposedFromTheFileGivenAndCutOnACharacterBoundary)
{
    const std::string own = OwnPath(), untouched(1023, 'x');
    const struct { const char* name; std::string path; size_t size; BOOL ok; std::string text; } cases[] = {
        {"missing legal notice", BuildPath("tests\\win\\helpers\\version_nolegal.exe"), 1024, TRUE,
         ExpectedText("試験用プローブ", "2.00", "(error)")},
        {"two translations", BuildPath("tests\\win\\helpers\\version_twolang.exe"), 1024, FALSE, untouched},
        {"no such file", BuildPath("tests\\win\\helpers\\absent.exe"), 1024, FALSE, untouched},
        {"room for nothing", own, 1, TRUE, ""},
        {"a lead byte's room", own, 9, TRUE, "KELPRA "},
        {"a character's room", own, 10, TRUE, "KELPRA ド"},
    };
    for (const auto& c : cases) {
        char text[1024];
        std::memset(text, 'x', sizeof text - 1);
        text[sizeof text - 1] = '\0';
        EXPECT_EQ(ComposeVersionText(c.path.c_str(), text, c.size), c.ok) << c.name;
        EXPECT_EQ(std::string(text), c.text) << c.name;
    }
}

// A program whose version block holds two translations shows no box.
TEST(VersionBoxOfAProbe, NoBoxForTwoTranslations)
{
    ChildProcess probe;
    ASSERT_TRUE(probe.Start(Quoted(BuildPath("tests\\win\\helpers\\version_twolang.exe"))));
    MsgBoxWatcher watcher(probe.Id());
    DWORD code = 99;
    ASSERT_TRUE(probe.WaitExit(20000, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(watcher.Count(), 0u);
}

} // namespace
