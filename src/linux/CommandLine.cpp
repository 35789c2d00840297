#include "linux/CommandLine.h"

#include <array>
#include <string_view>

namespace lnx {

namespace {

struct ToolkitOption {
    std::string_view name; // without its dash
    bool takesValue;
};

// The options every Qt program takes (QGuiApplication, QApplication and the X11 platform). Qt reads
// each with one dash or two; "-style=NAME" is read as well as "-style NAME".
constexpr std::array kToolkitOptions{
    ToolkitOption{"platform", true},        ToolkitOption{"platformpluginpath", true},
    ToolkitOption{"platformtheme", true},   ToolkitOption{"plugin", true},
    ToolkitOption{"qwindowgeometry", true}, ToolkitOption{"qwindowicon", true},
    ToolkitOption{"qwindowtitle", true},    ToolkitOption{"session", true},
    ToolkitOption{"display", true},         ToolkitOption{"geometry", true},
    ToolkitOption{"style", true},           ToolkitOption{"stylesheet", true},
    ToolkitOption{"reverse", false},        ToolkitOption{"widgetcount", false},
};

const ToolkitOption* toolkitOption(std::string_view argument) {
    std::string_view name = argument.substr(argument.starts_with("--") ? 2 : 1);
    bool inlineValue = false;
    if (const auto equals = name.find('='); equals != std::string_view::npos) {
        name = name.substr(0, equals);
        inlineValue = true;
    }
    for (const ToolkitOption& option : kToolkitOptions)
        if (option.name == name && (option.takesValue || !inlineValue))
            return &option;
    return nullptr;
}

CommandLine wrong(std::string error) {
    CommandLine line;
    line.action = CommandLine::Action::Wrong;
    line.error = std::move(error);
    return line;
}

} // namespace

CommandLine parseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine line;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || !argument.starts_with('-')) {
            line.operands.push_back(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "-h" || argument == "--help") {
            line.action = CommandLine::Action::Help;
            return line;
        } else if (argument == "--version") {
            line.action = CommandLine::Action::Version;
            return line;
        } else if (const ToolkitOption* option = toolkitOption(argument)) {
            line.toolkit.push_back(argument);
            if (option->takesValue && argument.find('=') == std::string::npos) {
                if (++i == arguments.size())
                    return wrong("オプション「" + argument + "」に値がありません。");
                line.toolkit.push_back(arguments[i]);
            }
        } else {
            return wrong("「" + argument +
                         "」というオプションはありません。使い方は tavimoro --help で表示します。");
        }
    }
    return line;
}

std::string usageText() {
    return "使い方: tavimoro [フォルダー、AUTORUN.INF またはディスク イメージ]\n"
           "\n"
           "CD-ROM ドライブごとに 1 行のウィンドウを表示し、ボタン一つでディスクの AUTORUN.INF が\n"
           "指定するプログラムを起動します。\n"
           "フォルダーか AUTORUN.INF を指定すると、そのプログラムを起動して終了します。\n"
           "ディスク イメージ (ISO 9660 か UDF) は読み取り専用でマウントしてから起動します。\n"
           "すでに tavimoro が動いていれば、起動はそちらに任せます。\n"
           "\n"
           "オプション:\n"
           "  -h, --help   この使い方を表示して終了します。\n"
           "  --version    バージョンを表示して終了します。\n"
           "  --           これより後の引数はすべてパスとして扱います。\n"
           "  Qt のオプション (-platform など) も使えます。\n"
           "\n"
           "終了ステータス: 0 成功、1 失敗 (パスに AUTORUN.INF がない、起動できなかった、など)\n";
}

std::string versionText(const port::Version& version) {
    return "tavimoro " + std::to_string(version.major) + "." + std::to_string(version.minor) + "." +
           std::to_string(version.revision) + "\n";
}

} // namespace lnx
