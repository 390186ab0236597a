// Reading the scan list.
#include "device_scan.h"

#include "bounded_json.h"

#include <cstdio>

using nlohmann::json;

namespace {

bool StringOr(const json& object, const char* key, std::string* out)
{
    auto it = object.find(key);
    if (it == object.end())
        return true;
    if (!it->is_string())
        return false;
    *out = it->get<std::string>();
    return true;
}

bool HasControl(const std::string& text)
{
    for (unsigned char c : text)
        if (c < 0x20 || c == 0x7F)
            return true;
    return false;
}

} // namespace

std::string DeviceNameFault(const std::string& name)
{
    if (name.rfind("/dev/", 0) != 0 || name.size() == 5)
        return "not a path under /dev/";
    if (HasControl(name))
        return "a control character in the name";
    if (name.find("/..") != std::string::npos)
        return "\"..\" in the path";
    return "";
}

std::string Printable(const std::string& text)
{
    std::string out;
    for (unsigned char c : text) {
        char hex[5];
        std::snprintf(hex, sizeof hex, "\\x%02X", c);
        out += c < 0x20 || c > 0x7E ? std::string(hex) : std::string(1, static_cast<char>(c));
    }
    return out;
}

bool ParseScan(const SmartctlRun& run, std::vector<DriveSource>* drives, std::vector<std::string>* skipped,
               std::string* error)
{
    json root;
    if (run.end != RunEnd::EXITED || !ParseBoundedJson(run.output, &root) || !root.is_object()) {
        *error = "smartctl --scan-open gave no JSON (exit status " + std::to_string(run.exitStatus) + ")";
        return false;
    }
    drives->clear();
    auto list = root.find("devices");
    if (list == root.end())
        return true;
    bool ok = list->is_array();
    for (size_t i = 0; ok && i < list->size(); ++i) {
        const json& d = (*list)[i];
        DriveSource source;
        ok = d.is_object() && StringOr(d, "name", &source.name) && StringOr(d, "type", &source.type);
        std::string fault = DeviceNameFault(source.name);
        if (fault.empty() && HasControl(source.type))
            fault = "a control character in its type";
        if (ok && fault.empty())
            drives->push_back(source);
        else if (ok)
            skipped->push_back("scan: skipped device \"" + Printable(source.name) + "\": " + fault);
    }
    if (!ok)
        *error = "smartctl --scan-open: a device list that cannot be read";
    return ok;
}
