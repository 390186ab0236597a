// smartctl's JSON for one drive turned into the drive's 204-byte record,
// with the State rules. Platform-free.
#pragma once
#include "smartctl_run.h"

#include "wire/drive_record.h"

#include <string>

// What the agent keeps of one drive between reads.
struct DriveMemory {
    DriveRecord record = {};
    bool stateKnown = false;     // false until a read gave a State
    bool haveMaxTemperature = false;
    int maxTemperature = 0;      // highest read since start, lifetime max included
};

enum class ReadingKind {
    DATA,         // the record was rebuilt from the output
    ASLEEP,       // the drive sleeps: the record is unchanged
    UNREADABLE,   // identity and data kept, State 3
    NO_VERDICT,   // rebuilt, but State 3: smartctl gave no health verdict
};

// The record of a drive that has not been read yet: an empty position (so
// nothing unread is shown), already named. designation is the DriveNumber
// text, e.g. "Disk 0 (/dev/sda)".
DriveMemory NewDrive(const std::string& designation);

// Applies one run of ReadCommand to the drive. Anything the output holds,
// however malformed, ends in one of the three kinds.
ReadingKind ApplyRun(const SmartctlRun& run, DriveMemory* drive);

// UTF-8 text into a record field: Shift-JIS, cut on a character boundary,
// always 0-terminated.
void PutField(char* field, size_t width, const std::string& utf8);
