// Any bytes as smartctl's output, read for a drive twice (the second meets the first's memory)
// and as the scan's device list: the record stays in use and named, its State is 0 to 3, every
// text field ends inside its width, and the scan gives only device paths.
#include "fuzz_checks.h"
#include "device_scan.h"
#include "smart_reading.h"

#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    DriveMemory drive = NewDrive("Disk 0 (/dev/sda)");
    for (int exitStatus : {0, 4}) {
        ApplyRun({RunEnd::EXITED, exitStatus, text}, &drive);
        const DriveRecord& r = drive.record;
        Require(r.InUse == 1 && r.State <= DS_ERR && r.UsageRate >= 0);
        RequireText(r.Model, sizeof r.Model);
        RequireText(r.Firmware, sizeof r.Firmware);
        RequireText(r.Serial, sizeof r.Serial);
        Require(std::strcmp(r.DriveNumber, "Disk 0 (/dev/sda)") == 0);
    }
    std::vector<DriveSource> drives;
    std::vector<std::string> skipped;
    std::string error;
    if (ParseScan({RunEnd::EXITED, 0, text}, &drives, &skipped, &error))
        for (const DriveSource& d : drives)
            Require(DeviceNameFault(d.name).empty());
    return 0;
}
