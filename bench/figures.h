// The benchmark's output: one line per figure, which script/bench turns
// into its table and its closing "name: value" lines, and the median that
// every timed figure is taken as.
#pragma once
#include <string>
#include <vector>

// FIGURE <name> <value> <unit> <what was measured>
void ReportFigure(const char* name, double value, const char* unit, const std::string& what);
double Median(std::vector<double> values);

// Microseconds since an arbitrary start, from a steady clock.
double NowMicroseconds();
