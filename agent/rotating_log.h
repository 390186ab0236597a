// A log file that stays small: when the next line would take it past its
// limit, it becomes the previous file (replacing the one before) and a new
// file begins. Lines may come from several threads.
#pragma once
#include <cstdio>
#include <mutex>
#include <string>

class RotatingLog {
public:
    RotatingLog(const std::string& path, const std::string& previous, long limit)
        : path_(path), previous_(previous), limit_(limit) {}
    ~RotatingLog();
    RotatingLog(const RotatingLog&) = delete;
    RotatingLog& operator=(const RotatingLog&) = delete;

    // Opens the file for appending; false when it cannot be.
    bool Open();
    // One line, given with its "\n"; written with the platform's line end.
    void Write(const std::string& line);

private:
    void Rotate();

    std::string path_, previous_;
    long limit_;
    std::mutex mutex_;
    std::FILE* file_ = nullptr;
};
