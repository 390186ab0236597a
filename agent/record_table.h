// The 16 records as a table for a person to read (--once).
#pragma once
#include "wire/drive_record.h"

#include <string>
#include <vector>

std::string RecordTable(const std::vector<DriveRecord>& records);
