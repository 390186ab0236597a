// Drive records: state texts and decoding from the reply buffer.
#include "wire/drive_record.h"

#include <cstring>

const char* DriveStateText(uint8_t state)
{
    // Shift-JIS bytes, so this platform-free file needs no code-page flag.
    static const char* const texts[] = {
        "\x90\xB3\x8F\xED",   // 正常
        "\x92\x8D\x88\xD3",   // 注意
        "\x8A\xEB\x8C\xAF",   // 危険
        "\x88\xD9\x8F\xED",   // 異常
    };
    return state < 4 ? texts[state] : "\x96\xB3\x8C\xF8";   // 無効
}

DriveRecord RecordAt(const unsigned char* reply, size_t index)
{
    DriveRecord record;
    // The wire is little-endian, as is every target of this program.
    std::memcpy(&record, reply + index * RECORD_SIZE, RECORD_SIZE);
    return record;
}
