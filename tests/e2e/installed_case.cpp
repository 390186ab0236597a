// KELPRA as the installer leaves it (tests/installer/run-suite installs it
// into this prefix, with the stand-in in place of smartctl.exe): the logon
// entry's command line starts kelpra.exe, which shows the drives that the
// installed service serves on 127.0.0.1:10008. Skipped where nothing is installed.
#include "e2e_support.h"

#include <gtest/gtest.h>

namespace {

std::string LogonCommand()
{
    char command[1024] = "";
    DWORD size = sizeof command;
    RegGetValueA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "KELPRA",
                 RRF_RT_REG_SZ, nullptr, command, &size);
    return command;
}

TEST(Installed, TheLogonEntryShowsTheDrivesOfTheInstalledService)
{
    const std::string command = LogonCommand();
    if (command.empty())
        GTEST_SKIP() << "KELPRA is not installed in this prefix";
    WriteOnlySection("127.0.0.1", {{"TimeOut", "1"}, NO_ALERTS});
    Kelpra kelpra;
    ASSERT_TRUE(kelpra.StartCommand(command));
    // The fixture drives: sda, sdb, nvme0 good; sdc failing at 52 degrees;
    // sdd reallocated sectors; sde cannot be opened; sdf asleep.
    EXPECT_TRUE(TrayShows({"cool good", "cool good", "cool good", "hot danger", "cool caution mark", "error",
                           "cool good"}));
    EXPECT_TRUE(kelpra.CloseWithZero());
}

} // namespace
