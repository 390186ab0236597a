// Reads the drives with smartctl: every drive once on request, and then on
// a thread of its own every interval, until told to stop.
#pragma once
#include "drive_book.h"
#include "process_run.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

class DriveReader {
public:
    DriveReader(DriveBook& book, const std::string& smartctl, const RunLimits& limits = RunLimits())
        : book_(book), smartctl_(smartctl), limits_(limits) {}
    ~DriveReader() { Stop(); }
    DriveReader(const DriveReader&) = delete;
    DriveReader& operator=(const DriveReader&) = delete;

    // One read of every drive, in position order; stops early when the
    // agent is asked to end.
    void ReadAll();
    void Start(int intervalSeconds);
    // Ends the thread within a fraction of a second: a running smartctl is
    // killed.
    void Stop();

private:
    bool Cancelled() const;

    DriveBook& book_;
    std::string smartctl_;
    RunLimits limits_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::condition_variable wake_;
    std::thread thread_;
};
