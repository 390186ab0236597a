// KELPRA as the installer leaves it (tests/installer/run-suite installs it
// into this prefix, with the stand-in in place of smartctl.exe): the logon
// entry's command line starts kelpra.exe, which shows the drives that the
// installed service serves on 127.0.0.1:10008. Skipped where nothing is installed.
#include <winsock2.h>

#include "e2e_support.h"
#include "serverkit/udp_endpoint.h"
#include "wire/drive_record.h"

#include <gtest/gtest.h>

namespace {

// The service answers at once and reads its drives after: true once the
// record at position is in use (asked for up to 20 s).
bool ServiceHasRead(size_t position)
{
    static SocketSystem sockets;
    UdpEndpoint client;
    std::string error;
    std::vector<unsigned char> reply(REPLY_SIZE);
    if (!client.Open("127.0.0.1", 0, &error))
        return false;
    for (int i = 0; i < 100; ++i, Sleep(200)) {
        Peer from;
        if (client.SendTo({0x01}, {htonl(INADDR_LOOPBACK), 10008}) && client.WaitReadable(200) &&
            client.Receive(reply.data(), reply.size(), &from) == static_cast<long>(REPLY_SIZE) &&
            RecordAt(reply.data(), position).InUse)
            return true;
    }
    return false;
}

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
    ASSERT_TRUE(ServiceHasRead(5));
    Kelpra kelpra;
    ASSERT_TRUE(kelpra.StartCommand(command));
    // The fixture drives: sda, sdb, nvme0 good; sdc failing at 52 degrees;
    // sdd reallocated sectors; sde cannot be opened; sdf, asleep since the
    // service started, not shown.
    EXPECT_TRUE(TrayShows({"cool good", "cool good", "cool good", "hot danger", "cool caution mark", "error"}));
    EXPECT_TRUE(kelpra.CloseWithZero());
}

} // namespace
