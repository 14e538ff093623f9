// The exact reference report: every resource a game's files name, looked up
// in the project and the RTP as the engine looks it up, and the summary of
// RTP files to copy, names found nowhere and project files nothing uses.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "FileSystem.h"
#include "References.h"

namespace quillfen::report {

// The code page of a game's names; each value is the code page's number.
enum class Encoding : unsigned {
  kAuto = 0,
  kShiftJis = 932,
  kCp1252 = 1252,  // Western
  kThai = 874,
  kGbk = 936,
  kKorean = 949,
  kBig5 = 950,
  kCp1250 = 1250,  // Central European
  kCp1251 = 1251,  // Cyrillic
  kCp1253 = 1253,  // Greek
  kCp1254 = 1254,  // Turkish
  kCp1255 = 1255,  // Hebrew
  kCp1256 = 1256,  // Arabic
  kCp1257 = 1257,  // Baltic
  kCp1258 = 1258,  // Vietnamese
};
enum class Status { kProject, kRtp, kMissing };

std::string_view StatusName(Status status);  // "project", "RTP", "missing"

// Every code page but kAuto, in the order that wins a tie in detection.
const std::vector<Encoding>& AllEncodings();
// "Shift-JIS", "big5", "gbk", "cp949", "cp874", "cp1250" ... "cp1258"; "auto".
std::string_view EncodingName(Encoding encoding);
// A code page by name ("big5", "shift-jis", "cyrillic", "windows-1251") or
// number ("950", "cp950"), ignoring case; "auto" is kAuto.
std::optional<Encoding> ParseEncoding(std::string_view text);
// What ParseEncoding takes, for messages: "auto, shift-jis, big5, ...".
std::string EncodingChoices();

// The key under which two decoded (UTF-8) names are the same file name.
using NameFold = std::function<std::string(std::string_view)>;
// The files of one folder (path ending in a separator), names as UTF-8.
using FolderLister = std::function<std::vector<std::string>(const std::string&)>;

// Decodes a game's name bytes into the file system's text; nullopt when the
// bytes are no text of that encoding.
using Decoder = std::function<std::optional<std::string>(std::string_view, Encoding)>;

struct Options {
  std::string projectFolder;  // with a trailing separator
  std::string rtpFolder;      // with a trailing separator; empty when no RTP is known
  Encoding encoding = Encoding::kAuto;
  // Unset: names are compared as bytes, as the Windows ANSI file calls do.
  Decoder decode;
  // Unset: ASCII letters only ignore case.
  NameFold fold;
  // Unset: the FileSystem lists the folders (its names are UTF-8 on POSIX).
  FolderLister listFiles;
  // Who set encoding when it is not kAuto, for the report ("--encoding").
  // With kAuto a project's RPG_RT.ini may name it ([EasyRPG] Encoding);
  // otherwise it is detected.
  std::string encodingSetBy;
};

// What one name resolves to and how it shows, shared by every reference to
// that name: games repeat a name by the thousand, and sharing it keeps an
// entry small and cheap to make.
struct Resolution {
  std::string name;                // for display (decoded where names are decoded)
  std::string nameBytes;           // the name's bytes in hex ("a7f831") where name is not their exact text
  std::vector<std::string> files;  // Folder\file.ext it resolves to, in the place of its status
};

// Names and locations for display are UTF-8 where names are decoded (on
// Windows too): only control characters and bytes that are no text of the
// code page are written \xNN. File names (files, needed, possiblyNeeded,
// missing, unused) are UTF-8 where listed so, else as the file system has them.
struct Entry {
  lcf::Folder folder = lcf::Folder::kBackdrop;
  Status status = Status::kMissing;
  std::string_view where;  // for display; kept by the report's texts
  std::shared_ptr<const Resolution> resolution;

  const std::string& Name() const { return Resolved().name; }
  const std::string& NameBytes() const { return Resolved().nameBytes; }
  const std::vector<std::string>& Files() const { return Resolved().files; }

 private:
  const Resolution& Resolved() const {
    static const Resolution none;
    return resolution ? *resolution : none;
  }
};

// Some of a report's references: views of those it keeps, or entries read
// back from the temporary file of a report too big to keep them.
struct EntrySlice {
  std::span<const Entry> view;
  std::vector<Entry> owned;
  std::vector<char> bytes;  // the places read back
  lcf::TextStore shown;     // places decoded for display

