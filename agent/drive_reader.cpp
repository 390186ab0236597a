// The reading loop.
#include "drive_reader.h"

#include "agent_log.h"
#include "device_scan.h"
#include "serverkit/stop_signal.h"

#include <chrono>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

// A parse frees what it took, but glibc keeps freed memory in the thread's
// arena; give it back, so the agent stays small between reads.
void ReturnFreedMemory()
{
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

} // namespace

DriveReader::DriveReader(DriveBook& book, const std::string& smartctl, const std::vector<std::string>& devices,
                         const RunLimits& limits, Runner runner)
    : book_(book), smartctl_(smartctl), devices_(devices), limits_(limits), runner_(std::move(runner))
{
}

bool DriveReader::Cancelled() const
{
    return stop_ || StopRequested();
}

void DriveReader::Log(size_t position, const std::string& text) const
{
    AgentLog("position " + std::to_string(position) + " " + book_.Source(position).name + ": " + text);
}

bool DriveReader::Scan(std::vector<DriveSource>* drives)
{
    if (scanStuck_ && !scanStuck_->Ended())
        return false;
    SmartctlRun run = runner_(ScanCommand(smartctl_), limits_, [this] { return Cancelled(); }, &scanStuck_);
    if (scanStuck_)
        AgentLog("smartctl --scan-open did not end when killed; no scan until it does");
    std::vector<std::string> skipped;
    std::string error;
    bool ok = ParseScan(run, drives, &skipped, &error);
    for (const std::string& line : skipped)
        AgentLog(line);
    if (!ok && !Cancelled())
        AgentLog(error);
    return ok;
}

bool DriveReader::FindDrives()
{
    std::vector<DriveSource> drives;
    for (const std::string& d : devices_)
        drives.push_back({d, ""});
    if (devices_.empty() && !Scan(&drives))
        return false;
    if (drives.size() > RECORD_COUNT)
        AgentLog("warning: " + std::to_string(drives.size()) + " drives found, only the first " +
                 std::to_string(RECORD_COUNT) + " are served");
    book_.SetSources(drives);
    stuck_.resize(book_.Count());
    found_ = true;
    std::string list;
    for (size_t i = 0; i < book_.Count(); ++i)
        list += " " + book_.Source(i).name;
    AgentLog(std::to_string(book_.Count()) + " drive" + (book_.Count() == 1 ? "" : "s") + (list.empty() ? "" : ":") +
             list);
    return true;
}

void DriveReader::ReadDrive(size_t position)
{
    std::unique_ptr<Straggler>& stuck = stuck_[position];
    if (stuck) {
        if (!stuck->Ended())
            return;
        stuck.reset();
        Log(position, "the smartctl left behind has ended; the drive is read again");
    }
    SmartctlRun run = runner_(ReadCommand(smartctl_, book_.Source(position)), limits_, [this] { return Cancelled(); },
                              &stuck);
    if (stuck)
        Log(position, "smartctl did not end when killed; the drive is not read again until it does");
    if (run.end == RunEnd::CANCELLED)
        return;
    std::string change = book_.Apply(position, run);
    if (!change.empty())
        AgentLog(change);
}

bool DriveReader::ReadAll()
{
    if (!found_ && !FindDrives())
        return false;
    for (size_t i = 0; i < book_.Count() && !Cancelled(); ++i)
        ReadDrive(i);
    ReturnFreedMemory();
    return true;
}

void DriveReader::Start(int intervalSeconds)
{
    thread_ = std::thread([this, intervalSeconds] {
        while (!Cancelled()) {
            ReadAll();
            ++passes_;
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait_for(lock, std::chrono::seconds(intervalSeconds), [this] { return readNow_ || Cancelled(); });
            readNow_ = false;
        }
    });
}

void DriveReader::ReadNow()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        readNow_ = true;
    }
    wake_.notify_all();
}

void DriveReader::Stop()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable())
        thread_.join();
}
