// INIFILE over the platform's private-profile functions. The value texts
// are converted by the platform-free grammar of profile_values.
#include "config/inifile.h"

#include "config/profile_values.h"
#include "config/settings_location.h"
#include "wire/sjis_text.h"

#include <cstddef>
#include <cstring>

static_assert(sizeof(FontFields) == sizeof(LOGFONTA), "font layouts differ");
static_assert(offsetof(FontFields, italic) == offsetof(LOGFONTA, lfItalic), "font layouts differ");
static_assert(offsetof(FontFields, pitchAndFamily) == offsetof(LOGFONTA, lfPitchAndFamily), "font layouts differ");
static_assert(offsetof(FontFields, faceName) == offsetof(LOGFONTA, lfFaceName), "font layouts differ");

namespace {
// Room for a value text; longer lines in the file are cut by the platform.
constexpr DWORD VALUE_ROOM = 256;
}

INIFILE::~INIFILE()
{
    m_szFileName[0] = '\0';
}

void INIFILE::SetFileName(const char* name)
{
    SjisCopy(m_szFileName, sizeof m_szFileName, name, std::strlen(name));
}

UINT INIFILE::GetInt(const char* section, const char* key, UINT def) const
{
    if (!HasFile())
        return def;
    char text[VALUE_ROOM];
    GetPrivateProfileStringA(section, key, "", text, sizeof text, m_szFileName);
    return ParseProfileUInt(text, def);
}

void INIFILE::GetString(const char* section, const char* key, const char* def, char* buffer, DWORD size) const
{
    if (size == 0)
        return;
    if (!HasFile()) {
        SjisCopy(buffer, size, def, std::strlen(def));
        return;
    }
    // Read whole, then cut on a character boundary: the platform would cut
    // at the byte count and could split a double-byte character.
    char text[VALUE_ROOM];
    GetPrivateProfileStringA(section, key, def, text, sizeof text, m_szFileName);
    SjisCopy(buffer, size, text, sizeof text);
}

bool INIFILE::WriteString(const char* section, const char* key, const char* text) const
{
    if (!HasFile())
        return true;
    if (WritePrivateProfileStringA(section, key, text, m_szFileName))
        return true;
    // The file's folder is made when the first write needs it.
    return MakeFolderOf(m_szFileName) && WritePrivateProfileStringA(section, key, text, m_szFileName);
}

void INIFILE::GetColor(const char* section, const char* key, COLORREF& color) const
{
    char text[VALUE_ROOM] = "";
    GetString(section, key, "", text, sizeof text);
    color = ParseProfileColor(text, color);
}

bool INIFILE::GetFont(const char* section, LOGFONTA& font) const
{
    char text[VALUE_ROOM] = "";
    GetString(section, "TextFont", "", text, sizeof text);
    FontFields fields;
    std::memcpy(&fields, &font, sizeof fields);
    if (!ParseProfileFont(text, fields))
        return false;
    std::memcpy(&font, &fields, sizeof font);
    return true;
}
