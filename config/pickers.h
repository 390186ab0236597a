// The font and colour choosers; the colour chooser keeps its custom palette
// in "CPALLET.INI" (PaletteFilePath).
#pragma once
#include <windows.h>

constexpr const char* PALETTE_KEY = "PALLET";

BOOL ChooseTextFont(HWND owner, LOGFONTA& font);
COLORREF ChoosePaletteColor(HWND owner, COLORREF start);
