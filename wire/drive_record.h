// DriveRecord: the 204-byte per-drive record of the server's reply and of
// the slots; DriveState and its texts; the image index layout. Platform-free.
#pragma once
#include "wire/sjis_text.h"

#include <cstddef>
#include <cstdint>

#pragma pack(push, 1)
struct DriveRecord {
    uint8_t InUse;          // 0: no drive at this position
    int8_t Temperature;     // degrees Celsius
    int8_t MaxTemperature;
    uint8_t State;          // a DriveState; 4 to 255 are invalid
    int8_t UsageRate;       // percent
    uint8_t Reserved[3];
    int32_t A05;            // raw S.M.A.R.T. values, little-endian
    int32_t A09;            // power-on hours
    int32_t AC4;
    int32_t AC5;
    int32_t AC6;
    char Model[64];         // Shift-JIS texts; a faulty server may leave
    char Firmware[16];      // them without a terminating 0, so every use
    char Serial[32];        // is bounded by the field's width
    char DriveNumber[64];
};
#pragma pack(pop)

static_assert(sizeof(DriveRecord) == 204, "DriveRecord is 204 bytes on the wire");
static_assert(offsetof(DriveRecord, InUse) == 0, "wire layout");
static_assert(offsetof(DriveRecord, Temperature) == 1, "wire layout");
static_assert(offsetof(DriveRecord, MaxTemperature) == 2, "wire layout");
static_assert(offsetof(DriveRecord, State) == 3, "wire layout");
static_assert(offsetof(DriveRecord, UsageRate) == 4, "wire layout");
static_assert(offsetof(DriveRecord, A05) == 8, "wire layout");
static_assert(offsetof(DriveRecord, A09) == 12, "wire layout");
static_assert(offsetof(DriveRecord, AC4) == 16, "wire layout");
static_assert(offsetof(DriveRecord, AC5) == 20, "wire layout");
static_assert(offsetof(DriveRecord, AC6) == 24, "wire layout");
static_assert(offsetof(DriveRecord, Model) == 28, "wire layout");
static_assert(offsetof(DriveRecord, Firmware) == 92, "wire layout");
static_assert(offsetof(DriveRecord, Serial) == 108, "wire layout");
static_assert(offsetof(DriveRecord, DriveNumber) == 140, "wire layout");

enum DriveState : uint8_t { DS_GOOD = 0, DS_WARN = 1, DS_DNGR = 2, DS_ERR = 3 };

constexpr size_t RECORD_SIZE = 204;
constexpr size_t RECORD_COUNT = 16;
constexpr size_t REPLY_SIZE = RECORD_SIZE * RECORD_COUNT;   // 3264

// Image indices: 0-599 temperatures, 600 + slot host numbers, 616 error.
constexpr uint32_t ICON_HOST_BASE = 600;
constexpr uint32_t ICON_ERROR = 616;
constexpr uint32_t ICON_COUNT = 617;
constexpr uint32_t NUMERIC_ICON_COUNT = 616;

// "正常", "注意", "危険", "異常", or "無効" for any other value (Shift-JIS).
const char* DriveStateText(uint8_t state);

// Record i of a reply buffer of REPLY_SIZE bytes.
DriveRecord RecordAt(const unsigned char* reply, size_t index);

// A record text field (Model, Firmware, Serial, DriveNumber) as a
// zero-terminated text. A server may fill a field without a 0 byte: the
// text then ends at the field's last byte, never beyond it.
template <size_t N>
size_t FieldLength(const char (&field)[N])
{
    return BoundedLength(field, N);
}

// Copies a text field into dest (destSize bytes, zero-terminated), reading
// no further than the field and cutting on a character boundary.
template <size_t N>
size_t CopyField(char* dest, size_t destSize, const char (&field)[N])
{
    return SjisCopy(dest, destSize, field, N);
}

// The whole text of a field with room for its terminating 0:
// FieldText(record.Model).c_str() is always safe to pass on.
template <size_t N>
class FIELDTEXT {
public:
    explicit FIELDTEXT(const char (&field)[N]) { CopyField(m_szText, sizeof m_szText, field); }
    const char* c_str() const { return m_szText; }
    size_t size() const { return FieldLength(m_szText); }

private:
    char m_szText[N + 1];
};

template <size_t N>
FIELDTEXT<N> FieldText(const char (&field)[N])
{
    return FIELDTEXT<N>(field);
}
