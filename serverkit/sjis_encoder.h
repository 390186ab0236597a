// UTF-8 to Shift-JIS (code page 932), the code page of the client's texts.
// One implementation per platform: iconv natively, the Win32 code-page
// functions in the Windows build.
#pragma once
#include <string>

// False when utf8 is not valid UTF-8 or holds a character that code page
// 932 cannot represent.
bool Utf8ToSjis(const std::string& utf8, std::string* sjis);
