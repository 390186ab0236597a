// A counting SAX pass, then nlohmann's parser, both without exceptions.
#include "bounded_json.h"

namespace {

using nlohmann::json;

// Stops the pass (returns false) as soon as a limit is passed.
class LimitPass : public nlohmann::json_sax<json> {
public:
    bool null() override { return Value(); }
    bool boolean(bool) override { return Value(); }
    bool number_integer(number_integer_t) override { return Value(); }
    bool number_unsigned(number_unsigned_t) override { return Value(); }
    bool number_float(number_float_t, const string_t&) override { return Value(); }
    bool string(string_t&) override { return Value(); }
    bool binary(binary_t&) override { return Value(); }
    bool start_object(std::size_t) override { return Open(); }
    bool key(string_t&) override { return true; }
    bool end_object() override { return Close(); }
    bool start_array(std::size_t) override { return Open(); }
    bool end_array() override { return Close(); }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override { return false; }

private:
    bool Value() { return ++values_ <= JSON_MAX_VALUES; }
    bool Open() { return ++depth_ <= JSON_MAX_DEPTH && Value(); }
    bool Close()
    {
        --depth_;
        return true;
    }

    size_t values_ = 0;
    int depth_ = 0;
};

} // namespace

bool ParseBoundedJson(const std::string& text, nlohmann::json* out)
{
    LimitPass limits;
    if (!json::sax_parse(text, &limits))
        return false;
    *out = json::parse(text, nullptr, false);
    return !out->is_discarded();
}
