// UTF-8 to code page 932 through UTF-16, refusing any substitution.
#include "serverkit/sjis_encoder.h"

#include <windows.h>
#include <vector>

bool Utf8ToSjis(const std::string& utf8, std::string* sjis)
{
    sjis->clear();
    if (utf8.empty())
        return true;
    int wide = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()),
                                   nullptr, 0);
    if (wide <= 0)
        return false;
    std::vector<wchar_t> w(static_cast<size_t>(wide));
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()), w.data(), wide);
    BOOL usedDefault = FALSE;
    int n = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, w.data(), wide, nullptr, 0, nullptr, &usedDefault);
    if (n <= 0 || usedDefault)
        return false;
    sjis->resize(static_cast<size_t>(n));
    WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, w.data(), wide, &(*sjis)[0], n, nullptr, &usedDefault);
    return !usedDefault;
}