  auto begin() const { return view.begin(); }
  auto end() const { return view.end(); }
  std::size_t size() const { return view.size(); }
  const Entry& operator[](std::size_t i) const { return view[i]; }
};

// The references of a report too big to keep them in memory.
class SpilledEntries {
 public:
  virtual ~SpilledEntries() = default;
  virtual std::size_t Count() const = 0;
  virtual std::size_t CountWith(Status status) const = 0;
  virtual void Read(std::size_t begin, std::size_t end, EntrySlice& into) const = 0;
};

struct DynamicEntry {
  lcf::Folder folder;
  std::string name;
  std::string where;
  // Names completed at run time from a variable: the name with its ending
  // as '#' ("menuicon_###"), and the project files that fit it, which
  // count as used. Empty for names that cannot be told beforehand.
  std::string pattern;
  std::vector<std::string> files;  // Folder\file.ext
};

struct Report {
  std::string encoding;  // EncodingName of the code page used, or "ANSI"
  // Why that one: "2,301 of 2,310 names decode; 5 files found",
  // "set by RPG_RT.ini [EasyRPG] Encoding=950", "set by --encoding".
  std::string encodingReason;
  bool is2003 = false;
  std::vector<Entry> references;  // empty where spilled
  std::shared_ptr<const SpilledEntries> spilled;
  // Where the references' places are kept, shared with what was collected.
  std::vector<std::shared_ptr<const lcf::TextStore>> texts;
  std::vector<DynamicEntry> dynamic;
  std::vector<lcf::Problem> problems;
  std::vector<std::string> needed;   // Folder\file.ext in the RTP, to copy
  std::vector<std::string> missing;  // Folder\name, in neither
  std::vector<std::string> unused;   // Folder\file.ext in the project that nothing names
  // Folder\file.ext in the RTP, not in the project, that fit a name
  // completed at run time: needed only if the game builds that name.
  std::vector<std::string> possiblyNeeded;
};

// The report's references, kept or spilled: how many, those from begin to
// end, and each in order.
std::size_t ReferenceCount(const Report& report);
EntrySlice EntriesOf(const Report& report, std::size_t begin, std::size_t end);
template <class Each>
void ForEachEntry(const Report& report, Each&& each) {
  if (!report.spilled) {
    for (const Entry& e : report.references) each(e);
    return;
  }
  constexpr std::size_t kSlice = 1024;
  const std::size_t count = report.spilled->Count();
  for (std::size_t begin = 0; begin < count; begin += kSlice) {
    for (const Entry& e : EntriesOf(report, begin, std::min(count, begin + kSlice))) each(e);
  }
}

// Told before each file is read: its name, how many files were read before
// it and how many there are (until the map tree is read, its maps are not
// counted yet).
using ReadProgress = std::function<void(const std::string& file, std::size_t done, std::size_t total)>;

// Reads RPG_RT.ldb, RPG_RT.lmt and each map of the tree; what cannot be read
// becomes a problem of the file, and the rest is read on.
// A game whose files are bigger than spillAbove bytes in all keeps its
// references in a temporary file of fs, where it can make one: all but the
// smallest games, since writing them there costs less than the memory
// they would take.
inline constexpr std::uint64_t kSpillAbove = 1u << 20;
lcf::Collected CollectProject(const FileSystem& fs, const std::string& projectFolder,
                              const ReadProgress& progress = {}, std::uint64_t spillAbove = kSpillAbove);

// Resolves what was collected against the project and the RTP.
Report Resolve(const FileSystem& fs, const Options& options, const lcf::Collected& collected);
// The same; the report shares the collection's location texts either way.
Report Resolve(const FileSystem& fs, const Options& options, lcf::Collected&& collected);

// Both: CollectProject, then Resolve.
Report BuildReport(const FileSystem& fs, const Options& options, std::uint64_t spillAbove = kSpillAbove);

// The charset an HTML page of the report declares: UTF-8 where names were
// decoded, else the system's ANSI code page (by number) that the names' bytes
// are in, UTF-8 when that is unknown.
std::string HtmlCharsetOf(bool namesDecoded, std::optional<unsigned> ansiCodePage);

// ASCII letters in lower case, every other byte as it is.
std::string AsciiLower(std::string_view text);

// "Map0003.lmu, offset 120: the file ends inside an integer"
std::string ProblemText(const lcf::Problem& problem);

// The plain-text report: one line per reference, then the summary lists
// (the problems are the caller's to print).
std::string FormatText(const Report& report, const std::string& project, const std::string& rtp);
// The same, written to out as it is made.
void WriteText(std::ostream& out, const Report& report, const std::string& project,
               const std::string& rtp);
// A self-contained HTML page of the same, grouped by status. Its charset is
// that of the names: UTF-8 where they were decoded, else the ANSI code page's.
std::string FormatHtml(const Report& report, const std::string& project, const std::string& rtp,
                       std::string_view charset = "utf-8");
// The same, written to out as it is made.
void WriteHtml(std::ostream& out, const Report& report, const std::string& project, const std::string& rtp,
               std::string_view charset = "utf-8");

}  // namespace quillfen::report
