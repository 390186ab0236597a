// Image index, tooltip, balloon text and baseline section of a drive.
#include "link/drive_view.h"

#include "wire/sjis_text.h"

#include <cstdio>
#include <cstring>

namespace {

// Precision for "%.*s" of a record's text field, which a faulty server may
// leave without its terminating 0.
template <size_t N>
int FieldWidth(const char (&field)[N])
{
    return static_cast<int>(FieldLength(field));
}

// Appends text to out (size room, holding length bytes); returns the new length.
size_t Append(char* out, size_t room, size_t length, const char* text)
{
    size_t n = SjisCopy(out + length, room - length, text, std::strlen(text));
    return length + n;
}

} // namespace

uint8_t OverriddenState(uint8_t state, int32_t mode)
{
    // Mode 1 shows normal (0), 2 caution (1), 3 danger (2), 4 error (3).
    static const uint8_t shown[] = {DS_GOOD, DS_WARN, DS_DNGR, DS_ERR};
    return OverrideOn(mode) ? shown[mode - 1] : state;
}

bool OverrideOn(int32_t mode)
{
    return mode >= 1 && mode <= 4;
}

bool IsHot(int8_t temperature, uint32_t hotThreshold)
{
    return static_cast<uint32_t>(static_cast<int32_t>(temperature)) > hotThreshold;
}

bool WatchedAttributesDiffer(const DriveRecord& reply, const DriveRecord& stored)
{
    static int32_t DriveRecord::* const watched[] = {&DriveRecord::A05, &DriveRecord::AC4, &DriveRecord::AC5,
                                                     &DriveRecord::AC6};
    for (int32_t DriveRecord::* field : watched)
        if (reply.*field != stored.*field)
            return true;
    return false;
}

uint32_t ChooseImageIndex(const DriveRecord& reply, uint32_t hotThreshold, int32_t check)
{
    if (reply.State == DS_ERR)
        return ICON_ERROR;
    int t = reply.Temperature;
    uint32_t number = t >= 0 && t <= 99 ? static_cast<uint32_t>(t) : 99;
    uint32_t index = number + (IsHot(reply.Temperature, hotThreshold) ? 100 : 0);
    if (check == 0) {
        static const uint32_t mark[] = {0, 200, 400};   // good, caution, danger
        if (reply.State < 3)
            index += mark[reply.State];
    }
    return index;
}

DriveUpdate PlanDriveUpdate(DriveRecord& reply, const DriveRecord& stored, int32_t check, int32_t overrideMode,
                            uint32_t hotThreshold)
{
    reply.State = OverriddenState(reply.State, overrideMode);
    DriveUpdate update;
    update.attributesChanged = WatchedAttributesDiffer(reply, stored);
    update.check = update.attributesChanged ? 0 : check;
    update.image = ChooseImageIndex(reply, hotThreshold, update.check);
    return update;
}

size_t FormatTooltip(char* out, size_t room, const char* driveNumber, size_t driveNumberWidth, uint8_t state,
                     const char* label)
{
    // Longest whole text: 64 + 1 + 4 + 2 + 255 + 1 bytes.
    char text[512];
    int width = static_cast<int>(BoundedLength(driveNumber, driveNumberWidth));
    int n = std::snprintf(text, sizeof text, "%.*s %s", width, driveNumber, DriveStateText(state));
    size_t length = n > 0 ? static_cast<size_t>(n) : 0;
    if (std::strcmp(label, LOCAL_LABEL) != 0) {
        length = Append(text, sizeof text, length, " (");
        length = Append(text, sizeof text, length, label);
        length = Append(text, sizeof text, length, ")");
    }
    if (room > 0) {
        size_t cut = SjisCutLength(text, length, room - 1);
        std::memcpy(out, text, cut);
        out[cut] = '\0';
    }
    return length;
}

BalloonIcon BalloonIconFor(uint8_t state)
{
    static const BalloonIcon icons[] = {BALLOON_INFO, BALLOON_WARNING};
    return state < 2 ? icons[state] : BALLOON_ERROR;
}

