// Finds and reads the drives with smartctl: every drive once on request,
// or on a thread of its own at once and then every interval, until told to
// stop. The drives are the given devices, else the scan's; a failed scan
// is tried again at the next read. A smartctl that cannot be collected
// after its kill keeps its drive from a second run until it has ended.
#pragma once
#include "drive_book.h"
#include "process_run.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

class DriveReader {
public:
    using Runner = std::function<SmartctlRun(const std::vector<std::string>&, const RunLimits&,
                                             const std::function<bool()>&, std::unique_ptr<Straggler>*)>;

    DriveReader(DriveBook& book, const std::string& smartctl, const std::vector<std::string>& devices,
                const RunLimits& limits = RunLimits(), Runner runner = RunProgram);
    ~DriveReader() { Stop(); }
    DriveReader(const DriveReader&) = delete;
    DriveReader& operator=(const DriveReader&) = delete;

    // One read of every drive, in position order, after the scan if none
    // succeeded yet; stops early when the agent is asked to end. False
    // when the scan failed.
    bool ReadAll();
    // Reads every drive at once on the thread, then every interval.
    void Start(int intervalSeconds);
    // Has the thread read every drive now.
    void ReadNow();
    // The thread's completed reads of every drive.
    unsigned Passes() const { return passes_; }
    // Ends the thread within a fraction of a second: a running smartctl is
    // killed.
    void Stop();

private:
    bool Cancelled() const;
    bool Scan(std::vector<DriveSource>* drives);
    bool FindDrives();
    void ReadDrive(size_t position);
    void Log(size_t position, const std::string& text) const;

    DriveBook& book_;
    std::string smartctl_;
    std::vector<std::string> devices_;
    RunLimits limits_;
    Runner runner_;
    bool found_ = false;
    std::unique_ptr<Straggler> scanStuck_;
    std::vector<std::unique_ptr<Straggler>> stuck_;   // per position
    std::atomic<bool> stop_{false};
    std::atomic<unsigned> passes_{0};
    std::mutex mutex_;
    std::condition_variable wake_;
    bool readNow_ = false;   // guarded by mutex_
    std::thread thread_;
};
