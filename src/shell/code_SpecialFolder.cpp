#include "shell/code_SpecialFolder.h"

#include "app/Text.h"

namespace app::code_SpecialFolder {

std::string GetStartMenuFolder(port::ISpecialFolders& folders) {
    return cutAtNul(folders.startMenu());
}

} // namespace app::code_SpecialFolder
