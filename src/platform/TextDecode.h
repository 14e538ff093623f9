// Names in a game's files are bytes in its ANSI code page. The report decodes
// them into Unicode text (UTF-8) with the platform's own converters and
// compares them with the names on disk as the engine's file system does:
// ignoring letter case for every letter, and under one normalisation.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillfen {

// The Windows code pages games of these editors are written in; each value
// is the code page's number.
enum class CodePage : unsigned {
  kThai = 874,
  kShiftJis = 932,
  kGbk = 936,
  kKorean = 949,
  kBig5 = 950,
  kCp1250 = 1250,  // Central European
  kCp1251 = 1251,  // Cyrillic
  kCp1252 = 1252,  // Western
  kCp1253 = 1253,  // Greek
  kCp1254 = 1254,  // Turkish
  kCp1255 = 1255,  // Hebrew
  kCp1256 = 1256,  // Arabic
  kCp1257 = 1257,  // Baltic
  kCp1258 = 1258,  // Vietnamese
};

// True where names must be decoded to be found on disk. Both platforms
// decode now; it stays for callers that ask.
bool NamesNeedDecoding();

// The code page the Windows ANSI calls use, when it is one of ours; nullopt
// elsewhere (POSIX names are UTF-8).
std::optional<CodePage> AnsiCodePage();

// The bytes as UTF-8, or nullopt when they are not text of that code page.
std::optional<std::string> DecodeToUtf8(std::string_view bytes, CodePage codePage);

// UTF-8 text in that code page, or nullopt when it cannot be written in it.
std::optional<std::string> EncodeFromUtf8(std::string_view text, CodePage codePage);

// The key under which two UTF-8 names are the same file name: one
// normalisation (composed) and simple case folding of every letter. Text
// that is not valid UTF-8 is its own key, ASCII-lower-cased.
std::string FoldFileName(std::string_view text);

// Where standard output is a Windows console: writes the UTF-8 text there
// as UTF-16 and returns true. Elsewhere false, and nothing written.
bool WriteConsoleUtf8(std::string_view text);

#ifdef _WIN32
// The files (not folders) of folder, given in the ANSI code page and ending
// in a separator, with names as UTF-8: listed in Unicode, so that names
// outside the ANSI code page come as they are. A folder that cannot be
// listed has none.
std::vector<std::string> ListFilesUtf8(const std::string& folder);
#endif

}  // namespace quillfen
