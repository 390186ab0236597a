// Options given as one text (the Windows service's Options value), split
// into arguments as the C runtime splits a command line.
#pragma once
#include <string>
#include <vector>

// Blanks separate arguments; double quotes group them; backslashes are
// literal except before a quote (2n of them and a quote: n and the quote
// groups; 2n + 1: n and a literal quote). False with *error for a quote
// left open or a control character.
bool SplitOptionText(const std::string& text, std::vector<std::string>* args, std::string* error);
