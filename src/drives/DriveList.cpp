#include "drives/DriveList.h"

namespace drives {

DriveRecord* DriveList::recordOfRow(int row) {
    for (auto& record : m_records)
        if (record->row() == row)
            return record.get();
    return nullptr;
}

DriveList::PollResult DriveList::poll(port::IDrives& drives) {
    PollResult result;
    PollScope poll(drives);
    for (auto& record : m_records) {
        if (const auto autorun = record->check()) {
            result.changed = true;
            result.newAutorunDisc = *autorun;
        }
    }
    return result;
}

} // namespace drives
