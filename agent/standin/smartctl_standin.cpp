// A stand-in for smartctl that serves fixture files: the agent's tests and
// `script/demo --agent` run the agent against it. Built as "smartctl".
//
//   KELPRA_STANDIN_FIXTURES  folder of NAME.json files: scan.json answers
//                            --scan-open, sda.json answers .../sda (unset:
//                            the folder "fixtures" beside the stand-in, as
//                            where it stands in for an installed smartctl)
//   KELPRA_STANDIN_CALLS     file that gets one line per call (the
//                            arguments), and "WOKEN DEV" when a drive whose
//                            fixture says "standin_asleep" is read without a
//                            standby check
//   KELPRA_STANDIN_HANDLE    (Windows) a handle value of the caller's, a
//                            signalled event: "INHERITED" is recorded when
//                            this process holds it
//   KELPRA_STANDIN_FDS       (Linux) file that gets one line per call: the
//                            targets of the descriptors it inherited beyond
//                            0, 1 and 2
//
// The exit status is the fixture's smartctl.exit_status; a sleeping drive
// read with -n standby,N / --nocheck=standby,N exits with N. A fixture that
// says "standin_hang" hangs, as smartctl on a dying disk.
#include <nlohmann/json.hpp>

#ifdef _WIN32
#include <windows.h>
#endif

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int OPEN_FAILED = 2;

std::string Env(const char* name)
{
    const char* v = std::getenv(name);
    return v ? v : "";
}

void Record(const std::string& line)
{
    std::string path = Env("KELPRA_STANDIN_CALLS");
    if (!path.empty())
        std::ofstream(path, std::ios::app) << line << "\n";
}

// The N of a standby check, or -1 without one.
int StandbyStatus(const std::vector<std::string>& args)
{
    for (size_t i = 0; i < args.size(); ++i) {
        std::string mode = args[i].rfind("--nocheck=", 0) == 0 ? args[i].substr(10)
                           : args[i] == "-n" && i + 1 < args.size() ? args[i + 1]
                                                                    : "";
        if (mode.rfind("standby", 0) == 0)
            return mode.size() > 8 ? std::atoi(mode.c_str() + 8) : OPEN_FAILED;
    }
    return -1;
}

std::string FixtureFolder(const std::string& self)
{
    std::string folder = Env("KELPRA_STANDIN_FIXTURES");
    return folder.empty() ? self.substr(0, self.find_last_of("/\\") + 1) + "fixtures" : folder;
}

// The open descriptors above 2 but the listing's own, by what they refer to.
void RecordDescriptors()
{
    std::string path = Env("KELPRA_STANDIN_FDS");
    if (path.empty())
        return;
    namespace fs = std::filesystem;
    std::string line;
    std::error_code error;
    const fs::path self = fs::canonical("/proc/self", error);
    for (const auto& entry : fs::directory_iterator("/proc/self/fd", error)) {
        std::string target = fs::read_symlink(entry.path(), error).string();
        if (std::atoi(entry.path().filename().string().c_str()) > 2 && fs::path(target).parent_path() != self)
            line += (line.empty() ? "" : " ") + target;
    }
    std::ofstream(path, std::ios::app) << line << "\n";
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string line;
    for (const std::string& a : args)
        line += (line.empty() ? "" : " ") + a;
    Record(line);
#ifdef _WIN32
    const std::string probe = Env("KELPRA_STANDIN_HANDLE");
    const HANDLE held = probe.empty() ? nullptr : reinterpret_cast<HANDLE>(std::stoull(probe));
    DWORD flags = 0;
    if (held && GetHandleInformation(held, &flags) && WaitForSingleObject(held, 0) == WAIT_OBJECT_0)
        Record("INHERITED");
#endif
    RecordDescriptors();
    bool scan = false;
    for (const std::string& a : args)
        scan |= a == "--scan-open";
    std::string device = args.empty() ? "" : args.back();
    std::string name = scan ? "scan" : device.substr(device.find_last_of("/\\") + 1);
    std::ifstream in(FixtureFolder(argv[0]) + "/" + name + ".json", std::ios::binary);
    if (!in) {
        std::printf("{\"smartctl\":{\"exit_status\":%d,\"messages\":[{\"string\":\"%s: Unable to open\","
                    "\"severity\":\"error\"}]}}\n", OPEN_FAILED, name.c_str());
        return OPEN_FAILED;
    }
    std::stringstream text;
    text << in.rdbuf();
    std::fputs(text.str().c_str(), stdout);
    nlohmann::json fixture = nlohmann::json::parse(text.str(), nullptr, false);
    if (!fixture.is_object())
        return 0;
    while (fixture.value("standin_hang", false))
        std::this_thread::sleep_for(std::chrono::hours(1));
    int status = fixture.value("/smartctl/exit_status"_json_pointer, 0);
    if (fixture.value("standin_asleep", false)) {
        status = StandbyStatus(args);
        if (status < 0) {
            Record("WOKEN " + device);
            status = 0;
        }
    }
    return status;
}
