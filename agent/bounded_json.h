// JSON from another program, parsed without trusting it: a text nested
// deeper than the limit is refused before the parser sees it, so that
// neither parsing nor the value's later use can run out of stack.
#pragma once
#include <nlohmann/json.hpp>

#include <string>

constexpr int JSON_MAX_DEPTH = 64;

// False when text is not JSON or nests deeper than JSON_MAX_DEPTH.
bool ParseBoundedJson(const std::string& text, nlohmann::json* out);
