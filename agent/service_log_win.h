// Where the Windows service's log goes: every agent log line also into
// %ProgramData%\KELPRA\kelpra-agent.log (kept under 1 MiB, the one before
// kept as kelpra-agent.old.log), in a folder only administrators and SYSTEM
// may use; start-up failures into the Application event log.
#pragma once
#include "rotating_log.h"

#include <memory>
#include <mutex>
#include <string>

class ServiceLog {
public:
    // Opens the file (logging why not, when it cannot) and copies the
    // agent's log lines into it until destroyed.
    ServiceLog();
    ~ServiceLog();
    ServiceLog(const ServiceLog&) = delete;
    ServiceLog& operator=(const ServiceLog&) = delete;

    // The text of the last line logged, without its time stamp.
    std::string LastText() const;

private:
    void Copy(const std::string& line);

    std::unique_ptr<RotatingLog> file_;
    mutable std::mutex mutex_;
    std::string last_;
};

// An error event of source KelpraAgent in the Application log.
void ReportToEventLog(const std::string& text);
