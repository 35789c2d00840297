#include "shell/code_SpecialFolder.h"

#include "app/Text.h"

namespace app::code_SpecialFolder {

std::string GetStartMenuFolder(port::ISpecialFolders& folders) {
    // Without one, shortcuts go to the root: where the program always put them.
    return cutAtNul(folders.startMenu().value_or(std::string()));
}

} // namespace app::code_SpecialFolder
