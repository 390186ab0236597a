// The reading loop.
#include "drive_reader.h"

#include "agent_log.h"
#include "serverkit/stop_signal.h"

#include <chrono>

bool DriveReader::Cancelled() const
{
    return stop_ || StopRequested();
}

void DriveReader::ReadAll()
{
    for (size_t i = 0; i < book_.Count() && !Cancelled(); ++i) {
        SmartctlRun run = RunProgram(ReadCommand(smartctl_, book_.Source(i)), limits_, [this] { return Cancelled(); });
        if (run.end == RunEnd::CANCELLED)
            return;
        std::string change = book_.Apply(i, run);
        if (!change.empty())
            AgentLog(change);
    }
}

void DriveReader::Start(int intervalSeconds)
{
    thread_ = std::thread([this, intervalSeconds] {
        while (!Cancelled()) {
            std::unique_lock<std::mutex> lock(mutex_);
            if (wake_.wait_for(lock, std::chrono::seconds(intervalSeconds), [this] { return Cancelled(); }))
                return;
            lock.unlock();
            ReadAll();
        }
    });
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
