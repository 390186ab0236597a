// What a drive's icon, tooltip and balloon show, worked out from records.
#include "config/sjis_text.h"
#include "link/drive_view.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

DriveRecord Drive(int temperature, uint8_t state)
{
    DriveRecord r = {};
    r.InUse = 1;
    r.Temperature = static_cast<int8_t>(temperature);
    r.State = state;
    r.A05 = 0;
    r.A09 = 1000;
    r.AC4 = 0;
    r.AC5 = 0;
    r.AC6 = 0;
    return r;
}

void SetText(char* field, size_t width, const std::string& text)
{
    std::memset(field, 0, width);
    std::memcpy(field, text.data(), text.size() < width ? text.size() : width);
}

TEST(ImageIndex, TemperatureAgainstAThresholdOf45)
{
    struct Case { int temperature; uint32_t index; } cases[] = {
        {45, 45}, {46, 146}, {120, 199}, {-1, 199}, {0, 0}, {99, 199}, {-128, 199}, {44, 44},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ChooseImageIndex(Drive(c.temperature, DS_GOOD), 45, 0), c.index) << c.temperature;
}

TEST(ImageIndex, MarksByStateUnlessHidden)
{
    struct Case { uint8_t state; int32_t check; uint32_t index; } cases[] = {
        {DS_GOOD, 0, 40}, {DS_WARN, 0, 240}, {DS_DNGR, 0, 440}, {DS_WARN, 1, 40}, {DS_DNGR, 1, 40},
        {DS_ERR, 0, ICON_ERROR}, {DS_ERR, 1, ICON_ERROR}, {7, 0, 40}, {255, 0, 40},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ChooseImageIndex(Drive(40, c.state), 45, c.check), c.index)
            << int(c.state) << " check " << c.check;
}

TEST(ImageIndex, ErrorStateWinsOverAnyTemperature)
{
    for (int t : {-1, 0, 50, 127})
        EXPECT_EQ(ChooseImageIndex(Drive(t, DS_ERR), 45, 0), ICON_ERROR) << t;
}

TEST(RefreshPlan, CautionWithHiddenStatusAndUnchangedAttributesStaysUnmarked)
{
    DriveRecord stored = Drive(40, DS_WARN);
    DriveRecord reply = stored;
    DriveUpdate u = PlanDriveUpdate(reply, stored, 1, 0, 45);
    EXPECT_FALSE(u.attributesChanged);
    EXPECT_EQ(u.check, 1);
    EXPECT_EQ(u.image, 40u);
}

TEST(RefreshPlan, AChangedWatchedAttributeShowsTheMarkAgain)
{
    int32_t DriveRecord::* const watched[] = {&DriveRecord::A05, &DriveRecord::AC4, &DriveRecord::AC5,
                                             &DriveRecord::AC6};
    for (auto field : watched) {
        for (int delta : {1, -1}) {
            DriveRecord stored = Drive(40, DS_WARN);
            DriveRecord reply = stored;
            reply.*field += delta;
            DriveUpdate u = PlanDriveUpdate(reply, stored, 1, 0, 45);
            EXPECT_TRUE(u.attributesChanged);
            EXPECT_EQ(u.check, 0);
            EXPECT_EQ(u.image, 240u);
        }
    }
}

TEST(RefreshPlan, PowerOnHoursAloneAreNoChange)
{
    DriveRecord stored = Drive(40, DS_DNGR);
    DriveRecord reply = stored;
    reply.A09 += 5;
    DriveUpdate u = PlanDriveUpdate(reply, stored, 1, 0, 45);
    EXPECT_FALSE(u.attributesChanged);
    EXPECT_EQ(u.check, 1);
    EXPECT_EQ(u.image, 40u);
}

TEST(RefreshPlan, OverrideIsWrittenIntoTheReply)
{
    struct Case { int32_t mode; uint8_t state; uint32_t image; } cases[] = {
        {0, DS_DNGR, 440}, {1, DS_GOOD, 40}, {2, DS_WARN, 240}, {3, DS_DNGR, 440}, {4, DS_ERR, ICON_ERROR},
        {5, DS_DNGR, 440}, {-1, DS_DNGR, 440},
    };
    for (const Case& c : cases) {
        DriveRecord stored = Drive(40, DS_DNGR);
        DriveRecord reply = stored;
        DriveUpdate u = PlanDriveUpdate(reply, stored, 0, c.mode, 45);
        EXPECT_EQ(reply.State, c.state) << c.mode;
        EXPECT_EQ(u.image, c.image) << c.mode;
    }
}

