// The attribute baseline of each drive in "KELPRA.INI": its status-hidden
// flag and the five watched S.M.A.R.T. values.
#pragma once
#include "wire/drive_record.h"

int LoadAttributeBaseline(int position);
// Before a refresh compares reply with the stored record: when the position
// held no drive until now, or another drive, the saved baseline of reply's
// drive is loaded into the slot, so that a drive plugged in later keeps its
// hidden status. Returns 1 when it loaded.
int LoadBaselineOfNewDrive(int position, const DriveRecord& reply);
int SaveAttributeBaseline(int position);
