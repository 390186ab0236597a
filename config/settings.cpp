// The settings record: defaults, load and save of the host's section.
#include "config/settings.h"

#include "config/inifile.h"
#include "config/profile_values.h"
#include "config/settings_location.h"

#include <cstdio>
#include <cstring>

SETTINGS Settings;

namespace {

LOGFONTA MakeFont(LONG height, BYTE pitchAndFamily, const char* face)
{
    LOGFONTA lf = {};
    lf.lfHeight = height;
    lf.lfWeight = FW_BOLD;
    lf.lfPitchAndFamily = pitchAndFamily;
    std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    return lf;
}

// The integer keys in file order, with their read defaults.
struct IntKey {
    const char* key;
    void* field;
    UINT def;
    const char* format;   // nullptr: never written
};

const IntKey* IntKeys(size_t& count)
{
    static const IntKey keys[] = {
        {"Debug", &Settings.Debug, 0, nullptr},
        {"Port", &Settings.Port, 10008, "%u"},
        {"TimeOut", &Settings.TimeOut, 3, "%u"},
        {"Timer", &Settings.Timer, 120, "%u"},
        {"Temp", &Settings.Temp, 45, "%u"},
        {"HostNumber", &Settings.HostNumber, 0, "%u"},
        {"CommandError", &Settings.CommandError, 1, "%d"},
        {"ViewType", &Settings.ViewType, 3, "%u"},
        {"ShadowType", &Settings.ShadowType, 1, "%u"},
        // Read only: the dialog has no control for it, so a save keeps the file's value.
        {"Alert", &Settings.Alert, 1, nullptr},
    };
    count = sizeof keys / sizeof keys[0];
    return keys;
}

struct ColorKey {
    const char* key;
    COLORREF* field;
};

const ColorKey COLOR_KEYS[] = {
    {"CoolTextColor", &Settings.CoolTextColor},   {"CoolShadowColor", &Settings.CoolShadowColor},
    {"HotTextColor", &Settings.HotTextColor},     {"HotShadowColor", &Settings.HotShadowColor},
    {"MaskColor", &Settings.MaskColor},
};

} // namespace

void SetDefaultSettings()
{
    Settings.CoolTextColor = RGB(0, 255, 0);
    Settings.CoolShadowColor = RGB(31, 63, 31);
    Settings.HotTextColor = RGB(255, 0, 0);
    Settings.HotShadowColor = RGB(63, 31, 31);
    Settings.MaskColor = RGB(15, 15, 15);
    Settings.TextFont = MakeFont(-17, VARIABLE_PITCH, "Arial Narrow");
    Settings.NumberTextColor = RGB(255, 255, 255);
    Settings.NumberShadowColor = RGB(0, 0, 0);
    Settings.NumberFont = MakeFont(-14, FIXED_PITCH, "ＭＳ ゴシック");
}

BOOL LoadSettings()
{
    INIFILE ini;
    ini.SetFileName(SettingsFilePath());
    const char* section = Settings.HostAddress;

    size_t count = 0;
    const IntKey* keys = IntKeys(count);
    // "Debug" comes first, then "Label", then the other integers.
    *static_cast<UINT*>(keys[0].field) = ini.GetInt(section, keys[0].key, keys[0].def);
    ini.GetString(section, "Label", section, Settings.Label, LABEL_READ_MAX + 1);
    for (size_t i = 1; i < count; ++i)
        *static_cast<UINT*>(keys[i].field) = ini.GetInt(section, keys[i].key, keys[i].def);

    for (const ColorKey& c : COLOR_KEYS)
        ini.GetColor(section, c.key, *c.field);
    ini.GetFont(section, Settings.TextFont);
    return TRUE;
}

BOOL SaveSettings()
{
    INIFILE ini;
    ini.SetFileName(SettingsFilePath());
    const char* section = Settings.HostAddress;
    char text[256];

    // The first refused write ends the save: the rest would fail alike.
    if (!ini.WriteString(section, "Label", Settings.Label))
        return FALSE;
    size_t count = 0;
    const IntKey* keys = IntKeys(count);
    for (size_t i = 0; i < count; ++i) {
        if (keys[i].format == nullptr)
            continue;
        std::snprintf(text, sizeof text, keys[i].format, *static_cast<const UINT*>(keys[i].field));
        if (!ini.WriteString(section, keys[i].key, text))
            return FALSE;
    }
    for (const ColorKey& c : COLOR_KEYS) {
        FormatProfileColor(*c.field, text, sizeof text);
        if (!ini.WriteString(section, c.key, text))
            return FALSE;
    }
    FontFields font;
    std::memcpy(&font, &Settings.TextFont, sizeof font);
    FormatProfileFont(font, text, sizeof text);
    return ini.WriteString(section, "TextFont", text) ? TRUE : FALSE;
}
