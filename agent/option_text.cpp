// Splitting an options text into arguments.
#include "option_text.h"

bool SplitOptionText(const std::string& text, std::vector<std::string>* args, std::string* error)
{
    std::string arg;
    bool inArg = false, quoted = false;
    size_t slashes = 0;
    for (char c : text) {
        if (c == '\\') {
            ++slashes;
            inArg = true;
            continue;
        }
        if (c == '"') {
            arg.append(slashes / 2, '\\');
            if (slashes % 2)
                arg += '"';
            else
                quoted = !quoted;
            slashes = 0;
            inArg = true;
            continue;
        }
        arg.append(slashes, '\\');
        slashes = 0;
        if ((c == ' ' || c == '\t') && !quoted) {
            if (inArg)
                args->push_back(arg);
            arg.clear();
            inArg = false;
        } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            *error = "a control character in the options";
            return false;
        } else {
            arg += c;
            inArg = true;
        }
    }
    arg.append(slashes, '\\');
    if (quoted) {
        *error = "a quote left open in the options";
        return false;
    }
    if (inArg)
        args->push_back(arg);
    return true;
}
