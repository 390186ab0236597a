// Command-line parsing of kelpra-agent: a table of options, each with the
// function that takes its value.
#include "agent_options.h"

#include "device_scan.h"
#include "serverkit/int_text.h"

#include <cstring>

namespace {

constexpr int MAX_INTERVAL = 7 * 24 * 3600;
constexpr int MAX_REPLY_LIMIT = 1000000;

using Setter = bool (*)(const char* value, AgentOptions* o);

struct OptionEntry {
    const char* name;
    bool takesValue;
    Setter set;
    const char* expects;   // for the error text
};

bool SetPort(const char* v, AgentOptions* o) { return ParseInt(v, 0, 65535, &o->port); }
bool SetListen(const char* v, AgentOptions* o) { return ParseIpv4(v, &o->listen); }
bool SetAllow(const char* v, AgentOptions* o)
{
    o->allowGiven = true;
    return o->allow.Add(v);
}
bool SetReplyLimit(const char* v, AgentOptions* o)
{
    int n = 0;
    bool ok = ParseInt(v, 1, MAX_REPLY_LIMIT, &n);
    o->replyLimit = static_cast<uint32_t>(n);
    return ok;
}
bool SetSmartctl(const char* v, AgentOptions* o)
{
    o->smartctl = v;
    return *v != '\0';
}
bool SetInterval(const char* v, AgentOptions* o) { return ParseInt(v, 1, MAX_INTERVAL, &o->intervalSeconds); }
bool SetDevice(const char* v, AgentOptions* o)
{
    o->devices.emplace_back(v);
    return DeviceNameFault(v).empty();
}
bool SetOnce(const char*, AgentOptions* o)
{
    o->once = true;
    return true;
}
bool SetHelp(const char*, AgentOptions* o)
{
    o->help = true;
    return true;
}
#ifdef _WIN32
bool SetService(const char*, AgentOptions* o)
{
    o->service = true;
    return true;
}
#endif

const OptionEntry OPTIONS[] = {
    {"--port", true, SetPort, "a port number from 0 to 65535"},
    {"--listen", true, SetListen, "an IPv4 address"},
    {"--allow", true, SetAllow, "an IPv4 address or CIDR block such as 192.168.0.0/16"},
    {"--reply-limit", true, SetReplyLimit, "a whole number of replies a second from 1 to 1000000"},
    {"--smartctl", true, SetSmartctl, "a program path"},
    {"--interval", true, SetInterval, "a whole number of seconds from 1 to 604800"},
    {"--device", true, SetDevice, "a device path under /dev/ without control characters"},
    {"--once", false, SetOnce, ""},
    {"--help", false, SetHelp, ""},
#ifdef _WIN32
    {"--service", false, SetService, ""},
#endif
};

#ifdef _WIN32
#define SMARTCTL_DEFAULT "smartctl.exe beside kelpra-agent.exe"
#define SERVICE_USAGE "  --service           run as the Windows service KelpraAgent (its options: the\n" \
                      "                      REG_SZ value Options of its Parameters key)\n"
#else
#define SMARTCTL_DEFAULT "smartctl on PATH"
#define SERVICE_USAGE ""
#endif

const OptionEntry* Find(const std::string& name)
{
    for (const OptionEntry& entry : OPTIONS)
        if (name == entry.name)
            return &entry;
    return nullptr;
}

} // namespace

const char* AgentUsage()
{
    return "usage: kelpra-agent [--port N] [--listen ADDR] [--allow CIDR]... [--reply-limit N]\n"
           "                    [--smartctl PATH] [--interval SECONDS] [--device DEV]... [--once]\n"
           "\n"
           "A Velmora drive-health server: reads the drives' S.M.A.R.T. data with smartctl\n"
           "(smartmontools) and answers each 1-byte UDP request 0x01 with 16 drive records\n"
           "of 204 bytes (3264 bytes).\n"
           "\n"
           "  --port N            UDP port (default 10008; 0: a free port, logged)\n"
           "  --listen ADDR       IPv4 address to listen on (default 0.0.0.0)\n"
           "  --allow CIDR        sources that get replies (repeatable; default: loopback and\n"
           "                      the IPv4 networks of this host's interfaces, read again\n"
           "                      whenever the drives are read)\n"
           "  --reply-limit N     replies a second to all sources together (default 200);\n"
           "                      each source gets at most 20 a second\n"
           "  --smartctl PATH     the smartctl program (default: " SMARTCTL_DEFAULT ")\n"
           "  --interval SECONDS  how often each drive is read (default 300)\n"
           "  --device DEV        a drive to read, such as /dev/sda, in position order\n"
           "                      (repeatable; default: the devices smartctl --scan-open\n"
           "                      lists, at most 16)\n"
           "  --once              read every drive once, print the records, exit\n"
           "  --help              show this text\n" SERVICE_USAGE
           "\n"
           "A drive in standby is never woken: it keeps its last record. SIGHUP reads every\n"
           "drive at once (and the host's networks).\n"
           "Exit codes: 0 clean end, 1 socket error (--once: the scan failed), 2 invalid\n"
           "command line.\n";
}

bool ParseAgentOptions(int argc, const char* const* argv, AgentOptions* options, std::string* error)
{
    AgentOptions o;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        size_t eq = arg.find('=');
        std::string name = arg.substr(0, eq);
        const OptionEntry* entry = Find(name);
        if (!entry) {
            *error = "unknown option " + arg;
            return false;
        }
        const char* value = "";
        if (!entry->takesValue && eq != std::string::npos) {
            *error = name + " takes no value";
            return false;
        }
        if (entry->takesValue) {
            if (eq != std::string::npos) {
                value = argv[i] + eq + 1;
            } else if (i + 1 < argc) {
                value = argv[++i];
            } else {
                *error = name + " needs a value";
                return false;
            }
        }
        if (!entry->set(value, &o)) {
            *error = name + ": '" + value + "' is not " + entry->expects;
            return false;
        }
    }
    *options = o;
    return true;
}
