// The attribute baseline of each drive: one section per drive identity in
// the settings file, holding its status-hidden flag and watched values.
#include "link/baseline.h"

#include "app/debug_report.h"
#include "config/inifile.h"
#include "config/profile_values.h"
#include "config/settings_location.h"
#include "link/drive_slot.h"
#include "link/drive_view.h"

#include <cstdio>
#include <cstring>

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
constexpr int32_t UNSET_ATTRIBUTE = -1;

bool ValidPosition(int position)
{
    return position >= 0 && position < static_cast<int>(SLOT_COUNT);
}

// The values are written signed ("%ld"): the settings' integer read, which
// takes digits only, would turn a saved -1 into 0 and make an unchanged
// drive look changed at every start.
int32_t ReadValue(const INIFILE& ini, const char* section, const char* key, int32_t def)
{
    char text[32] = "";
    ini.GetString(section, key, "", text, sizeof text);
    return ParseProfileInt(text, def);
}

// The section of identity's drive into the slot's Check and stored values.
void ReadBaseline(DriveSlot& slot, const DriveRecord& identity)
{
    char section[SECTION_NAME_ROOM];
    FormatBaselineSection(section, sizeof section, identity);

    INIFILE ini;
    ini.SetFileName(SettingsFilePath());
    slot.Check = ReadValue(ini, section, CHECK_KEY, 0);
    for (const AttributeKey& a : ATTRIBUTE_KEYS)
        slot.Record.*a.field = ReadValue(ini, section, a.key, UNSET_ATTRIBUTE);
}

bool SameIdentity(const DriveRecord& a, const DriveRecord& b)
{
    char sectionA[SECTION_NAME_ROOM], sectionB[SECTION_NAME_ROOM];
    FormatBaselineSection(sectionA, sizeof sectionA, a);
    FormatBaselineSection(sectionB, sizeof sectionB, b);
    return std::strcmp(sectionA, sectionB) == 0;
}

} // namespace

int LoadAttributeBaseline(int position)
{
    if (!ValidPosition(position))
        return 0;
    DriveSlot& slot = DriveSlots[position];
    ReadBaseline(slot, slot.Record);
    return 1;
}

int LoadBaselineOfNewDrive(int position, const DriveRecord& reply)
{
    if (!ValidPosition(position))
        return 0;
    DriveSlot& slot = DriveSlots[position];
    if (slot.Record.InUse != 0 && SameIdentity(slot.Record, reply))
        return 0;
    ReadBaseline(slot, reply);
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
