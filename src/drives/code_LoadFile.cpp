#include "drives/code_LoadFile.h"

#include "app/Text.h"

namespace app::code_LoadFile {

const char* const kScriptHostMessage = "この環境でプログラムを実行するには\r\n"
                                       "Windows Script Host 5.1 以降又は\r\n"
                                       "Intenet Explorer 5.0以降を\r\n"
                                       "インストールする必要があります。";

std::string launchFileName(Program& program) {
    return "autorun" + program.services.process.shortcutExtension();
}

std::unique_ptr<port::IScriptShell> WriteShortcut(Program& program, const std::string& programLine,
                                                  const std::string& workingFolder,
                                                  const std::string& targetFolder,
                                                  const std::string& fileName, const std::string& icon) {
    port::Services& services = program.services;
    auto created = services.scriptHost.createShell();
    if (!created) {
        services.messages.show(kScriptHostMessage, services.process.exeName(), port::MessageIcon::None);
        return nullptr;
    }
    std::unique_ptr<port::IScriptShell> shell = std::move(created).value();
    const std::string path = withSeparator(targetFolder) + fileName;
    auto made = shell->CreateShortcut(path);
    if (!made) {
        services.messages.show("ショートカットを作成できません。\r\n" + path, services.process.title(),
                               port::MessageIcon::Exclamation);
        return nullptr;
    }
    std::unique_ptr<port::IShortcut> shortcut = std::move(made).value();
    shortcut->setWorkingDirectory(workingFolder);

    // Only the first space splits. A program part without a full stop is taken as a command of the
    // system (explorer), not as a file on the disc, so it gets no folder prefix.
    const auto space = programLine.find(' ');
    if (space != std::string::npos) {
        const std::string programPart = programLine.substr(0, space);
        shortcut->setTargetPath(programPart.find('.') != std::string::npos ? workingFolder + programPart
                                                                           : programPart);
        shortcut->setArguments(programLine.substr(space + 1));
    } else {
        shortcut->setTargetPath(workingFolder + programLine);
        shortcut->setArguments("");
    }
    shortcut->setIconLocation(icon);

    if (readBoolean(program.accessor.T_GetSetting("AppNameCheck", "False", "Mode"), false)) {
        services.messages.show("プログラム：[" + shortcut->TargetPath() + "]\r\nオプション：[" +
                                   shortcut->Arguments() + "]\r\n作業フォルダ：[" +
                                   shortcut->WorkingDirectory() + "]",
                               services.process.title(), port::MessageIcon::None);
    }

    const auto saved = shortcut->Save();
    if (!saved) {
        services.messages.show("ショートカットを保存できませんでした。\r\n" + path + "\r\n" + saved.error(),
                               services.process.title(), port::MessageIcon::Exclamation);
        return nullptr;
    }
    return shell;
}

void LaunchProgram(Program& program, const std::string& programLine, const std::string& workingFolder) {
    port::Services& services = program.services;
    const std::string folder = services.process.launchFolder();
    const std::string name = launchFileName(program);
    auto shell = WriteShortcut(program, programLine, workingFolder, folder, name, "");
    if (!shell)
        return;
    const auto ran = shell->Run("\"" + withSeparator(folder) + name + "\"");
    if (!ran)
        services.messages.show("プログラムを起動できませんでした。\r\n" + ran.error(),
                               services.process.title(), port::MessageIcon::Exclamation);
}

} // namespace app::code_LoadFile
