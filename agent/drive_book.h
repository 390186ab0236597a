// The agent's drives at their positions and the reply made from their
// records. Shared by the reading thread and the serving thread.
#pragma once
#include "smart_reading.h"
#include "smartctl_run.h"

#include <mutex>
#include <string>
#include <vector>

class DriveBook {
public:
    // At most RECORD_COUNT drives; position i is sources[i].
    explicit DriveBook(const std::vector<DriveSource>& sources);
    DriveBook(const DriveBook&) = delete;
    DriveBook& operator=(const DriveBook&) = delete;

    size_t Count() const { return sources_.size(); }
    const DriveSource& Source(size_t position) const { return sources_[position]; }

    // Applies a run of ReadCommand for the drive at position. Returns a log
    // line when the drive's State changed (or became known), else "".
    std::string Apply(size_t position, const SmartctlRun& run);

    // The 3264-byte reply, into out.
    void CopyReply(unsigned char* out) const;
    std::vector<DriveRecord> Records() const;

private:
    std::vector<DriveSource> sources_;
    std::vector<DriveMemory> drives_;
    mutable std::mutex mutex_;
    std::vector<unsigned char> reply_;
};

// "Disk 0 (/dev/sda)": the DriveNumber text of position i.
std::string Designation(size_t position, const std::string& device);
