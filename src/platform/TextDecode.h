// Names in a game's files are bytes in its ANSI code page. Where the file
// system's names are Unicode text (POSIX), they must be decoded before they
// can be compared with names on disk; the Windows ANSI file calls take the
// bytes as they are.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quillfen {

enum class CodePage { kShiftJis, kCp1252 };

// True where names must be decoded to be found on disk.
bool NamesNeedDecoding();

// Where names are taken as bytes: the code page the ANSI file calls read
// them in, when it is one of ours (a Shift-JIS name may hold the byte of a
// backslash inside a character); nullopt elsewhere.
std::optional<CodePage> AnsiCodePage();

// The bytes as UTF-8, or nullopt when they are not text of that code page.
std::optional<std::string> DecodeToUtf8(std::string_view bytes, CodePage codePage);

}  // namespace quillfen
