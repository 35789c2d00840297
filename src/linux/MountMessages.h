#pragma once
// What the user is told, in Japanese, when a disc cannot be mounted: the first line, then the reason.
namespace lnx {

inline constexpr const char* kMountRefused = "ディスクをマウントできませんでした。\r\n";
inline constexpr const char* kMountNoService = "マウントを行うサービス (UDisks2) が見つかりません。";
inline constexpr const char* kMountNotAuthorized = "ディスクをマウントする権限がありません。";
inline constexpr const char* kMountNoDevice = "ドライブが見つかりません: ";
// Followed by the system's own words in parentheses.
inline constexpr const char* kMountFailed = "ディスクを読み取れませんでした。";

// The same for taking a disc out.
inline constexpr const char* kEjectRefused = "ディスクを取り出せませんでした。\r\n";
inline constexpr const char* kEjectNoService = "ディスクを扱うサービス (UDisks2) が見つかりません。";
inline constexpr const char* kEjectNotAuthorized = "ディスクを取り出す権限がありません。";
inline constexpr const char* kEjectBusy = "ディスクのファイルを使っているプログラムがあります。";
// Followed by the system's own words in parentheses.
inline constexpr const char* kEjectFailed = "ドライブがディスクを取り出しませんでした。";

} // namespace lnx
