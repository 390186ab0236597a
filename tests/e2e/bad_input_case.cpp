// kelpra.exe started on a wild settings file and corrupt, truncated and empty
// icon override files in its current folder must reach the server, show its
// icon, end with exit code 0 and leave the settings file as it was (the drive's
// values equal its unset baseline, so nothing gives it a reason to write).
#include "e2e_support.h"
#include "icon_pixels.h"
#include "msgbox_watcher.h"
#include "sim_server.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>

namespace {

const char* const QUIET_DRIVE = R"({"drives":[{"position":0,"Temperature":31,"State":"good",
    "A05":-1,"A09":-1,"AC4":-1,"AC5":-1,"AC6":-1,"DriveNumber":"Disk 0"}]})";

// Deterministic bytes of every value, 0, CR, LF, '[' and lone lead bytes among them.
std::string Garbage(size_t size, unsigned seed)
{
    std::string bytes(size, '\0');
    for (char& c : bytes) {
        seed = seed * 1103515245u + 12345u;
        c = static_cast<char>(seed >> 16);
    }
    return bytes;
}

// The host section first, its wild values next, then lines that break the
// file's grammar, so that what follows cannot hide what the program needs.
// HostNumber 61: the largest whose host-number icons (61 x 16 + 15 = 991)
// stay within what an icon paints.
std::string WildSettings(UINT port)
{
    return "[127.0.0.1]\r\nPort=" + std::to_string(port) + "\r\nTimeOut=1\r\nCommandError=0\r\n"
           "Timer=-1\r\nTemp=-5\r\nHostNumber=61\r\nViewType=-7\r\nShadowType=999999999999\r\n"
           "Debug=99999999999999999999\r\nCoolTextColor=300,-5,99999999999\r\nCoolShadowColor=-1,-1,-1\r\n"
           "HotTextColor=2147483648,4294967296,-2147483649\r\nMaskColor=,,,\r\n"
           "TextFont=-40,-5,99999,-99999,99999,300,-1,256,999,-3,77,5000,-9,\x83\r\n"
           "Label=" + std::string(10000, 'L') + "\x81\r\n" + std::string(20000, 'x') + "\r\n[unclosed\r\n"
           "=novalue\r\nkey only\r\n\x81\x81\x81=\x81\r\n[\x83]\r\nCheck=\x9f\r\n[" + std::string(5000, 'S') +
           "]\r\n" + std::string(70000, '=') + "\r\n" + Garbage(8192, 1) + "\r\n" + Garbage(4096, 2);
}

TEST(BadInput, WildSettingsAndBrokenIconFilesStartRunAndLeaveTheFileUntouched)
{
    // An icon file as the build carries it, for cutting and spoiling.
    const char* source = std::getenv("KELPRA_SOURCE_DIR");
    const std::string valid = ReadWholeFile(std::string("Z:") + (source ? source : ".") + "/res/icons/badge_good.ico");
    ASSERT_GT(valid.size(), 22u) << "the build's icon source (KELPRA_SOURCE_DIR)";
    const std::pair<const char*, std::string> icons[] = {
        {"B_GOOD.ICO", ""},
        {"B_WARN.ICO", valid.substr(0, valid.size() / 2)},
        // The first entry's image size and offset point far beyond the file.
        {"F_DNGR.ICO", valid.substr(0, 14) + std::string(8, '\x7f')},
        {"S_ERR.ICO", Garbage(766, 3)},
        {"B_DNGR.ICO", valid.substr(0, 6) + Garbage(1000, 4)},
    };
    SimServer sim(QUIET_DRIVE);
    const std::string file = WildSettings(sim.Port());
    WriteWholeFile(SettingsFilePath(), file);
    ScratchDirectory folder;   // kelpra.exe's current folder, with the bad icons
    for (const auto& icon : icons)
        WriteWholeFile(folder.Path() + "\\" + icon.first, icon.second);

    Kelpra kelpra;
    ASSERT_TRUE(kelpra.Start("", folder.Path().c_str()));
    MsgBoxWatcher boxes(kelpra.Id());
    EXPECT_TRUE(sim.WaitForRequests(2, 20000)) << "the start-up's query and first refresh";
    EXPECT_TRUE(TrayShows({"*"}, 10000));
    EXPECT_TRUE(kelpra.CloseWithZero());
    EXPECT_EQ(boxes.Count(), 0u);
    EXPECT_TRUE(ReadWholeFile(SettingsFilePath()) == file) << "the settings file was changed";
}

} // namespace
