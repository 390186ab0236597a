// The server's parts put together: the drive book, its reader, the UDP
// side and the sources it answers.
#include "agent_run.h"

#include "agent_log.h"
#include "agent_server.h"
#include "drive_reader.h"
#include "host_networks.h"
#include "record_table.h"
#include "reread_signal.h"
#include "serverkit/stop_signal.h"

#include <cstdio>

namespace {

// The --allow blocks, or loopback and the host's networks as they are now.
AllowList AnsweredSources(const AgentOptions& options)
{
    return options.allowGiven ? options.allow : LocalAllowList(HostNetworks());
}

void LogAnswered(const AllowList& allow, const AgentOptions& options)
{
    AgentLog("answering " + allow.Text() + (options.allowGiven ? "" : " (loopback and this host's networks)"));
    if (allow.AllowsEveryone())
        AgentLog("warning: every IPv4 address is answered; the drives' models and serial numbers go to anyone "
                 "who asks");
}

int Serve(const AgentOptions& options, const std::function<void()>& serving)
{
    DriveBook book;
    AllowList allow = AnsweredSources(options);
    GateLimits limits;
    limits.totalPerSecond = options.replyLimit;
    AgentServer server(book, allow, limits);
    std::string error;
    if (!server.Open(options.listen, options.port, &error)) {
        AgentLog(error);
        return EXIT_RUNTIME;
    }
    AgentLog("listening on UDP port " + std::to_string(server.Port()));
    LogAnswered(allow, options);
    serving();
    DriveReader reader(book, options.smartctl, options.devices);
    reader.Start(options.intervalSeconds);
    unsigned passes = 0;
    server.Serve([&] {
        if (TakeRereadRequest()) {
            AgentLog("SIGHUP: reading every drive now");
            reader.ReadNow();
        }
        // The host's networks are read again whenever the drives are.
        if (options.allowGiven || reader.Passes() == passes)
            return;
        passes = reader.Passes();
        AllowList now = AnsweredSources(options);
        if (now.Text() != allow.Text()) {
            allow = now;
            server.SetAllowList(allow);
            LogAnswered(allow, options);
        }
    });
    reader.Stop();
    AgentLog(std::string("stopped (") + StopReason() + ")");
    return 0;
}

int ReadOnce(const AgentOptions& options)
{
    DriveBook book;
    if (!DriveReader(book, options.smartctl, options.devices).ReadAll())
        return EXIT_RUNTIME;
    std::fputs(RecordTable(book.Records()).c_str(), stdout);
    return 0;
}

} // namespace

int RunAgent(const AgentOptions& options, const std::function<void()>& serving)
{
    return options.once ? ReadOnce(options) : Serve(options, serving);
}
