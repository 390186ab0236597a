// Reading the scan list.
#include "device_scan.h"

#include "bounded_json.h"

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

} // namespace

bool ParseScan(const SmartctlRun& run, std::vector<DriveSource>* drives, std::string* error)
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
        ok = d.is_object() && StringOr(d, "name", &source.name) && StringOr(d, "type", &source.type) &&
             !source.name.empty();
        drives->push_back(source);
    }
    if (!ok)
        *error = "smartctl --scan-open: a device list that cannot be read";
    return ok;
}
