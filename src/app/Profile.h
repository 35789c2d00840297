#pragma once
// The project's own profile engine: the operations of the Windows profile API (read a value, write a
// value, read a section, delete a section) over the bytes of an INI file.
//
// The pure functions take the file's bytes and give the answer or the new bytes; the file functions
// below them read and replace the file. Text inside is UTF-8. A file that starts with the UTF-16LE
// byte-order mark is read and written as UTF-16LE, one with the UTF-8 mark as UTF-8 (the mark is kept);
// any other file holds text in the ANSI code page and goes through the codec. CR LF, a lone LF and a lone CR
// each end a line, in every form; a NUL ends the text of its line (what follows it up to the line break is
// never read).
//
// Section and key arguments end at a NUL and lose only their outer spaces (U+0020), never a tab, VT or
// CR; lines of the file lose every blank around their names and values.
//
// A write changes only the bytes it must: the value part of an existing entry, an inserted entry line,
// an appended section, or the removed lines. New lines end with the file's first line break (CR LF where
// that is a CR followed by a NUL: the break of a UTF-16BE or UTF-32 file read in narrower units). Every
// other byte of the file stays as it was, even bytes the codec could not convert; only half a UTF-16 unit
// at the very end, which no read sees, is dropped when a write appends after it. A rewritten value takes the
// encoding its line was read in (the codec knows it), so that a line the codec reads in an encoding of its
// own does not become a mix.
#include "port/FileSystem.h"
#include "port/TextCodec.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace app::profile {

// The line break a new file gets; a file that has one already keeps its own.
enum class Newline { CrLf, Lf };

// Size of the caller's buffer in the Windows profile API: a value comes back cut to one byte less.
inline constexpr std::size_t kDefaultBufferSize = 4096;

// The value of the first entry named `key` in the first section named `section`: blanks around it and one
// pair of enclosing quotes removed. Nothing when the section or the entry is missing.
std::optional<std::string> findValue(std::string_view bytes, std::string_view section, std::string_view key,
                                     port::ITextCodec& codec);

// The values of several keys, as findValue gives each, from one pass over the file.
std::vector<std::optional<std::string>> findValues(std::string_view bytes, std::string_view section,
                                                   const std::vector<std::string_view>& keys,
                                                   port::ITextCodec& codec);

// What a buffer of `bufferSize` bytes receives: the value, or `defaultValue` up to a NUL without its
// trailing spaces; cut to bufferSize - 1 bytes (never inside a UTF-8 character).
std::string getString(std::string_view bytes, std::string_view section, std::string_view key,
                      std::string_view defaultValue, port::ITextCodec& codec,
                      std::size_t bufferSize = kDefaultBufferSize);

// Every line of the first section named `section` that is neither blank nor a comment, trimmed, in file
// order; lines without "=" included. Empty for a missing section.
std::vector<std::string> getSection(std::string_view bytes, std::string_view section,
                                    port::ITextCodec& codec);

// The file with `key` set to `value` in `section`. New names are written as given but for their outer
// spaces; a rewritten entry on a last line without a line break gets one.
std::string writeString(std::string_view bytes, std::string_view section, std::string_view key,
                        std::string_view value, port::ITextCodec& codec, Newline newFileStyle);

// The file without the first section named `section`: its header and every line up to the next header go,
// except the comment lines, which stay where they stood.
std::string deleteSection(std::string_view bytes, std::string_view section, port::ITextCodec& codec);

// The file without the entries named `key` in the first section named `section`.
std::string deleteKey(std::string_view bytes, std::string_view section, std::string_view key,
                      port::ITextCodec& codec);

// ---- The same operations on a file. Reads never fail (a missing file reads as empty). A write fails,
// leaving the file as it was, when the file exists but cannot be read or cannot be replaced; the failure
// says why. A write that changes nothing leaves the file alone; deleting from a missing file succeeds.

std::string getProfileString(port::IFileSystem& files, port::ITextCodec& codec, const std::string& path,
                             std::string_view section, std::string_view key, std::string_view defaultValue,
                             std::size_t bufferSize = kDefaultBufferSize);
std::vector<std::string> getProfileSection(port::IFileSystem& files, port::ITextCodec& codec,
                                           const std::string& path, std::string_view section);
port::Result<void> writeProfileString(port::IFileSystem& files, port::ITextCodec& codec,
                                      const std::string& path, std::string_view section, std::string_view key,
                                      std::string_view value, Newline newFileStyle);
port::Result<void> deleteProfileSection(port::IFileSystem& files, port::ITextCodec& codec,
                                        const std::string& path, std::string_view section);
port::Result<void> deleteProfileKey(port::IFileSystem& files, port::ITextCodec& codec,
                                    const std::string& path, std::string_view section, std::string_view key);

} // namespace app::profile
