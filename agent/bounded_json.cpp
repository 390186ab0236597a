// Depth check, then nlohmann's parser without exceptions.
#include "bounded_json.h"

namespace {

// Counts brackets outside strings; escapes inside strings are skipped.
bool WithinDepth(const std::string& text)
{
    int depth = 0;
    bool inString = false;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (inString) {
            if (c == '\\')
                ++i;
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > JSON_MAX_DEPTH)
                return false;
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return true;
}

} // namespace

bool ParseBoundedJson(const std::string& text, nlohmann::json* out)
{
    if (!WithinDepth(text))
        return false;
    *out = nlohmann::json::parse(text, nullptr, false);
    return !out->is_discarded();
}
