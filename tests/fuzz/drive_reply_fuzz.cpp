// Any server datagram taken as one poll takes it: each record planned against the previous one
// and turned into image index, tooltip, balloon text and title and baseline section name, within
// the limits the Win32 code relies on when it hands these to the shell and the profile functions.
#include "fuzz_checks.h"
#include "wire/drive_record.h"
#include "link/drive_view.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

// The poll's settings, picked from the datagram so that the fuzzer explores them with the records.
struct PollSettings {
    int32_t overrideMode;
    uint32_t hotThreshold;
    int32_t check;
    const char* label;
};

PollSettings SettingsFor(const uint8_t* data, size_t size)
{
    static const uint32_t thresholds[] = {45, 0, 99, 255, 0x7FFFFFFF, 0xFFFFFFFF};
    static const char* const labels[] = {LOCAL_LABEL, "", "server-2",
                                         "\x83\x54\x81\x5B\x83\x6F\x81\x5B"   // サーバー
                                         "0123456789012345678901234567890123456789012345678901234567890123"};
    uint8_t knob = size > 0 ? data[size - 1] : 0;
    PollSettings s;
    s.overrideMode = static_cast<int32_t>(knob % 7) - 1;   // -1 to 5: out of range both ways
    s.hotThreshold = thresholds[(knob >> 3) % 6];
    s.check = (knob >> 6) & 1;
    s.label = labels[(knob >> 4) % 4];
    return s;
}

void CheckPosition(int position, DriveRecord reply, const DriveRecord& stored, const PollSettings& s)
{
    const uint8_t sentState = reply.State;
    DriveUpdate update = PlanDriveUpdate(reply, stored, s.check, s.overrideMode, s.hotThreshold);
    Require(update.image < ICON_COUNT);
    Require(update.image < ICON_HOST_BASE || update.image == ICON_ERROR);
    Require((update.image == ICON_ERROR) == (reply.State == DS_ERR));
    Require(s.overrideMode >= 1 && s.overrideMode <= 4 ? reply.State == s.overrideMode - 1
                                                       : reply.State == sentState);
    Require(update.check == (update.attributesChanged ? 0 : s.check));

    char tip[TOOLTIP_ROOM];
    std::memset(tip, 0x7F, sizeof tip);
    size_t whole = FormatTooltip(tip, sizeof tip, stored.DriveNumber, sizeof stored.DriveNumber, reply.State, s.label);
    RequireText(tip, sizeof tip);
    size_t shown = std::strlen(tip);
    Require(shown <= whole && (shown == whole || EndsOnBoundary(tip, shown)));

    std::vector<char> balloon(BALLOON_BUILD_ROOM);
    size_t length = FormatBalloonText(balloon.data(), balloon.size(), position, reply);
    RequireText(balloon.data(), balloon.size());
    Require(length == std::strlen(balloon.data()));
    size_t cut = SjisCutLength(balloon.data(), length, BALLOON_TEXT_ROOM - 1);
    Require(cut < BALLOON_TEXT_ROOM && EndsOnBoundary(balloon.data(), cut));
    Require(BalloonIconFor(reply.State) >= BALLOON_INFO && BalloonIconFor(reply.State) <= BALLOON_ERROR);

    char title[BALLOON_TITLE_ROOM];
    CopyField(title, sizeof title, reply.Model);
    RequireText(title, sizeof title);

    char section[SECTION_NAME_ROOM];
    std::memset(section, 0x7F, sizeof section);
    size_t nameLength = FormatBaselineSection(section, sizeof section, reply);
    RequireText(section, sizeof section);
    Require(nameLength == std::strlen(section) && nameLength <= 64 + 1 + 16 + 1 + 32);
    // A control byte in the name would split the section's header line in the settings file.
    for (size_t i = 0; i < nameLength; ++i)
        Require(static_cast<unsigned char>(section[i]) >= 0x20);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // As the receive call fills the cleared buffer: too large is refused whole, empty is no reply.
    if (size == 0 || size > REPLY_SIZE)
        return 0;
    std::vector<unsigned char> reply(REPLY_SIZE, 0);
    std::memcpy(reply.data(), data, size);
    const PollSettings s = SettingsFor(data, size);

    // Each record is planned against the previous one, the first against an unset one (all -1).
    DriveRecord stored;
    std::memset(&stored, 0, sizeof stored);
    stored.A05 = stored.A09 = stored.AC4 = stored.AC5 = stored.AC6 = -1;
    for (size_t i = 0; i < RECORD_COUNT; ++i) {
        DriveRecord record = RecordAt(reply.data(), i);
        if (record.InUse != 0)
            CheckPosition(static_cast<int>(i), record, stored, s);
        stored = record;
    }
    return 0;
}
