// The process-wide drive slots.
#include "link/drive_slot.h"

DriveSlot DriveSlots[SLOT_COUNT];
