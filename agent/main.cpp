// kelpra-agent: a Velmora drive-health server fed by smartctl's JSON. See
// --help and the README's "Real drives".
#include "agent_options.h"
#include "agent_run.h"
#include "process_run.h"
#include "reread_signal.h"
#include "serverkit/stop_signal.h"
#include "serverkit/udp_endpoint.h"

#ifdef _WIN32
#include "agent_service_win.h"
#endif

#include <cstdio>

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
    InstallRereadSignal();
    return RunAgent(options, [] {});
}
