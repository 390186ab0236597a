// Drive records: decoding from a reply, state texts, and the field-bounded
// reading of the record's texts.
#include "link/drive_record.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

TEST(DriveRecord, DecodesRecordIOfAReplyAtItsOffset)
{
    std::vector<unsigned char> reply(REPLY_SIZE, 0);
    unsigned char* r = reply.data() + 5 * RECORD_SIZE;
    r[0] = 1;
    r[1] = static_cast<unsigned char>(-5);
    r[2] = 61;
    r[3] = 2;
    r[4] = 77;
    const unsigned char a09[4] = {0x78, 0x56, 0x34, 0x12};
    std::memcpy(r + 12, a09, 4);
    std::memcpy(r + 28, "MODEL-X", 8);
    std::memcpy(r + 140, "Disk 5", 7);
    DriveRecord rec = RecordAt(reply.data(), 5);
    EXPECT_EQ(rec.InUse, 1);
    EXPECT_EQ(rec.Temperature, -5);
    EXPECT_EQ(rec.MaxTemperature, 61);
    EXPECT_EQ(rec.State, DS_DNGR);
    EXPECT_EQ(rec.UsageRate, 77);
    EXPECT_EQ(rec.A09, 0x12345678);
    EXPECT_STREQ(FieldText(rec.Model).c_str(), "MODEL-X");
    EXPECT_STREQ(FieldText(rec.DriveNumber).c_str(), "Disk 5");
    EXPECT_EQ(RecordAt(reply.data(), 4).InUse, 0);
}

struct StateCase {
    uint8_t state;
    const char* text;
};

TEST(DriveRecord, StateTextsFollowTheStateTable)
{
    const StateCase cases[] = {
        {0, "正常"}, {1, "注意"}, {2, "危険"}, {3, "異常"}, {4, "無効"}, {7, "無効"}, {255, "無効"},
    };
    for (const StateCase& c : cases)
        EXPECT_STREQ(DriveStateText(c.state), c.text) << int(c.state);
}

TEST(RecordText, ATerminatedFieldReadsUpToItsZero)
{
    DriveRecord rec = {};
    std::memcpy(rec.Serial, "S123", 5);
    EXPECT_EQ(FieldLength(rec.Serial), 4u);
    EXPECT_EQ(FieldText(rec.Serial).size(), 4u);
}

TEST(RecordText, AFieldWithoutZeroEndsAtItsLastByte)
{
    // Firmware filled to its width and followed by Serial's bytes: the
    // text must stop at the field's end, not run on into Serial.
    DriveRecord rec = {};
    std::memset(rec.Firmware, 'F', sizeof rec.Firmware);
    std::memcpy(rec.Serial, "NEXTFIELD", 10);
    EXPECT_EQ(FieldLength(rec.Firmware), 16u);
    EXPECT_EQ(FieldText(rec.Firmware).c_str(), std::string(16, 'F'));
}

TEST(RecordText, EveryTextFieldIsBoundedByItsWidth)
{
    DriveRecord rec;
    std::memset(&rec, 'x', sizeof rec);
    EXPECT_EQ(FieldText(rec.Model).size(), 64u);
    EXPECT_EQ(FieldText(rec.Firmware).size(), 16u);
    EXPECT_EQ(FieldText(rec.Serial).size(), 32u);
    EXPECT_EQ(FieldText(rec.DriveNumber).size(), 64u);
}

TEST(RecordText, ACopyIntoASmallerBufferCutsOnACharacterBoundary)
{
    DriveRecord rec = {};
    std::strcpy(rec.DriveNumber, "ドライブ");   // 8 bytes in Shift-JIS
    char small[6];
    EXPECT_EQ(CopyField(small, sizeof small, rec.DriveNumber), 4u);
    EXPECT_STREQ(small, "ドラ");
}

TEST(RecordText, ACopyOfAnUnterminatedFieldNeverReadsPastIt)
{
    DriveRecord rec = {};
    std::memset(rec.Model, 'M', sizeof rec.Model);
    std::memcpy(rec.Firmware, "FW", 3);
    char big[200];
    EXPECT_EQ(CopyField(big, sizeof big, rec.Model), 64u);
    EXPECT_EQ(std::string(big), std::string(64, 'M'));
}

} // namespace
