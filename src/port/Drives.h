#pragma once
// The machine's CD-ROM drives and the discs in them, as the drive records need them at each poll.
#include "port/Result.h"

#include <string>
#include <vector>

namespace port {

// The disc in a drive as one poll sees it.
struct Disc {
    std::string label; // UTF-8; empty for an empty drive, or one that is not ready or cannot be read
    std::string root;  // the folder that holds the disc's files; empty when there is none
    // A disc whose files the system could show but does not yet (Linux: a file system not mounted):
    // mount() makes its root.
    bool mountable = false;
};

// Why a file given as a disc image was not opened.
struct ImageRefusal {
    bool notAnImage = false; // the file holds no disc's file system: it is something else
    std::string text;        // otherwise the reason, for the user
};

class IDrives {
  public:
    virtual ~IDrives() = default;
    // The letters of the machine's CD-ROM drives ('D', 'E', ...) in their order; a failure when they
    // cannot be listed.
    virtual Result<std::vector<char>> cdromLetters() = 0;
    // The disc in drive `letter` (an upper-case letter). Asks the drive anew on every call outside a
    // poll.
    virtual Disc disc(char letter) = 0;
    // Makes the files of a mountable disc reachable; the failure's text is for the user.
    virtual Result<void> mount(char letter) = 0;
    // Takes the disc out of drive `letter`: its files let go of, then the drive opened, or a disc
    // image detached. A refusal (a file open on the disc, no right to) changes nothing; its text is for
    // the user.
    virtual Result<void> eject(char letter) = 0;
    // Opens the disc image in file `path` (an absolute path) as a disc: attached read-only and mounted,
    // or found attached already and mounted if need be. The folder of the disc's files.
    virtual Result<std::string, ImageRefusal> openImage(const std::string& path) = 0;

    // One poll of several drives runs between beginPoll and endPoll. In between, the platform may read
    // what describes its drives (the drive list, the mount table) once, at beginPoll, and answer every
    // question about drives and the paths on their discs from it; a change made meanwhile shows at the
    // next poll. Polls may nest: only the outermost pair counts.
    virtual void beginPoll() = 0;
    virtual void endPoll() = 0;
};

} // namespace port
