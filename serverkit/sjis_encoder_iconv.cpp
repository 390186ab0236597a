// UTF-8 to code page 932 through iconv (glibc knows it as "CP932").
#include "serverkit/sjis_encoder.h"

#include <cerrno>
#include <iconv.h>
#include <vector>

bool Utf8ToSjis(const std::string& utf8, std::string* sjis)
{
    iconv_t cd = iconv_open("CP932", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    // Shift-JIS never needs more bytes than UTF-8 for the same text.
    std::vector<char> out(utf8.size() + 1);
    std::string in = utf8;
    char* inPtr = &in[0];
    size_t inLeft = in.size();
    char* outPtr = out.data();
    size_t outLeft = out.size();
    size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (rc == static_cast<size_t>(-1) || inLeft != 0)
        return false;
    sjis->assign(out.data(), static_cast<size_t>(outPtr - out.data()));
    return true;
}
