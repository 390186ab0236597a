// The settings dialog: SETTINGS shown in and read back from the controls of
// template 100, live swatches of the working colours and font, and the three
// buttons that apply, save or drop the changes.
#include "config/settings_dialog.h"

#include "app/app_state.h"
#include "config/pickers.h"
#include "config/settings.h"
#include "config/settings_location.h"
#include "wire/sjis_text.h"
#include "icons/icon_set.h"
#include "link/status_refresh.h"
#include "res/resource.h"

#include <commctrl.h>

#include <cstdio>

WINBRUSH SwatchBrushes[SWATCH_COUNT];
WINFONT SampleFont;
COLORREF WorkingColors[SWATCH_COUNT];
LOGFONTA WorkingFont;

namespace {

// The numeric fields: each spin control with its setting and range.
struct SpinField {
    int spin;
    UINT32 SETTINGS::*setting;
    UINT32 low;
    UINT32 high;
};

const SpinField SPIN_FIELDS[] = {
    {IDC_PORT_SPIN, &SETTINGS::Port, 10000, 65535},
    {IDC_TIMEOUT_SPIN, &SETTINGS::TimeOut, 1, 10},
    {IDC_TIMER_SPIN, &SETTINGS::Timer, 30, 3600},
    {IDC_TEMP_SPIN, &SETTINGS::Temp, 20, 70},
    {IDC_HOST_NUMBER_SPIN, &SETTINGS::HostNumber, 0, 15},
};

// The colour settings in swatch order; button 1100 + 2i, swatch 1101 + 2i.
COLORREF SETTINGS::*const COLOR_SETTINGS[SWATCH_COUNT] = {
    &SETTINGS::CoolTextColor, &SETTINGS::CoolShadowColor, &SETTINGS::HotTextColor,
    &SETTINGS::HotShadowColor, &SETTINGS::MaskColor,
};

// The two lists: item index = stored value.
struct ListField {
    int list;
    INT32 SETTINGS::*setting;
    const char* const* items;
    int count;
};

const char* const VIEW_TYPE_ITEMS[] = {"無効", "背面", "前面", "背面＋前面"};
const char* const SHADOW_TYPE_ITEMS[] = {"無効", "左上", "右上", "左下", "右下", "縁取(弱)", "縁取(中)", "縁取(強)"};

const ListField LIST_FIELDS[] = {
    {IDC_VIEW_TYPE, &SETTINGS::ViewType, VIEW_TYPE_ITEMS, 4},
    {IDC_SHADOW_TYPE, &SETTINGS::ShadowType, SHADOW_TYPE_ITEMS, 8},
};

constexpr size_t HOST_ADDRESS_MAX = sizeof Settings.HostAddress - 1;   // 255

int ColorButtonIndex(int id)
{
    int offset = id - IDC_COOL_TEXT_COLOR;
    return (offset >= 0 && offset < 2 * SWATCH_COUNT && offset % 2 == 0) ? offset / 2 : -1;
}

int SwatchIndex(int id)
{
    int offset = id - IDC_COOL_TEXT_SWATCH;
    return (offset >= 0 && offset < 2 * SWATCH_COUNT && offset % 2 == 0) ? offset / 2 : -1;
}

HINSTANCE ProgramInstance()
{
    return AppState.instance ? AppState.instance : GetModuleHandleA(nullptr);
}

void CentreOnScreen(HWND dialog)
{
    RECT rc;
    GetWindowRect(dialog, &rc);
    int width = rc.right - rc.left;
    int height = rc.bottom - rc.top;
    int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    MoveWindow(dialog, left, top, width, height, TRUE);
}

void SetDialogIcons(HWND dialog)
{
    HINSTANCE instance = ProgramInstance();
    HICON large = LoadIconA(instance, MAKEINTRESOURCEA(IDI_APP));
    HICON small = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDI_APP_SMALL), IMAGE_ICON,
                                                GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                                LR_SHARED));
    SendMessageA(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(large));
    SendMessageA(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
}

