// The 16 drive slots: per position, its lock, tray icon, last record,
// status-hidden flag and the image index last shown.
#pragma once
#include "app/app_state.h"
#include "app/tray_icon.h"
#include "wire/drive_record.h"

struct DriveSlot {
    WINLOCK Lock;
    TaskTrayIcon TrayIcon;
    DriveRecord Record = {};
    INT32 Check = 0;        // 1: caution and danger marks hidden
    UINT32 ShownImage = 0;
};

extern DriveSlot DriveSlots[SLOT_COUNT];
