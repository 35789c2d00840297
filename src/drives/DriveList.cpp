#include "drives/DriveList.h"

namespace drives {

DriveRecord* DriveList::find(char letter) {
    for (auto& record : m_records)
        if (record->letter() == letter)
            return record.get();
    return nullptr;
}

DriveList::PollResult DriveList::poll(port::IDrives& drives) {
    PollResult result;
    PollScope poll(drives);
    for (auto& record : m_records) {
        if (const auto autorun = record->check()) {
            result.changed.push_back(record.get());
            result.newAutorunDisc = *autorun;
        }
    }
    return result;
}

} // namespace drives