TEST(RefreshPlan, AFirstSightingComparesWithTheUnsetBaseline)
{
    DriveRecord stored = Drive(40, DS_GOOD);
    stored.A05 = stored.AC4 = stored.AC5 = stored.AC6 = -1;
    DriveRecord reply = Drive(40, DS_GOOD);
    EXPECT_TRUE(PlanDriveUpdate(reply, stored, 0, 0, 45).attributesChanged);
    reply.A05 = reply.AC4 = reply.AC5 = reply.AC6 = -1;
    EXPECT_FALSE(PlanDriveUpdate(reply, stored, 0, 0, 45).attributesChanged);
}

std::string Tooltip(const std::string& driveNumber, uint8_t state, const char* label, size_t* full = nullptr)
{
    char field[64];
    SetText(field, sizeof field, driveNumber);
    char out[TOOLTIP_ROOM];
    size_t n = FormatTooltip(out, sizeof out, field, sizeof field, state, label);
    if (full)
        *full = n;
    return out;
}

TEST(Tooltip, DriveNumberStateAndLabel)
{
    struct Case { const char* number; uint8_t state; const char* label; const char* expected; } cases[] = {
        {"Disk 0", DS_GOOD, "127.0.0.1", "Disk 0 正常"},
        {"Disk 0", DS_WARN, "127.0.0.1", "Disk 0 注意"},
        {"Disk 1", DS_DNGR, "nas", "Disk 1 危険 (nas)"},
        {"Disk 1", DS_ERR, "192.168.1.20", "Disk 1 異常 (192.168.1.20)"},
        {"Disk 2", 7, "127.0.0.1", "Disk 2 無効"},
        {"", DS_GOOD, "127.0.0.1", " 正常"},
        {"", DS_GOOD, "lab", " 正常 (lab)"},
        {"Disk 3", DS_GOOD, "127.0.0.1 ", "Disk 3 正常 (127.0.0.1 )"},
        {"Disk 3", DS_GOOD, "", "Disk 3 正常 ()"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Tooltip(c.number, c.state, c.label), c.expected) << c.expected;
}

TEST(Tooltip, IsCutTo63BytesOnACharacterBoundary)
{
    // 30 two-byte characters, a space, then the two characters of the state.
    std::string number;
    for (int i = 0; i < 30; ++i)
        number += "ア";
    struct Case { std::string prefix; size_t full; std::string tip; } cases[] = {
        {"", 65, number + " 注"},      // "注" ends exactly at byte 63
        {"x", 66, "x" + number + " "},  // byte 63 is the lead byte of "注": left out
        {"xx", 67, "xx" + number + " "},
    };
    for (const Case& c : cases) {
        size_t full = 0;
        std::string tip = Tooltip(c.prefix + number, DS_WARN, "127.0.0.1", &full);
        EXPECT_EQ(full, c.full);
        EXPECT_EQ(tip, c.tip);
        EXPECT_LE(tip.size(), 63u);
    }
}

TEST(Tooltip, LongLabelIsCutAndReportsTheWholeLength)
{
    std::string label(100, 'L');
    size_t full = 0;
    std::string tip = Tooltip("Disk 0", DS_GOOD, label.c_str(), &full);
    EXPECT_EQ(full, std::strlen("Disk 0 正常 (") + 100 + 1);
    EXPECT_EQ(tip.size(), 63u);
    EXPECT_EQ(tip.substr(0, 14), "Disk 0 正常 (L");
}

TEST(Tooltip, AnUnterminatedDriveNumberIsReadNoFurtherThanItsField)
{
    char field[64];
    std::memset(field, 'N', sizeof field);
    char out[TOOLTIP_ROOM];
    size_t n = FormatTooltip(out, sizeof out, field, sizeof field, DS_GOOD, "127.0.0.1");
    EXPECT_EQ(n, 64u + 1 + 4);
    EXPECT_EQ(std::string(out), std::string(63, 'N'));
}

DriveRecord BalloonDrive()
{
    DriveRecord r = Drive(38, DS_WARN);
    r.MaxTemperature = 51;
    r.UsageRate = 73;
    r.A05 = 2;
    r.A09 = 4800;
    r.AC4 = 3;
    r.AC5 = 4;
    r.AC6 = 5;
    SetText(r.Model, sizeof r.Model, "VELMORA VX-2000");
    SetText(r.Firmware, sizeof r.Firmware, "FW1.2");
    SetText(r.Serial, sizeof r.Serial, "SN0042");
    SetText(r.DriveNumber, sizeof r.DriveNumber, "Disk 0");
    return r;
}

std::string Balloon(const DriveRecord& r, int position = 3, size_t* length = nullptr)
{
    char out[BALLOON_BUILD_ROOM];
    size_t n = FormatBalloonText(out, sizeof out, position, r);
    if (length)
        *length = n;
    return out;
}

TEST(BalloonText, NineLinesInOrder)
{
    size_t n = 0;
    std::string text = Balloon(BalloonDrive(), 3, &n);
    EXPECT_EQ(text,
              "デバイス番号：3\n"
              "ドライブ番号：Disk 0\n"
              "バージョン　：FW1.2\n"
              "シリアル番号：SN0042\n"
              "温度（最大）：38℃（51℃）\n"
              "使用量割合　：73％\n"
              "総通電日数　：200日\n"
              "監視属性値　：05:2 C4:3 C5:4 C6:5\n"
              "ステータス　：注意");
    EXPECT_EQ(n, text.size());
}

std::string Line(const std::string& text, int index)
{
    size_t start = 0;
    for (int i = 0; i < index; ++i)
        start = text.find('\n', start) + 1;
    size_t end = text.find('\n', start);
    return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

TEST(BalloonText, PowerOnDaysTruncateTowardZero)
{
    struct Case { int32_t hours; const char* line; } cases[] = {
        {47, "総通電日数　：1日"}, {-47, "総通電日数　：-1日"}, {23, "総通電日数　：0日"},
        {-1, "総通電日数　：0日"}, {48, "総通電日数　：2日"},
    };
    for (const Case& c : cases) {
        DriveRecord r = BalloonDrive();
        r.A09 = c.hours;
        EXPECT_EQ(Line(Balloon(r), 6), c.line) << c.hours;
    }
}

TEST(BalloonText, TemperatureBytesAreSigned)
{
    DriveRecord r = BalloonDrive();
    std::memset(&r.Temperature, 0xFF, 1);
    std::memset(&r.MaxTemperature, 0x80, 1);
    EXPECT_EQ(Line(Balloon(r), 4), "温度（最大）：-1℃（-128℃）");
}

TEST(BalloonText, StatusLineAndIconByState)
{
    struct Case { uint8_t state; const char* line; BalloonIcon icon; } cases[] = {
        {0, "ステータス　：正常", BALLOON_INFO},    {1, "ステータス　：注意", BALLOON_WARNING},
        {2, "ステータス　：危険", BALLOON_ERROR},   {3, "ステータス　：異常", BALLOON_ERROR},
        {9, "ステータス　：無効", BALLOON_ERROR},   {255, "ステータス　：無効", BALLOON_ERROR},
    };
    for (const Case& c : cases) {
        DriveRecord r = BalloonDrive();
        r.State = c.state;
        EXPECT_EQ(Line(Balloon(r), 8), c.line);
        EXPECT_EQ(BalloonIconFor(c.state), c.icon) << int(c.state);
    }
}

TEST(BalloonText, LongFieldsGoBeyond255BytesInFull)
{
    DriveRecord r = BalloonDrive();
    SetText(r.DriveNumber, sizeof r.DriveNumber, std::string(63, 'D'));
    SetText(r.Firmware, sizeof r.Firmware, std::string(15, 'F'));
    SetText(r.Serial, sizeof r.Serial, std::string(31, 'S'));
    r.A05 = r.AC4 = r.AC5 = r.AC6 = -2147483647 - 1;
    size_t n = 0;
    std::string text = Balloon(r, 15, &n);
    EXPECT_GT(n, 255u);
    EXPECT_EQ(n, text.size());
    EXPECT_NE(text.find(std::string(63, 'D')), std::string::npos);
    EXPECT_EQ(Line(text, 7), "監視属性値　：05:-2147483648 C4:-2147483648 C5:-2147483648 C6:-2147483648");
}

TEST(BalloonText, UnterminatedFieldsAreReadNoFurtherThanTheirWidth)
{
    DriveRecord r = BalloonDrive();
    std::memset(r.Firmware, 'F', sizeof r.Firmware);   // runs into Serial without a 0
    EXPECT_EQ(Line(Balloon(r), 2), "バージョン　：" + std::string(16, 'F'));
}

TEST(BaselineSection, ModelFirmwareSerial)
{
    struct Case { const char* model; const char* firmware; const char* serial; const char* name; } cases[] = {
        {"ABC-1000", "1.0", "XYZ123", "ABC-1000:1.0:XYZ123"},
        {"", "", "", "::"},
        {"M", "", "S", "M::S"},
    };
    for (const Case& c : cases) {
        DriveRecord r = {};
        SetText(r.Model, sizeof r.Model, c.model);
        SetText(r.Firmware, sizeof r.Firmware, c.firmware);
        SetText(r.Serial, sizeof r.Serial, c.serial);
        char name[SECTION_NAME_ROOM];
        EXPECT_EQ(FormatBaselineSection(name, sizeof name, r), std::strlen(c.name));
        EXPECT_STREQ(name, c.name);
    }
}

TEST(BaselineSection, FullFieldsStayInsideTheirWidths)
{
    DriveRecord r = {};
    std::memset(r.Model, 'M', sizeof r.Model);
    std::memset(r.Firmware, 'F', sizeof r.Firmware);
    std::memset(r.Serial, 'S', sizeof r.Serial);
    char name[SECTION_NAME_ROOM];
    EXPECT_EQ(FormatBaselineSection(name, sizeof name, r), 64u + 1 + 16 + 1 + 32);
    EXPECT_EQ(std::string(name), std::string(64, 'M') + ":" + std::string(16, 'F') + ":" + std::string(32, 'S'));
}

TEST(BaselineSection, ControlBytesCannotSplitTheHeaderLine)
{
    struct Case { const char* model; const char* serial; const char* name; } cases[] = {
        {"A\nB", "S", "A?B::S"},
        {"A\r\nfoo=1", "\t", "A??foo=1::?"},
        {"\x1f\x01", "]", "??::]"},
        {"\x83\x5C", "\x81", "\x83\x5C::\x81"},   // double-byte characters and a lone lead stay
    };
    for (const Case& c : cases) {
        DriveRecord r = {};
        SetText(r.Model, sizeof r.Model, c.model);
        SetText(r.Serial, sizeof r.Serial, c.serial);
        char name[SECTION_NAME_ROOM];
        EXPECT_EQ(FormatBaselineSection(name, sizeof name, r), std::strlen(c.name)) << c.name;
        EXPECT_STREQ(name, c.name);
    }
}

TEST(PollPeriod, SecondsToMillisecondsWithSoundLimits)
{
    struct Case { uint32_t seconds; uint32_t ms; } cases[] = {
        {1, 1000}, {30, 30000}, {120, 120000}, {0, 120000}, {2147483, 2147483000u},
        {2147484, LONGEST_POLL_MS}, {4294967, LONGEST_POLL_MS}, {4294968, LONGEST_POLL_MS},
        {0xFFFFFFFFu, LONGEST_POLL_MS},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PollPeriodMs(c.seconds), c.ms) << c.seconds;
}

TEST(ExchangeWait, ZeroWaitsOneSecondAndHugeValuesStayWithinASignedMillisecondCount)
{
    struct Case { uint32_t timeOut; uint32_t seconds; } cases[] = {
        {0, 1}, {1, 1}, {3, 3}, {10, 10}, {2147483, 2147483}, {2147484, 2147483}, {0xFFFFFFFFu, 2147483},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ExchangeWaitSeconds(c.timeOut), c.seconds) << c.timeOut;
        EXPECT_LE(static_cast<uint64_t>(ExchangeWaitSeconds(c.timeOut)) * 1000, 0x7FFFFFFFu) << c.timeOut;
    }
}

} // namespace
