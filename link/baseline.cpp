// The attribute baseline of each drive: one section per drive identity in
// the settings file, holding its status-hidden flag and watched values.
#include "link/baseline.h"

#include "app/debug_report.h"
#include "config/inifile.h"
#include "config/settings_location.h"
#include "link/drive_slot.h"
#include "link/drive_view.h"

#include <cstdio>

namespace {

// The five attribute keys in file order, after "Check".
struct AttributeKey {
    const char* key;
    int32_t DriveRecord::* field;
};

const AttributeKey ATTRIBUTE_KEYS[] = {
    {"A05", &DriveRecord::A05}, {"A09", &DriveRecord::A09}, {"AC4", &DriveRecord::AC4},
    {"AC5", &DriveRecord::AC5}, {"AC6", &DriveRecord::AC6},
};

constexpr const char* CHECK_KEY = "Check";
constexpr UINT UNSET_ATTRIBUTE = static_cast<UINT>(-1);

bool ValidPosition(int position)
{
    return position >= 0 && position < static_cast<int>(SLOT_COUNT);
}

} // namespace

int LoadAttributeBaseline(int position)
{
    if (!ValidPosition(position))
        return 0;
    DriveSlot& slot = DriveSlots[position];
    char section[SECTION_NAME_ROOM];
    FormatBaselineSection(section, sizeof section, slot.Record);

    INIFILE ini;
    ini.SetFileName(SettingsFilePath());
    slot.Check = static_cast<INT32>(ini.GetInt(section, CHECK_KEY, 0));
    for (const AttributeKey& a : ATTRIBUTE_KEYS)
        slot.Record.*a.field = static_cast<int32_t>(ini.GetInt(section, a.key, UNSET_ATTRIBUTE));
    return 1;
}

int SaveAttributeBaseline(int position)
{
    if (!ValidPosition(position))
        return 0;
    const DriveSlot& slot = DriveSlots[position];
    char section[SECTION_NAME_ROOM];
    FormatBaselineSection(section, sizeof section, slot.Record);

    INIFILE ini;
    ini.SetFileName(SettingsFilePath());
    char text[256];
    std::snprintf(text, sizeof text, "%d", static_cast<int>(slot.Check));
    bool written = ini.WriteString(section, CHECK_KEY, text);
    for (const AttributeKey& a : ATTRIBUTE_KEYS) {
        std::snprintf(text, sizeof text, "%ld", static_cast<long>(slot.Record.*a.field));
        written = written && ini.WriteString(section, a.key, text);
    }
    // Polling shows no box: a refused write is only traced.
    if (!written)
        DebugReport("SaveAttributeBaseline(%d) ERROR: %s\n", position, ini.FileName());
    return 1;
}
