#pragma once
// What the user is told, in Japanese, when a shortcut's Desktop Entry cannot be written or its program
// cannot be started.
namespace lnx {

inline constexpr const char* kWineRequired =
    "Windows のプログラムを実行するには Wine が必要です。\r\nWine をインストールしてください。\r\n";
inline constexpr const char* kOpenerNotFound = "ファイルを開くプログラムが見つかりません。(xdg-open)";
inline constexpr const char* kProgramNotExecutable = "プログラムを実行できません: ";
inline constexpr const char* kFolderNotFound = "作業フォルダが見つかりません: ";
inline constexpr const char* kShortcutUnreadable = "ショートカットを開けません: ";
inline constexpr const char* kShortcutUnwritable = "ファイルに書き込めません。";
inline constexpr const char* kShortcutUnstorable = "ショートカットに書けない文字が含まれています。";

} // namespace lnx
