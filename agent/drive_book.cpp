// Drive records and the reply bytes.
#include "drive_book.h"

#include <algorithm>
#include <cstring>

namespace {

const char* const KIND_TEXT[] = {"read", "asleep", "cannot be read", "read, but smartctl gave no health verdict"};

} // namespace

std::string Designation(size_t position, const std::string& device)
{
    return "Disk " + std::to_string(position) + " (" + device + ")";
}

void DriveBook::SetSources(const std::vector<DriveSource>& sources)
{
    sources_.assign(sources.begin(), sources.begin() + static_cast<long>(std::min(sources.size(), RECORD_COUNT)));
    drives_.clear();
    for (size_t i = 0; i < sources_.size(); ++i)
        drives_.push_back(NewDrive(Designation(i, sources_[i].name)));
    std::lock_guard<std::mutex> lock(mutex_);
    std::fill(reply_.begin(), reply_.end(), 0);
    for (size_t i = 0; i < drives_.size(); ++i)
        std::memcpy(&reply_[i * RECORD_SIZE], &drives_[i].record, RECORD_SIZE);
}

std::string DriveBook::Apply(size_t position, const SmartctlRun& run)
{
    DriveMemory& drive = drives_[position];
    bool known = drive.stateKnown;
    uint8_t before = drive.record.State;
    ReadingKind kind = ApplyRun(run, &drive);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        std::memcpy(&reply_[position * RECORD_SIZE], &drive.record, RECORD_SIZE);
    }
    if (!drive.stateKnown || (known && before == drive.record.State))
        return "";
    std::string line = "position " + std::to_string(position) + " " + sources_[position].name + ": State ";
    if (known)
        line += std::to_string(before) + " -> ";
    return line + std::to_string(drive.record.State) + " (" + KIND_TEXT[static_cast<int>(kind)] + ")";
}

void DriveBook::CopyReply(unsigned char* out) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    std::memcpy(out, reply_.data(), REPLY_SIZE);
}

std::vector<DriveRecord> DriveBook::Records() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<DriveRecord> records(RECORD_COUNT);
    for (size_t i = 0; i < RECORD_COUNT; ++i)
        std::memcpy(&records[i], &reply_[i * RECORD_SIZE], RECORD_SIZE);
    return records;
}
