#pragma once
// Everything the portable code asks of a platform, handed around as one bundle.
#include "port/FileSystem.h"
#include "port/MessageBox.h"
#include "port/Process.h"
#include "port/ScriptHost.h"
#include "port/SpecialFolders.h"
#include "port/TextCodec.h"
#include "port/Volumes.h"

namespace port {

struct Services {
    IProcess& process;
    IFileSystem& files;
    ITextCodec& codec;
    IScriptHost& scriptHost;
    IVolumes& volumes;
    ISpecialFolders& folders;
    IMessageBox& messages;
};

} // namespace port
