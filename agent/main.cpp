// kelpra-agent: a Velmora drive-health server fed by smartctl's JSON. See
// --help and the README's "Real drives".
#include "agent_log.h"
#include "agent_options.h"
#include "agent_run.h"
#include "agent_server.h"
#include "device_scan.h"
#include "drive_reader.h"
#include "record_table.h"
#include "serverkit/stop_signal.h"

#ifdef _WIN32
#include "agent_service_win.h"
#endif

#include <cstdio>

namespace {

// The --device drives, or the scan's; false when the scan failed.
bool FindDrives(const AgentOptions& options, std::vector<DriveSource>* drives)
{
    if (!options.devices.empty()) {
        for (const std::string& d : options.devices)
            drives->push_back({d, ""});
    } else {
        SmartctlRun run = RunProgram(ScanCommand(options.smartctl), RunLimits(), [] { return StopRequested(); });
        std::string error;
        if (!ParseScan(run, drives, &error)) {
            AgentLog(error);
            return false;
        }
    }
    if (drives->size() > RECORD_COUNT) {
        AgentLog("warning: " + std::to_string(drives->size()) + " drives found, only the first " +
                 std::to_string(RECORD_COUNT) + " are served");
        drives->resize(RECORD_COUNT);
    }
    return true;
}

std::string DriveList(const DriveBook& book)
{
    std::string list;
    for (size_t i = 0; i < book.Count(); ++i)
        list += " " + book.Source(i).name;
    return std::to_string(book.Count()) + " drive" + (book.Count() == 1 ? "" : "s") + (list.empty() ? "" : ":") +
           list;
}

int Serve(const AgentOptions& options, DriveBook& book, const std::function<void()>& serving)
{
    AgentServer server(book, options.allow);
    std::string error;
    if (!server.Open(options.listen, options.port, &error)) {
        AgentLog(error);
        return EXIT_RUNTIME;
    }
    AgentLog("listening on UDP port " + std::to_string(server.Port()) + ", " + DriveList(book));
    serving();
    DriveReader reader(book, options.smartctl);
    reader.ReadAll();
    reader.Start(options.intervalSeconds);
    server.Serve();
    reader.Stop();
    AgentLog(std::string("stopped (") + StopReason() + ")");
    return 0;
}

} // namespace

int RunAgent(const AgentOptions& options, const std::function<void()>& serving)
{
    std::vector<DriveSource> drives;
    if (!FindDrives(options, &drives))
        return EXIT_RUNTIME;
    DriveBook book(drives);
    if (options.once) {
        DriveReader(book, options.smartctl).ReadAll();
        std::fputs(RecordTable(book.Records()).c_str(), stdout);
        return 0;
    }
    return Serve(options, book, serving);
}

int main(int argc, char** argv)
{
#ifdef _WIN32
    LimitDllSearchToSystem();
#endif
    AgentOptions options;
    std::string error;
    if (!ParseAgentOptions(argc, argv, &options, &error)) {
        std::fprintf(stderr, "kelpra-agent: %s (see --help)\n", error.c_str());
        return EXIT_INVALID;
    }
    if (options.help) {
        std::fputs(AgentUsage(), stdout);
        return 0;
    }
#ifdef _WIN32
    if (options.service)
        return RunAgentService(argc, argv);
    if (int status = ResolveSmartctl(&options.smartctl, &error)) {
        std::fprintf(stderr, "kelpra-agent: %s\n", error.c_str());
        return status;
    }
#endif
    SocketSystem sockets;
    InstallStopHandlers();
    return RunAgent(options, [] {});
}
