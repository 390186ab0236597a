// The rotating log file. Binary mode, so the size is counted exactly.
#include "rotating_log.h"

namespace {
#ifdef _WIN32
const char LINE_END[] = "\r\n";
const char APPEND[] = "ab";
#else
const char LINE_END[] = "\n";
const char APPEND[] = "abe";   // close-on-exec: smartctl gets no copy
#endif
} // namespace

RotatingLog::~RotatingLog()
{
    if (file_)
        std::fclose(file_);
}

bool RotatingLog::Open()
{
    std::lock_guard<std::mutex> lock(mutex_);
    file_ = std::fopen(path_.c_str(), APPEND);
    if (file_)
        std::fseek(file_, 0, SEEK_END);   // ftell then tells the size (msvcrt says 0 before a write)
    return file_ != nullptr;
}

void RotatingLog::Write(const std::string& line)
{
    std::string text = line.substr(0, line.find_last_not_of('\n') + 1) + LINE_END;
    std::lock_guard<std::mutex> lock(mutex_);
    if (!file_)
        return;
    long size = std::ftell(file_);
    if (size > 0 && size + static_cast<long>(text.size()) > limit_)
        Rotate();
    if (file_) {
        std::fputs(text.c_str(), file_);
        std::fflush(file_);
    }
}

void RotatingLog::Rotate()
{
    std::fclose(file_);
    std::remove(previous_.c_str());
    std::rename(path_.c_str(), previous_.c_str());
    file_ = std::fopen(path_.c_str(), APPEND);
    if (file_)
        std::fseek(file_, 0, SEEK_END);   // the rename failed: the old file goes on
}
