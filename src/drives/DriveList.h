#pragma once
// The registered drives' records, in letter order, and the poll that checks them all.
#include "drives/DriveRecord.h"

#include <memory>
#include <vector>

namespace drives {

// One poll of the drives, from construction to destruction (see IDrives::beginPoll).
class PollScope {
  public:
    explicit PollScope(port::IDrives& drives) : m_drives(drives) { m_drives.beginPoll(); }
    ~PollScope() { m_drives.endPoll(); }
    PollScope(const PollScope&) = delete;
    PollScope& operator=(const PollScope&) = delete;

  private:
    port::IDrives& m_drives;
};

class DriveList {
  public:
    using Records = std::vector<std::unique_ptr<DriveRecord>>;

    struct PollResult {
        // The records whose disc changed, in letter order.
        std::vector<const DriveRecord*> changed;
        // Whether the last record that changed now holds autorun data.
        bool newAutorunDisc = false;
    };

    const Records& records() const { return m_records; }
    bool empty() const { return m_records.empty(); }
    void add(std::unique_ptr<DriveRecord> record) { m_records.push_back(std::move(record)); }
    // The records go, and with them their Start-menu entries.
    void clear() { m_records.clear(); }
    // The record of drive `letter`; null for none.
    DriveRecord* find(char letter);
    // Checks every record in letter order, the drives read once for all.
    PollResult poll(port::IDrives& drives);

  private:
    Records m_records;
};

} // namespace drives
