// Command-line parsing of velmora-sim.
#include "sim_options.h"

#include "serverkit/int_text.h"

#include <cstdlib>
#include <cstring>

namespace {

bool ToSeconds(const char* text, double* out)
{
    char* end = nullptr;
    double s = std::strtod(text, &end);
    if (!*text || *end || !(s > 0) || s > 1e7)
        return false;
    *out = s;
    return true;
}

} // namespace

const char* SimUsage()
{
    return "usage: velmora-sim [--bind ADDR] [--port N] [--log FILE] [--max-seconds S] SCENARIO\n"
           "\n"
           "A stand-in for a Velmora drive-health server: answers each 1-byte request 0x01\n"
           "on UDP with 16 drive records of 204 bytes (3264 bytes) made from SCENARIO, a JSON\n"
           "file that is read again whenever it changes. Any other datagram is logged and\n"
           "gets no answer.\n"
           "\n"
           "  --bind ADDR       IPv4 address to listen on (default 127.0.0.1)\n"
           "  --port N          UDP port to listen on, 0 for a free one (default 10008);\n"
           "                    the port in use is logged as listening=ADDR:PORT\n"
           "  --log FILE        write the log to FILE instead of standard output: one line\n"
           "                    per request with time, source address and port, answer\n"
           "  --max-seconds S   end after S seconds (default: run until SIGINT/SIGTERM\n"
           "                    or Ctrl-C)\n"
           "  --help            show this text\n"
           "\n"
           "Exit codes: 0 clean end, 1 socket or log file error, 2 invalid command line\n"
           "or invalid scenario.\n";
}

bool ParseSimOptions(int argc, const char* const* argv, SimOptions* options, std::string* error)
{
    SimOptions o;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (!std::strcmp(arg, "--help") || !std::strcmp(arg, "-h")) {
            o.help = true;
            continue;
        }
        bool takesValue = !std::strcmp(arg, "--bind") || !std::strcmp(arg, "--port") || !std::strcmp(arg, "--log") ||
                          !std::strcmp(arg, "--max-seconds");
        if (takesValue) {
            if (i + 1 >= argc) {
                *error = std::string(arg) + " needs a value";
                return false;
            }
            const char* value = argv[++i];
            if (!std::strcmp(arg, "--bind")) {
                o.bindAddress = value;
            } else if (!std::strcmp(arg, "--port")) {
                if (!ParseInt(value, 0, 65535, &o.port)) {
                    *error = std::string("--port: '") + value + "' is not a port number from 0 to 65535";
                    return false;
                }
            } else if (!std::strcmp(arg, "--log")) {
                o.logFile = value;
            } else if (!ToSeconds(value, &o.maxSeconds)) {
                *error = std::string("--max-seconds: '") + value + "' is not a positive number of seconds";
                return false;
            }
        } else if (arg[0] == '-' && arg[1] != '\0') {
            *error = std::string("unknown option ") + arg;
            return false;
        } else if (o.scenarioFile.empty()) {
            o.scenarioFile = arg;
        } else {
            *error = std::string("more than one scenario file: ") + arg;
            return false;
        }
    }
    if (!o.help && o.scenarioFile.empty()) {
        *error = "no scenario file given";
        return false;
    }
    *options = o;
    return true;
}
