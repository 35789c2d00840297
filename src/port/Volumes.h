#pragma once
#include <string>

namespace port {

class IVolumes {
  public:
    virtual ~IVolumes() = default;
    // The volume label of the medium in a drive ("E:"), UTF-8; empty when the drive is empty, not
    // ready or unreadable. Asks the drive anew on every call.
    virtual std::string volumeLabel(const std::string& drivePath) = 0;

    // One poll of several drives runs between beginPoll and endPoll. In between, the platform may
    // read what describes its drives (the drive list, the mount table) once, at beginPoll, and answer
    // every question about drives and the paths on their discs from it; a change made meanwhile shows
    // at the next poll. Polls may nest: only the outermost pair counts. Outside a poll every call asks
    // anew.
    virtual void beginPoll() = 0;
    virtual void endPoll() = 0;
};

} // namespace port
