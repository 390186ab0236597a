// The drives that `smartctl --scan-open --json` lists, in its order.
#pragma once
#include "smartctl_run.h"

#include <string>
#include <vector>

// False with *error when the run failed or its output is not a scan list.
// A list without drives is no error. A drive whose name DeviceNameFault
// refuses is left out, with a line for the log in *skipped.
bool ParseScan(const SmartctlRun& run, std::vector<DriveSource>* drives, std::vector<std::string>* skipped,
               std::string* error);

// Why name cannot be handed to smartctl as a device, or "" when it can: it
// must be an absolute path under /dev/ (smartctl's own form on Windows
// too), without control characters or "..". Anything else could reach
// smartctl as an option, open some other file, or forge log lines.
std::string DeviceNameFault(const std::string& name);

// text with control characters and bytes above 0x7E as \xNN, for the log.
std::string Printable(const std::string& text);
