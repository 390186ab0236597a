// Figure lines, medians and the clock of the benchmark.
#include "figures.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

void ReportFigure(const char* name, double value, const char* unit, const std::string& what)
{
    std::printf("FIGURE %s %.6g %s %s\n", name, value, unit, what.c_str());
    std::fflush(stdout);
}

double Median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double NowMicroseconds()
{
    // QueryPerformanceCounter under mingw-w64, CLOCK_MONOTONIC natively.
    using namespace std::chrono;
    return static_cast<double>(duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count()) / 1e3;
}
