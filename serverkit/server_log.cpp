// Log lines with UTC time stamps.
#include "serverkit/server_log.h"

#include <chrono>
#include <ctime>

ServerLog::~ServerLog()
{
    if (owned_)
        std::fclose(file_);
}

bool ServerLog::Open(const std::string& path)
{
    if (path.empty()) {
        file_ = stdout;
        return true;
    }
    file_ = std::fopen(path.c_str(), "w");
    owned_ = file_ != nullptr;
    return owned_;
}

void ServerLog::Line(const std::string& text)
{
    std::fprintf(file_, "%s %s\n", LogTimestamp().c_str(), text.c_str());
    std::fflush(file_);
}

std::string LogTimestamp()
{
    using namespace std::chrono;
    auto now = system_clock::now();
    std::time_t seconds = system_clock::to_time_t(now);
    long ms = static_cast<long>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
    std::tm utc = *std::gmtime(&seconds);
    char text[96];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03ldZ", utc.tm_year + 1900, utc.tm_mon + 1,
                  utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec, ms);
    return text;
}