void AddListItems(HWND dialog)
{
    for (const ListField& f : LIST_FIELDS)
        for (int i = 0; i < f.count; ++i)
            SendDlgItemMessageA(dialog, f.list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(f.items[i]));
}

BOOL InitSettingsDialog(HWND dialog)
{
    AppState.settingsOpen = 1;
    CentreOnScreen(dialog);
    SetDialogIcons(dialog);
    AddListItems(dialog);
    FillSettingsControls(dialog);
    UpdateSwatches(dialog);
    ShowWindow(dialog, SW_SHOW);
    return TRUE;
}

// "適用" and the first half of "設定": SETTINGS from the controls, the icon
// set rebuilt and the tray redrawn with errors shown, so the new host is
// tried at once.
void ApplySettings(HWND dialog)
{
    ReadSettingsControls(dialog);
    BuildIconSet();
    Redisplay(GetWindow(dialog, GW_OWNER), 1);
}

void CloseSettingsDialog(HWND dialog, INT_PTR result)
{
    ReleaseSwatches();
    AppState.settingsOpen = 0;
    // Marks this dialog as ended; its window lives on until its modal loop
    // returns.
    SetWindowLongPtrA(dialog, DWLP_USER, 1);
    EndDialog(dialog, result);
}

bool Ended(HWND dialog)
{
    return GetWindowLongPtrA(dialog, DWLP_USER) != 0;
}

// A save that the file refused is said, and the dialog stays open: closing
// it would tell the user the settings were kept.
void ReportFailedSave(HWND dialog)
{
    char text[MAX_PATH + 128];
    std::snprintf(text, sizeof text, "設定を保存できませんでした。\r\n%s", SettingsFilePath());
    MessageBoxA(dialog, text, ERROR_CAPTION, ERROR_BOX_TYPE);
}

void OnSet(HWND dialog)
{
    ApplySettings(dialog);
    // The refresh's error box runs a modal loop in which "中止" may have
    // ended the dialog: its result is then 2, and 2 saves nothing.
    if (Ended(dialog))
        return;
    if (!SaveSettings()) {
        ReportFailedSave(dialog);
        return;
    }
    CloseSettingsDialog(dialog, IDOK);
}

void OnApply(HWND dialog)
{
    ApplySettings(dialog);
}

void OnCancel(HWND dialog)
{
    CloseSettingsDialog(dialog, IDCANCEL);
}

void RefreshSwatches(HWND dialog)
{
    UpdateSwatches(dialog);
    InvalidateRect(dialog, nullptr, TRUE);
}

void OnFont(HWND dialog)
{
    ChooseTextFont(dialog, WorkingFont);
    RefreshSwatches(dialog);
}

void OnColorButton(HWND dialog, int index)
{
    WorkingColors[index] = ChoosePaletteColor(dialog, WorkingColors[index]);
    RefreshSwatches(dialog);
}

struct Command {
    int id;
    void (*handler)(HWND dialog);
};

const Command COMMANDS[] = {
    {IDOK, OnSet},
    {IDC_APPLY, OnApply},
    {IDCANCEL, OnCancel},
    {IDC_FONT, OnFont},
};

void OnSettingsCommand(HWND dialog, WPARAM wParam)
{
    int id = LOWORD(wParam);
    for (const Command& c : COMMANDS)
        if (c.id == id) {
            c.handler(dialog);
            return;
        }
    int index = ColorButtonIndex(id);
    if (index >= 0)
        OnColorButton(dialog, index);
}

INT_PTR ColorStatic(HDC dc, HWND control)
{
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    int index = SwatchIndex(GetDlgCtrlID(control));
    if (index >= 0) {
        SetBkColor(dc, WorkingColors[index]);
        return reinterpret_cast<INT_PTR>(SwatchBrushes[index].m_hBrush);
    }
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    return reinterpret_cast<INT_PTR>(GetStockObject(NULL_BRUSH));
}

UINT32 Clamp(UINT32 value, UINT32 low, UINT32 high)
{
    return value < low ? low : value > high ? high : value;
}

} // namespace

