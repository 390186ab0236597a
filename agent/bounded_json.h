// JSON from another program, parsed without trusting it: a first pass
// that builds nothing counts the values and the nesting, and a text over
// either limit is refused before the tree is built. So neither parsing nor
// the value's later use can run out of stack, and the tree of any text
// stays small (the text itself is capped by the caller).
#pragma once
#include <nlohmann/json.hpp>

#include <string>

constexpr int JSON_MAX_DEPTH = 64;
// A drive's output holds about a thousand values.
constexpr size_t JSON_MAX_VALUES = 10000;

// False when text is not JSON, nests deeper than JSON_MAX_DEPTH or holds
// more than JSON_MAX_VALUES values (keys not counted).
bool ParseBoundedJson(const std::string& text, nlohmann::json* out);