size_t FormatBalloonText(char* out, size_t room, int position, const DriveRecord& r)
{
    if (room == 0)
        return 0;
    // The formats are spelled as Shift-JIS bytes so that this file needs no
    // code-page option from whichever compiler builds it.
    char line[9][128];
    std::snprintf(line[0], 128, "\x83\x66\x83\x6F\x83\x43\x83\x58\x94\xD4\x8D\x86\x81\x46%d\n",
                  position);   // デバイス番号：%d
    std::snprintf(line[1], 128, "\x83\x68\x83\x89\x83\x43\x83\x75\x94\xD4\x8D\x86\x81\x46%.*s\n",
                  FieldWidth(r.DriveNumber), r.DriveNumber);   // ドライブ番号：%s
    std::snprintf(line[2], 128, "\x83\x6F\x81\x5B\x83\x57\x83\x87\x83\x93\x81\x40\x81\x46%.*s\n",
                  FieldWidth(r.Firmware), r.Firmware);   // バージョン　：%s
    std::snprintf(line[3], 128, "\x83\x56\x83\x8A\x83\x41\x83\x8B\x94\xD4\x8D\x86\x81\x46%.*s\n",
                  FieldWidth(r.Serial), r.Serial);   // シリアル番号：%s
    std::snprintf(line[4], 128,
                  "\x89\xB7\x93\x78\x81\x69\x8D\xC5\x91\xE5\x81\x6A\x81\x46%d\x81\x8E\x81\x69%d\x81\x8E\x81\x6A\n",
                  r.Temperature, r.MaxTemperature);   // 温度（最大）：%d℃（%d℃）
    std::snprintf(line[5], 128, "\x8E\x67\x97\x70\x97\xCA\x8A\x84\x8D\x87\x81\x40\x81\x46%d\x81\x93\n",
                  r.UsageRate);   // 使用量割合　：%d％
    // Whole days, truncated toward zero like the hours' sign.
    std::snprintf(line[6], 128, "\x91\x8D\x92\xCA\x93\x64\x93\xFA\x90\x94\x81\x40\x81\x46%d\x93\xFA\n",
                  static_cast<int>(r.A09 / 24));   // 総通電日数　：%d日
    std::snprintf(line[7], 128,
                  "\x8A\xC4\x8E\x8B\x91\xAE\x90\xAB\x92\x6C\x81\x40\x81\x46"
                  "05:%d C4:%d C5:%d C6:%d\n",
                  static_cast<int>(r.A05), static_cast<int>(r.AC4), static_cast<int>(r.AC5),
                  static_cast<int>(r.AC6));   // 監視属性値　：05:%d C4:%d C5:%d C6:%d
    std::snprintf(line[8], 128, "\x83\x58\x83\x65\x81\x5B\x83\x5E\x83\x58\x81\x40\x81\x46%s",
                  DriveStateText(r.State));   // ステータス　：%s

    out[0] = '\0';
    size_t length = 0;
    for (const char* text : line)
        length = Append(out, room, length, text);
    return length;
}

size_t FormatBaselineSection(char* out, size_t room, const DriveRecord& r)
{
    if (room == 0)
        return 0;
    int n = std::snprintf(out, room, "%.*s:%.*s:%.*s", FieldWidth(r.Model), r.Model, FieldWidth(r.Firmware),
                          r.Firmware, FieldWidth(r.Serial), r.Serial);
    if (n < 0) {
        out[0] = '\0';
        return 0;
    }
    // The fields' widths keep the name at 114 bytes, well inside its room.
    size_t length = static_cast<size_t>(n) < room ? static_cast<size_t>(n) : room - 1;
    // The name becomes a "[...]" header line of the settings file: a line
    // break or other control byte from a faulty server would split it and
    // leave stray lines behind. Such bytes become '?', which is no trail
    // byte, so the characters around them keep their meaning; names of
    // ordinary drives are unchanged.
    for (size_t i = 0; i < length; ++i)
        if (static_cast<unsigned char>(out[i]) < 0x20)
            out[i] = '?';
    return length;
}

uint32_t PollPeriodMs(uint32_t timerSeconds)
{
    if (timerSeconds == 0)
        return DEFAULT_POLL_SECONDS * 1000;
    if (timerSeconds > LONGEST_POLL_MS / 1000)
        return LONGEST_POLL_MS;
    return timerSeconds * 1000;
}

uint32_t ExchangeWaitSeconds(uint32_t timeOut)
{
    if (timeOut == 0)
        return 1;
    return timeOut > LONGEST_WAIT_SECONDS ? LONGEST_WAIT_SECONDS : timeOut;
}
