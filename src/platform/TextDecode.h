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

// UTF-8 text in codePage for display, each character the code page cannot
// write (and each byte that is no UTF-8) as '?': a name that cannot be shown
// whole still shows the rest, and '?' is no file name's character.
std::string ShownInCodePage(std::string_view text, CodePage codePage);

// The Windows ANSI calls (files, window texts) take text in the ANSI code
// page; names of the report are UTF-8. On POSIX both are UTF-8 and these
// give the text back as it is.
// ANSI text (a folder, a typed name) as UTF-8; as it is where it does not decode.
std::string AnsiToUtf8(std::string_view ansi);
// UTF-8 text as the ANSI calls take it; nullopt where the ANSI code page
// cannot write it. Under a code page we do not know only ASCII passes.
std::optional<std::string> AnsiFromUtf8(std::string_view text);
// UTF-8 text for the ANSI window calls: what cannot be written shows as '?'.
std::string AnsiShownFromUtf8(std::string_view text);

#ifdef _WIN32
// The files (not folders) of folder, given in the ANSI code page and ending
// in a separator, with names as UTF-8: listed in Unicode, so that names
// outside the ANSI code page come as they are. A folder that cannot be
// listed has none.
std::vector<std::string> ListFilesUtf8(const std::string& folder);
#endif

// How a report compares a game's names with the files here, the same for
// the command line and the window: decoded from the game's code page,
// folded as the file system folds them, and on Windows listed in Unicode
// so that names outside the ANSI code page are found too. A template over
// the report's options, so that this layer needs none of the report.
template <class ReportOptions>
void UsePlatformNames(ReportOptions& options) {
  if (NamesNeedDecoding()) {
    options.decode = [](std::string_view bytes, auto encoding) {
      return DecodeToUtf8(bytes, static_cast<CodePage>(encoding));
    };
  }
  options.fold = FoldFileName;
#ifdef _WIN32
  options.listFiles = ListFilesUtf8;
#endif
}

}  // namespace quillfen
