// The settings dialog (resource 100) and its working state.
#pragma once
#include <windows.h>

#include "icons/gdi_wrappers.h"

// Solid brushes of the five colour swatches (normal text, normal shadow, hot
// text, hot shadow, mask) and the font of the sample; alive while the dialog
// is open.
extern WINBRUSH SwatchBrushes[5];
extern WINFONT SampleFont;

INT_PTR CALLBACK SettingsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
void FillSettingsControls(HWND dialog);
void ReadSettingsControls(HWND dialog);
void UpdateSwatches(HWND dialog);
void ReleaseSwatches();
// DialogBoxParamA of template 100 over owner: 1 after "設定", 2 after "中止".
INT_PTR ShowSettingsDialog(HWND owner);
