// One line per position; texts as the record holds them.
#include "record_table.h"

#include <cstdio>

std::string RecordTable(const std::vector<DriveRecord>& records)
{
    std::string out = "Pos InUse State Temp  Max Use%      A05      A09      AC4      AC5      AC6  "
                      "Model / Firmware / Serial / DriveNumber\n";
    for (size_t i = 0; i < records.size(); ++i) {
        const DriveRecord& r = records[i];
        char line[512];
        if (!r.InUse) {
            std::snprintf(line, sizeof line, "%3zu     0  (empty)\n", i);
        } else {
            std::snprintf(line, sizeof line, "%3zu %5u %5u %4d %4d %4d %8d %8d %8d %8d %8d  %s / %s / %s / %s\n", i,
                          r.InUse, r.State, r.Temperature, r.MaxTemperature, r.UsageRate, r.A05, r.A09, r.AC4,
                          r.AC5, r.AC6, FieldText(r.Model).c_str(), FieldText(r.Firmware).c_str(),
                          FieldText(r.Serial).c_str(), FieldText(r.DriveNumber).c_str());
        }
        out += line;
    }
    return out;
}