void FillSettingsControls(HWND dialog)
{
    SetDlgItemTextA(dialog, IDC_HOST_ADDRESS, Settings.HostAddress);
    for (const SpinField& f : SPIN_FIELDS) {
        // Clamped here, unsigned: a huge value from the file would turn
        // negative as the spin's signed position and land at the low end.
        UINT32 position = Clamp(Settings.*f.setting, f.low, f.high);
        SendDlgItemMessageA(dialog, f.spin, UDM_SETRANGE32, f.low, f.high);
        SendDlgItemMessageA(dialog, f.spin, UDM_SETPOS32, 0, static_cast<LPARAM>(position));
    }
    CheckDlgButton(dialog, IDC_COMMAND_ERROR, Settings.CommandError ? BST_CHECKED : BST_UNCHECKED);
    for (int i = 0; i < SWATCH_COUNT; ++i)
        WorkingColors[i] = Settings.*COLOR_SETTINGS[i];
    WorkingFont = Settings.TextFont;
    for (const ListField& f : LIST_FIELDS)
        SendDlgItemMessageA(dialog, f.list, CB_SETCURSEL, static_cast<WPARAM>(Settings.*f.setting), 0);
}

void ReadSettingsControls(HWND dialog)
{
    // Read whole, then cut to 255 bytes on a character boundary.
    char host[4 * sizeof Settings.HostAddress] = "";
    GetDlgItemTextA(dialog, IDC_HOST_ADDRESS, host, sizeof host);
    SjisCopy(Settings.HostAddress, HOST_ADDRESS_MAX + 1, host, sizeof host);
    for (const SpinField& f : SPIN_FIELDS) {
        // Text that is no number or out of range: the last valid position.
        BOOL error = FALSE;
        LRESULT position = SendDlgItemMessageA(dialog, f.spin, UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(&error));
        Settings.*f.setting = static_cast<UINT32>(position);
    }
    Settings.CommandError = IsDlgButtonChecked(dialog, IDC_COMMAND_ERROR) == BST_CHECKED ? 1 : 0;
    for (int i = 0; i < SWATCH_COUNT; ++i)
        Settings.*COLOR_SETTINGS[i] = WorkingColors[i];
    for (const ListField& f : LIST_FIELDS)
        Settings.*f.setting = static_cast<INT32>(SendDlgItemMessageA(dialog, f.list, CB_GETCURSEL, 0, 0));
    Settings.TextFont = WorkingFont;
}

void UpdateSwatches(HWND dialog)
{
    for (int i = 0; i < SWATCH_COUNT; ++i)
        SwatchBrushes[i].Create(WorkingColors[i]);
    // A font the system refuses leaves no handle: the sample then falls
    // back to the system font rather than keep the deleted one.
    const BOOL made = SampleFont.Create(WorkingFont);
    if (made)
        SetDlgItemTextA(dialog, IDC_FONT_SAMPLE, SampleFont.m_lf.lfFaceName);
    SendDlgItemMessageA(dialog, IDC_FONT_SAMPLE, WM_SETFONT,
                        reinterpret_cast<WPARAM>(made ? SampleFont.m_hFont : nullptr), FALSE);
}

void ReleaseSwatches()
{
    for (WINBRUSH& brush : SwatchBrushes)
        brush.Release();
    SampleFont.Release();
}

INT_PTR CALLBACK SettingsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return InitSettingsDialog(dialog);
    case WM_COMMAND:
        OnSettingsCommand(dialog, wParam);
        return TRUE;
    case WM_CTLCOLORSTATIC:
        return ColorStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    default:
        return FALSE;
    }
}

INT_PTR ShowSettingsDialog(HWND owner)
{
    // The up-down class of common controls 6 (the manifest's choice).
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&icc);
    return DialogBoxParamA(ProgramInstance(), MAKEINTRESOURCEA(IDD_SETTINGS), owner, SettingsDlgProc, 0);
}
