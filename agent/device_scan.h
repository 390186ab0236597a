// The drives that `smartctl --scan-open --json` lists, in its order.
#pragma once
#include "smartctl_run.h"

#include <string>
#include <vector>

// False with *error when the run failed or its output is not a scan list.
// A list without drives is no error.
bool ParseScan(const SmartctlRun& run, std::vector<DriveSource>* drives, std::string* error);
