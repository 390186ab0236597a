// The agent's drives at their positions and the reply made from their
// records. One thread reads the drives (SetSources, Apply); any thread
// copies the reply. The lock covers only the copies of finished records,
// so a reply never waits for a parse.
#pragma once
#include "smart_reading.h"
#include "smartctl_run.h"

#include <mutex>
#include <string>
#include <vector>

class DriveBook {
public:
    // No drives yet: every position empty.
    DriveBook() : reply_(REPLY_SIZE, 0) {}
    DriveBook(const DriveBook&) = delete;
    DriveBook& operator=(const DriveBook&) = delete;

    // At most RECORD_COUNT drives; position i is sources[i], not read yet.
    void SetSources(const std::vector<DriveSource>& sources);

    size_t Count() const { return sources_.size(); }
    const DriveSource& Source(size_t position) const { return sources_[position]; }

    // Applies a run of ReadCommand for the drive at position. Returns a log
    // line when the drive's State changed (or became known), else "".
    // Called by one thread only.
    std::string Apply(size_t position, const SmartctlRun& run);

    // The 3264-byte reply, into out.
    void CopyReply(unsigned char* out) const;
    std::vector<DriveRecord> Records() const;

private:
    std::vector<DriveSource> sources_;
    std::vector<DriveMemory> drives_;   // the reading thread's own
    mutable std::mutex mutex_;          // guards reply_
    std::vector<unsigned char> reply_;
};

// "Disk 0 (/dev/sda)": the DriveNumber text of position i.
std::string Designation(size_t position, const std::string& device);
