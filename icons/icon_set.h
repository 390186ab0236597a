// The icon set: 616 painted icons and the error icon, copied into every
// tray icon's image table.
#pragma once
#include "icons/gdi_wrappers.h"

extern AUTOICON ErrorIcon;
BOOL BuildIconSet();
