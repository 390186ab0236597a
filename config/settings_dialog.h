// The settings dialog (resource 100) and its working state.
#pragma once
#include <windows.h>

#include "icons/gdi_wrappers.h"

// Solid brushes of the five colour swatches (normal text, normal shadow, hot
// text, hot shadow, mask) and the font of the sample; alive while the dialog
// is open.
constexpr int SWATCH_COUNT = 5;
extern WINBRUSH SwatchBrushes[SWATCH_COUNT];
extern WINFONT SampleFont;

// The colours and the font that the pickers change while the dialog is open;
// SETTINGS takes them on "適用" and "設定".
extern COLORREF WorkingColors[SWATCH_COUNT];
extern LOGFONTA WorkingFont;

// Control identifiers of template 100.
enum SettingsControl : int {
    IDC_HOST_ADDRESS = 1000,
    IDC_PORT = 1001, IDC_PORT_SPIN = 1002,
    IDC_TIMEOUT = 1003, IDC_TIMEOUT_SPIN = 1004,
    IDC_TIMER = 1005, IDC_TIMER_SPIN = 1006,
    IDC_TEMP = 1007, IDC_TEMP_SPIN = 1008,
    IDC_HOST_NUMBER = 1009, IDC_HOST_NUMBER_SPIN = 1010,
    IDC_COMMAND_ERROR = 1011,
    IDC_COOL_TEXT_COLOR = 1100,    // colour buttons 1100 to 1108 step 2,
    IDC_COOL_TEXT_SWATCH = 1101,   // each followed by its swatch
    IDC_MASK_SWATCH = 1109,
    IDC_FONT = 1110, IDC_FONT_SAMPLE = 1111,
    IDC_VIEW_TYPE = 1112, IDC_SHADOW_TYPE = 1113,
    IDC_APPLY = 4,
};

INT_PTR CALLBACK SettingsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
void FillSettingsControls(HWND dialog);
void ReadSettingsControls(HWND dialog);
void UpdateSwatches(HWND dialog);
void ReleaseSwatches();
// DialogBoxParamA of template 100 over owner: 1 after "設定", 2 after "中止".
INT_PTR ShowSettingsDialog(HWND owner);
