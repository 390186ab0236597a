// The smartctl command lines.
#include "smartctl_run.h"

std::vector<std::string> ScanCommand(const std::string& smartctl)
{
    return {smartctl, "--scan-open", "--json=c"};
}

std::vector<std::string> ReadCommand(const std::string& smartctl, const DriveSource& drive)
{
    // Identity, health, attributes (the NVMe health log too) and the SCT
    // temperature status for the lifetime maximum; -n standby first of all.
    std::vector<std::string> argv = {smartctl,
                                     "--json=c",
                                     "--nocheck=standby," + std::to_string(STANDBY_EXIT_STATUS),
                                     "--info",
                                     "--health",
                                     "--attributes",
                                     "--log=scttempsts"};
    if (!drive.type.empty()) {
        argv.push_back("--device=" + drive.type);
    }
    argv.push_back(drive.name);
    return argv;
}
