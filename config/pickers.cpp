// The font chooser on a copy of the caller's font, and the colour chooser
// with the custom palette saved per program file name in "CPALLET.INI".
#include "config/pickers.h"

#include "app/debug_report.h"
#include "config/inifile.h"
#include "config/palette_codec.h"
#include "config/settings_location.h"

#include <commdlg.h>

#include <cstring>

static_assert(sizeof(COLORREF) == sizeof(PaletteColor), "palette colours are COLORREFs");

namespace {

constexpr DWORD PATH_ROOM = 1024;

// The section of this program's palette: its file name, extension included.
// False when the path can't be had or names no file.
bool PaletteSection(char* path, DWORD size, const char*& section)
{
    DWORD length = GetModuleFileNameA(nullptr, path, size);
    if (length == 0 || length >= size)
        return false;
    const char* slash = std::strrchr(path, '\\');
    if (slash == nullptr || slash[1] == '\0')
        return false;
    section = slash + 1;
    return true;
}

// Read with room beyond the 128 digits: a longer value would otherwise be
// cut to 128 by the read and taken as a palette instead of being ignored.
constexpr DWORD PALETTE_READ_ROOM = 256;

void LoadPalette(const INIFILE& ini, const char* section, COLORREF palette[PALETTE_COLORS])
{
    char text[PALETTE_READ_ROOM] = "";
    ini.GetString(section, PALETTE_KEY, "", text, sizeof text);
    PaletteColor colors[PALETTE_COLORS] = {};
    if (!DecodePalette(text, colors))
        return;
    for (size_t i = 0; i < PALETTE_COLORS; ++i)
        palette[i] = colors[i];
}

void SavePalette(const INIFILE& ini, const char* section, const COLORREF palette[PALETTE_COLORS])
{
    PaletteColor colors[PALETTE_COLORS];
    for (size_t i = 0; i < PALETTE_COLORS; ++i)
        colors[i] = static_cast<PaletteColor>(palette[i]);
    char text[PALETTE_TEXT_LENGTH + 1];
    EncodePalette(colors, text);
    if (!ini.WriteString(section, PALETTE_KEY, text))
        DebugReport("SavePalette ERROR: %s\n", ini.FileName());
}

} // namespace

BOOL ChooseTextFont(HWND owner, LOGFONTA& font)
{
    LOGFONTA chosen = font;
    CHOOSEFONTA cf = {};
    cf.lStructSize = sizeof cf;
    cf.hwndOwner = owner;
    cf.lpLogFont = &chosen;
    cf.Flags = CF_SCREENFONTS | CF_NOVERTFONTS | CF_INITTOLOGFONTSTRUCT;
    if (!ChooseFontA(&cf))
        return FALSE;
    font = chosen;
    return TRUE;
}

COLORREF ChoosePaletteColor(HWND owner, COLORREF start)
{
    char path[PATH_ROOM];
    const char* section = nullptr;
    if (!PaletteSection(path, sizeof path, section))
        return start;

    INIFILE ini;
    ini.SetFileName(PaletteFilePath());
    COLORREF palette[PALETTE_COLORS] = {};
    LoadPalette(ini, section, palette);
    COLORREF loaded[PALETTE_COLORS];
    std::memcpy(loaded, palette, sizeof loaded);

    CHOOSECOLORA cc = {};
    cc.lStructSize = sizeof cc;
    cc.hwndOwner = owner;
    cc.rgbResult = start;
    cc.lpCustColors = palette;
    cc.Flags = CC_RGBINIT | CC_FULLOPEN | CC_ANYCOLOR;
    COLORREF result = ChooseColorA(&cc) ? cc.rgbResult : start;

    // The chooser edits the custom colours in place even when it is
    // cancelled; what the user defined is kept either way.
    if (std::memcmp(palette, loaded, sizeof palette) != 0)
        SavePalette(ini, section, palette);
    return result;
}
