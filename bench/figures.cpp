// Figure lines, medians and the clock of the benchmark.
#include "figures.h"

#include <windows.h>

#include <algorithm>
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
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1e6 / static_cast<double>(frequency.QuadPart);
}
