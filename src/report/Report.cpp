#include "Report.h"
#include "Spill.h"
#include "TwoHalves.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <exception>
#include <functional>
#include <map>
#include <set>
#include <stdexcept>
#include <system_error>
#include <thread>
#include <unordered_map>

namespace quillfen::report {
namespace {

using lcf::FileKind;
using lcf::Folder;

constexpr char kDatabase[] = "RPG_RT.ldb";
constexpr char kMapTree[] = "RPG_RT.lmt";

bool LessIgnoringCase(const std::string& a, const std::string& b) {
  const std::string la = AsciiLower(a), lb = AsciiLower(b);
  return la != lb ? la < lb : a < b;
}

// Sorted, and one of each name that differs only in case: the engine finds
// the same file for all of them.
void SortUnique(std::vector<std::string>& list) {
  std::sort(list.begin(), list.end(), LessIgnoringCase);
  list.erase(std::unique(list.begin(), list.end(),
                         [](const std::string& a, const std::string& b) {
                           return AsciiLower(a) == AsciiLower(b);
                         }),
             list.end());
}

struct CodePageInfo {
  Encoding encoding;
  std::string_view name;
  std::vector<std::string_view> aliases;  // beside the name, "cpN", "windows-N" and N
};

const std::vector<CodePageInfo>& CodePages() {
  static const std::vector<CodePageInfo> pages = {
      {Encoding::kCp1252, "cp1252", {"western", "latin1"}},
      {Encoding::kShiftJis, "Shift-JIS", {"shift_jis", "sjis", "windows-31j", "japanese"}},
      {Encoding::kBig5, "big5", {"chinese-traditional"}},
      {Encoding::kGbk, "gbk", {"gb2312", "chinese-simplified"}},
      {Encoding::kKorean, "cp949", {"korean", "uhc", "euc-kr"}},
      {Encoding::kCp1251, "cp1251", {"cyrillic"}},
      {Encoding::kCp1250, "cp1250", {"central-european"}},
      {Encoding::kCp1253, "cp1253", {"greek"}},
      {Encoding::kCp1254, "cp1254", {"turkish"}},
      {Encoding::kCp1255, "cp1255", {"hebrew"}},
      {Encoding::kCp1256, "cp1256", {"arabic"}},
      {Encoding::kCp1257, "cp1257", {"baltic"}},
      {Encoding::kCp1258, "cp1258", {"vietnamese"}},
      {Encoding::kThai, "cp874", {"thai", "tis-620"}},
  };
  return pages;
}

bool IsDoubleByte(Encoding e) {
  return e == Encoding::kShiftJis || e == Encoding::kGbk || e == Encoding::kKorean ||
         e == Encoding::kBig5;
}

// A byte that starts a two-byte character, whose second byte may look like
// a backslash or a letter.
bool IsLeadByte(unsigned char c, Encoding e) {
  if (e == Encoding::kShiftJis) return lcf::IsShiftJisLead(c);
  return IsDoubleByte(e) && c >= 0x81 && c <= 0xFE;
}

// A name with folder steps ("..\System\Frame") is opened relative to its
// folder; it reaches another resource folder or nothing we list.
struct Target {
  Folder folder;
  std::string name;
};
std::size_t NextSeparator(std::string_view name, std::size_t from, Encoding e) {
  for (std::size_t i = from; i < name.size(); ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    if (IsLeadByte(c, e)) {
      ++i;
      continue;
    }
    if (c == '\\' || c == '/') return i;
  }
  return std::string_view::npos;
}

std::optional<Target> TargetOf(Folder folder, std::string_view name, Encoding e) {
  if (NextSeparator(name, 0, e) == std::string_view::npos) {
    return Target{folder, std::string(name)};
  }
  std::vector<std::string> parts = {std::string(lcf::FolderName(folder))};
  std::size_t start = 0;
  while (start <= name.size()) {
    std::size_t end = NextSeparator(name, start, e);
    if (end == std::string_view::npos) end = name.size();
    const std::string part(name.substr(start, end - start));
    if (part == "..") {
      if (parts.empty()) return std::nullopt;
      parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  if (parts.size() != 2) return std::nullopt;
  for (Folder f : lcf::AllFolders()) {
    if (AsciiLower(lcf::FolderName(f)) == AsciiLower(parts[0])) return Target{f, parts[1]};
  }
  return std::nullopt;
}

bool Loadable(std::string_view file, FileKind kind) {
  const std::size_t dot = file.rfind('.');
  if (dot == std::string::npos || dot == 0) return false;
  const std::string extension = AsciiLower(file.substr(dot));
  for (std::string_view e : lcf::ExtensionsOf(kind)) {
    if (extension == e) return true;
  }
  return false;
}

// Names compare under one key: the platform's fold where names are decoded,
// else ASCII letters without case.
struct Names {
  const Options& options;
  Encoding encoding = Encoding::kCp1252;

  std::string Key(std::string_view text) const {
    return options.fold ? options.fold(text) : AsciiLower(text);
  }
  std::optional<std::string> Decode(std::string_view bytes) const {
    if (!options.decode) return std::nullopt;
    return options.decode(bytes, encoding);
  }
  // The keys a name may be found under: its bytes as they are (names on
  // disk kept in the game's code page), and decoded.
  std::vector<std::string> KeysOf(std::string_view name) const {
    std::vector<std::string> keys = {AsciiLower(name)};
    if (auto text = Decode(name)) {
      std::string key = Key(*text);
      if (key != keys.front()) keys.push_back(std::move(key));
    }
    return keys;
  }
};

// The name without its extension, under the key; nullopt for a name with
// no extension.
std::optional<std::string> StemKey(const std::string& file, const Names& names) {
  const std::size_t dot = file.rfind('.');
  if (dot == std::string::npos || dot == 0) return std::nullopt;
  return names.Key(std::string_view(file).substr(0, dot));
}

// One place's resource folders: every file, and those with an extension by
// key. A name with folder steps can reach a folder of another kind, where
// what it loads still has its own kind's extensions.
struct Place {
  struct FolderFiles {
    std::vector<std::string> all;
    std::map<std::string, std::vector<std::string>> byKey;
  };
  std::array<FolderFiles, lcf::kFolderCount> folders;

  void List(const FileSystem& fs, const std::string& root, const Names& names) {
    if (root.empty()) return;
    // The root is listed once for the folders it has: looking up a folder
    // by a name it lacks would list the root again for each.
    std::vector<std::string> present;
    for (FileSystem::FoundEntry& entry : fs.FindEntries(root + "*.*")) {
      if (entry.folder && entry.name != "." && entry.name != "..") present.push_back(std::move(entry.name));
    }
    for (Folder folder : lcf::AllFolders()) {
      FolderFiles& f = folders[static_cast<std::size_t>(folder)];
      // The first in the listing's order, as a look-up that ignores case finds it.
      const std::string wanted = AsciiLower(lcf::FolderName(folder));
      const auto spelt = std::find_if(present.begin(), present.end(),
                                      [&](const std::string& name) { return AsciiLower(name) == wanted; });
      if (spelt == present.end()) continue;
      const std::string path = root + *spelt + "\\";
      std::vector<std::string> files;
      if (names.options.listFiles) {
        files = names.options.listFiles(path);
      } else {
        for (FileSystem::FoundEntry& entry : fs.FindEntries(path + "*.*")) {
          if (!entry.folder) files.push_back(std::move(entry.name));  // nothing the engine can load
        }
      }
      for (std::string& file : files) {
        if (auto key = StemKey(file, names)) f.byKey[*key].push_back(file);
        f.all.push_back(std::move(file));
      }
    }
  }

  // Folder\file of each file of that kind the keys name.
  std::vector<std::string> Find(Folder folder, FileKind kind,
                                const std::vector<std::string>& keys) const {
    const FolderFiles& f = folders[static_cast<std::size_t>(folder)];
    std::vector<std::string> out;
    for (const std::string& key : keys) {
      auto it = f.byKey.find(key);
      if (it == f.byKey.end()) continue;
      for (const std::string& file : it->second) {
        if (!Loadable(file, kind)) continue;
        std::string entry = std::string(lcf::FolderName(folder)) + "\\" + file;
        if (std::find(out.begin(), out.end(), entry) == out.end()) out.push_back(entry);
      }
    }
    return out;
  }

  // Folder\file of each file of that kind whose key is stemKey followed by
  // at least digits ASCII digits (a larger value writes more).
  std::vector<std::string> FindNumbered(Folder folder, FileKind kind, const std::string& stemKey,
                                        std::size_t digits) const {
    const FolderFiles& f = folders[static_cast<std::size_t>(folder)];
    std::vector<std::string> out;
    for (auto it = f.byKey.lower_bound(stemKey); it != f.byKey.end(); ++it) {
      const std::string& key = it->first;
      if (key.compare(0, stemKey.size(), stemKey) != 0) break;
      const std::string_view rest = std::string_view(key).substr(stemKey.size());
      if (rest.size() < std::max<std::size_t>(digits, 1) ||
          !std::all_of(rest.begin(), rest.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        continue;
      }
      for (const std::string& file : it->second) {
        if (Loadable(file, kind)) out.push_back(std::string(lcf::FolderName(folder)) + "\\" + file);
      }
    }
    return out;
  }
};

std::string Hex(std::string_view bytes) {
  static const char kHex[] = "0123456789abcdef";
  std::string out;
  for (char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    out += kHex[b >> 4];
    out += kHex[b & 0xF];
  }
  return out;
}

void AppendEscape(std::string& out, unsigned char b) {
  static const char kHex[] = "0123456789ABCDEF";
  out += "\\x";
  out += kHex[b >> 4];
  out += kHex[b & 0xF];
}

bool IsControl(unsigned char b) { return b < 0x20 || b == 0x7F; }

// A decoded character that is a C1 control (U+0080 to U+009F) in UTF-8.
bool HasControl(std::string_view utf8) {
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    if (IsControl(b)) return true;
    if (b == 0xC2 && i + 1 < utf8.size()) {
      const auto next = static_cast<unsigned char>(utf8[i + 1]);
      if (next >= 0x80 && next <= 0x9F) return true;
    }
  }
  return false;
}

struct Shown {
  std::string text;
  bool exact = true;  // text is the whole name decoded, nothing escaped
};

// Display text: decoded where it can be, character by character; control
// characters and bytes that are no text of the code page are written \xNN.
// A two-byte character that does not decode is escaped whole, so that its
// second byte never shows as a folder separator.
// Most names and places are plain ASCII, which every code page reads alike.
using lcf::PrintableAscii;

Shown Display(std::string_view bytes, const Names& names) {
  if (PrintableAscii(bytes)) return {std::string(bytes), true};
  if (!names.options.decode) {
    // Bytes as the ANSI calls take them: only control characters escaped.
    Shown s;
    for (char c : bytes) {
      const auto b = static_cast<unsigned char>(c);
      if (IsControl(b)) {
        AppendEscape(s.text, b);
        s.exact = false;
      } else {
        s.text += c;
      }
    }
    return s;
  }
  if (auto text = names.Decode(bytes); text && !HasControl(*text)) return {std::move(*text), true};
  Shown s{{}, false};
  for (std::size_t i = 0; i < bytes.size();) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (b < 0x80) {
      if (IsControl(b)) {
        AppendEscape(s.text, b);
      } else {
        s.text += bytes[i];
      }
      ++i;
      continue;
    }
    const std::size_t width = IsLeadByte(b, names.encoding) && i + 1 < bytes.size() ? 2 : 1;
    const auto one = names.Decode(bytes.substr(i, width));
    if (one && !HasControl(*one)) {
      s.text += *one;
    } else {
      for (std::size_t k = 0; k < width; ++k) AppendEscape(s.text, static_cast<unsigned char>(bytes[i + k]));
    }
    i += width;
  }
  return s;
}

// A name in its folder, as a key of the tables that work each name out once.
using NameKey = std::pair<Folder, std::string_view>;
struct NameKeyHash {
  std::size_t operator()(const NameKey& k) const {
    return std::hash<std::string_view>()(k.second) * 31 + static_cast<std::size_t>(k.first);
  }
};

std::string WithThousands(std::size_t n) {
  const std::string digits = std::to_string(n);
  std::string out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i != 0 && (digits.size() - i) % 3 == 0) out.push_back(',');
    out.push_back(digits[i]);
  }
  return out;
}

using NameCounts = std::vector<std::pair<NameKey, std::size_t>>;

bool AllAscii(const NameCounts& distinct) {
  return std::all_of(distinct.begin(), distinct.end(), [](const auto& item) {
    const std::string_view name = item.first.second;
    return std::all_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  });
}

struct Detected {
  Encoding encoding = Encoding::kCp1252;
  std::string reason;
};

// The code page under which most references find a file; on a tie the one
// under which most names decode, then the earlier in AllEncodings.
// distinct: each name that references use, with how many use it; total:
// the number of references.
Detected Detect(const NameCounts& distinct, std::size_t total, const Place& project, const Place& rtp,
                const Options& options) {
  if (AllAscii(distinct)) return {Encoding::kCp1252, "all names are ASCII"};
  struct Score {
    std::size_t found = 0, decoded = 0;
  };
  // Names in ASCII fare alike under every code page that reads ASCII as
  // ASCII: they are scored once for all of those.
  std::vector<std::pair<NameKey, std::size_t>> ascii, other;
  for (const auto& item : distinct) {
    const std::string_view name = item.first.second;
    const bool isAscii = std::all_of(name.begin(), name.end(),
                                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    (isAscii ? ascii : other).push_back(item);
  }
  std::string allAscii(0x80, '\0');
  for (std::size_t i = 0; i < allAscii.size(); ++i) allAscii[i] = static_cast<char>(i);
  auto score = [&](const Names& names, Encoding e, const std::vector<std::pair<NameKey, std::size_t>>& list,
                   Score& s) {
    for (const auto& [reference, count] : list) {
      const auto& [folder, name] = reference;
      if (names.Decode(name)) s.decoded += count;
      const auto target = TargetOf(folder, name, e);
      if (!target) continue;
      const auto keys = names.KeysOf(target->name);
      const FileKind kind = lcf::KindOf(folder);
      if (!project.Find(target->folder, kind, keys).empty() ||
          !rtp.Find(target->folder, kind, keys).empty()) {
        s.found += count;
      }
    }
  };
  std::optional<Score> asciiScore;
  Detected best;
  Score bestScore;
  bool first = true;
  for (Encoding e : AllEncodings()) {
    Names names{options, e};
    Score s;
    const auto probe = names.Decode(allAscii);
    if (probe && *probe == allAscii) {
      if (!asciiScore) score(names, e, ascii, asciiScore.emplace());
      s = *asciiScore;
    } else {
      score(names, e, ascii, s);
    }
    score(names, e, other, s);
    const bool better = first || s.found > bestScore.found ||
                        (s.found == bestScore.found && s.decoded > bestScore.decoded);
    if (!better) continue;
    first = false;
    bestScore = s;
    best.encoding = e;
  }
  best.reason = WithThousands(bestScore.decoded) + " of " +
                WithThousands(total) + " names decode; " +
                WithThousands(bestScore.found) + (bestScore.found == 1 ? " file" : " files") + " found";
  return best;
}

std::string Trim(std::string_view text) {
  const std::size_t begin = text.find_first_not_of(" \t\r");
  if (begin == std::string_view::npos) return {};
  const std::size_t end = text.find_last_not_of(" \t\r");
  return std::string(text.substr(begin, end - begin + 1));
}

// The value of [EasyRPG] Encoding in RPG_RT.ini, when there is one.
std::optional<std::string> IniEncoding(const FileSystem& fs, const std::string& projectFolder) {
  const std::string path = projectFolder + "RPG_RT.ini";
  std::string text;
  try {
    if (!fs.FileExists(path)) return std::nullopt;
    text = fs.LoadFile(path);
  } catch (const FileError&) {
    return std::nullopt;  // an unreadable ini names nothing
  }
  if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
  bool inSection = false;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = Trim(std::string_view(text).substr(start, end - start));
    start = end + 1;
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      const std::size_t close = line.find(']');
      inSection = close != std::string::npos && AsciiLower(Trim(line.substr(1, close - 1))) == "easyrpg";
      continue;
    }
    const std::size_t equals = line.find('=');
    if (!inSection || equals == std::string::npos) continue;
    if (AsciiLower(Trim(line.substr(0, equals))) == "encoding") return Trim(line.substr(equals + 1));
  }
  return std::nullopt;
}

// The name of a run-time numbered picture: its fixed part (without the
// trailing digits) and the width the value is written in.
struct Numbered {
  std::string stem;
  std::size_t digits = 0;
};
Numbered NumberedOf(const lcf::DynamicName& d) {
  std::size_t end = d.name.size();
  while (end > 0 && d.name[end - 1] >= '0' && d.name[end - 1] <= '9') --end;
  const std::size_t trailing = d.name.size() - end;
  const std::size_t digits = d.digits > 0 ? static_cast<std::size_t>(d.digits) : std::max<std::size_t>(trailing, 1);
  return {d.name.substr(0, end), digits};
}

}  // namespace

std::string_view StatusName(Status status) {
  switch (status) {
    case Status::kProject: return "project";
    case Status::kRtp: return "RTP";
    default: return "missing";
  }
}

namespace {

// Below this many maps one thread reads them all.
constexpr std::size_t kMapsForTwoThreads = 8;

// A project file's bytes, or nullopt once the problem is noted: absent
// where the file is not there and that is worth its own words, else why it
// could not be read. Whether it is there is asked only after a failure,
// which spares a look-up per file.
std::optional<std::string_view> LoadOrNote(const FileSystem& fs, const std::string& projectFolder,
                                           const std::string& file, lcf::Collected& out, std::string& buffer,
                                           std::string_view absent = {}) {
  try {
    return fs.LoadFileInto(projectFolder + file, buffer);
  } catch (const FileError& e) {
    if (!absent.empty() && !fs.FileExists(projectFolder + file)) {
      out.AddProblem(file, lcf::Problem::kNoOffset, std::string(absent));
    } else {
      out.AddProblem(file, lcf::Problem::kNoOffset, std::string("cannot be read: ") + e.what());
    }
    return std::nullopt;
  }
}

// One map file into out: its references, or the problem that stopped it.
// buffer: memory for the file, reused from map to map.
void CollectMap(const FileSystem& fs, const std::string& projectFolder, const std::string& file,
                lcf::Collected& out, std::string& buffer) {
  if (const std::optional<std::string_view> bytes =
          LoadOrNote(fs, projectFolder, file, out, buffer, "is in the map tree but not in the project")) {
    lcf::ReadMapUnit(*bytes, file, out);
  }
}

void Append(lcf::Collected& out, lcf::Collected&& part) {
  if (out.spill) {
    for (const lcf::Reference& r : part.references) out.spill->Add(r.folder, r.name, r.where);
    part.references = {};
  } else {
    out.references.Append(std::move(part.references));
  }
  // Spilt references took their places along; what else a part holds has
  // texts of its own.
  if (!out.spill && out.texts != part.texts) out.texts->Adopt(std::move(*part.texts));
  out.dynamic.insert(out.dynamic.end(), std::make_move_iterator(part.dynamic.begin()),
                     std::make_move_iterator(part.dynamic.end()));
  out.problems.insert(out.problems.end(), std::make_move_iterator(part.problems.begin()),
                      std::make_move_iterator(part.problems.end()));
  for (const auto& [file, count] : part.problemsPerFile) out.problemsPerFile[file] += count;
  out.is2003 = out.is2003 || part.is2003;
}

}  // namespace

namespace {

// RPG_RT.ldb into out, or the problem that stopped it.
void CollectDatabase(const FileSystem& fs, const std::string& projectFolder, lcf::Collected& out) {
  std::string buffer;
  if (const std::optional<std::string_view> bytes = LoadOrNote(fs, projectFolder, kDatabase, out, buffer)) {
    lcf::ReadDatabase(*bytes, kDatabase, out);
  }
}

// RPG_RT.lmt into out; returns the map files to read, in the tree's order.
std::vector<std::string> CollectTree(const FileSystem& fs, const std::string& projectFolder,
                                     lcf::Collected& out) {
  std::vector<std::string> mapFiles;
  std::string buffer;
  if (const std::optional<std::string_view> tree = LoadOrNote(fs, projectFolder, kMapTree, out, buffer)) {
    // A damaged tree may list a map more than once; it is one file.
    std::set<int> listed;
    for (const lcf::MapEntry& map : lcf::ReadMapTree(*tree, kMapTree, out)) {
      if (listed.insert(map.id).second) mapFiles.push_back(lcf::MapFileName(map.id));
    }
    // A damaged tree may have lost maps: the map files present stand in.
    if (out.problemsPerFile.count(kMapTree) != 0) {
      std::set<std::string> known;
      for (const std::string& file : mapFiles) known.insert(AsciiLower(file));
      std::vector<std::string> present;
      for (const std::string& file : fs.FindFiles(projectFolder + "Map*.lmu")) {
        if (known.count(AsciiLower(file)) == 0) present.push_back(file);
      }
      SortUnique(present);
      mapFiles.insert(mapFiles.end(), present.begin(), present.end());
    }
  } else {
    // Without the tree every map file present is the best guess.
    for (const std::string& file : fs.FindFiles(projectFolder + "Map*.lmu")) mapFiles.push_back(file);
    SortUnique(mapFiles);
  }
  return mapFiles;
}

}  // namespace

namespace {

// What the game's files weigh in all, counted up to a little above limit.
std::uint64_t Weigh(const FileSystem& fs, const std::string& projectFolder, const std::vector<std::string>& mapFiles,
                    std::uint64_t limit) {
  std::uint64_t total = 0;
  for (const char* file : {kDatabase, kMapTree}) total += fs.FileSize(projectFolder + file).value_or(0);
  for (const std::string& file : mapFiles) {
    if (total > limit) break;
    total += fs.FileSize(projectFolder + file).value_or(0);
  }
  return total;
}

// From now on out's references go to a temporary file, those it has first.
// Where no such file can be made they stay in memory.
std::shared_ptr<SpilledReferences> StartSpilling(const FileSystem& fs, lcf::Collected& out) {
  std::unique_ptr<TemporaryFile> file = fs.CreateTemporary();
  if (!file) return nullptr;
  auto spill = std::make_shared<SpilledReferences>(std::move(file));
  for (const lcf::Reference& r : out.references) spill->Add(r.folder, r.name, r.where);
  out.references = {};
  out.spill = spill;
  return spill;
}

}  // namespace

lcf::Collected CollectProject(const FileSystem& fs, const std::string& projectFolder,
                              const ReadProgress& progress, std::uint64_t spillAbove) {
  // Told of each file in turn, the reader stays on this thread, in order.
  if (progress) {
    lcf::Collected out;
    progress(kDatabase, 0, 2);
    CollectDatabase(fs, projectFolder, out);
    progress(kMapTree, 1, 2);
    const std::vector<std::string> mapFiles = CollectTree(fs, projectFolder, out);
    std::shared_ptr<SpilledReferences> spill;
    if (Weigh(fs, projectFolder, mapFiles, spillAbove) > spillAbove) spill = StartSpilling(fs, out);
    const std::size_t total = 2 + mapFiles.size();
    std::string buffer;
    for (std::size_t i = 0; i < mapFiles.size(); ++i) {
      progress(mapFiles[i], 2 + i, total);
      CollectMap(fs, projectFolder, mapFiles[i], out, buffer);
    }
    if (spill) spill->Finish();
    return out;
  }
  lcf::Collected tree;
  const std::vector<std::string> mapFiles = CollectTree(fs, projectFolder, tree);
  // A game too big to keep is read on this thread alone, in order, straight
  // into the temporary file: two threads would hold two files and the parts
  // that wait for their turn, and were found no faster.
  std::shared_ptr<SpilledReferences> spill;
  lcf::Collected out;
  if (Weigh(fs, projectFolder, mapFiles, spillAbove) > spillAbove) spill = StartSpilling(fs, out);
  if (mapFiles.size() < kMapsForTwoThreads || spill) {
    CollectDatabase(fs, projectFolder, out);
    Append(out, std::move(tree));
    std::string buffer;
    for (const std::string& file : mapFiles) CollectMap(fs, projectFolder, file, out, buffer);
    if (spill) spill->Finish();
    return out;
  }
  // A big game's database is read on a second thread, which then joins
  // this one on the maps; each file's part apart, joined in the order of
  // one thread.
  lcf::Collected database;
  std::vector<lcf::Collected> parts(mapFiles.size());
  std::atomic<std::size_t> next{0};
  auto maps = [&] {
    std::string buffer;
    // The maps of one thread keep their places in one store: a small map
    // would leave most of a block of its own empty.
    const auto texts = std::make_shared<lcf::TextStore>();
    for (std::size_t i; (i = next++) < mapFiles.size();) {
      parts[i].texts = texts;
      CollectMap(fs, projectFolder, mapFiles[i], parts[i], buffer);
    }
  };
  std::exception_ptr theirs, ours;
  auto guard = [&](std::exception_ptr& failure, auto&& work) {
    try {
      work();
    } catch (...) {
      failure = std::current_exception();
      next = mapFiles.size();  // the other thread stops too
    }
  };
  std::thread other;
  try {
    other = std::thread([&] {
      guard(theirs, [&] {
        CollectDatabase(fs, projectFolder, database);
        maps();
      });
    });
  } catch (const std::system_error&) {
    // No second thread to be had: this one reads everything.
    guard(ours, [&] { CollectDatabase(fs, projectFolder, database); });
  }
  guard(ours, maps);
  if (other.joinable()) other.join();
  if (ours) std::rethrow_exception(ours);
  if (theirs) std::rethrow_exception(theirs);
  out = std::move(database);
  Append(out, std::move(tree));
  for (lcf::Collected& part : parts) Append(out, std::move(part));
  return out;
}

const std::vector<Encoding>& AllEncodings() {
  static const std::vector<Encoding> all = [] {
    std::vector<Encoding> out;
    for (const CodePageInfo& info : CodePages()) out.push_back(info.encoding);
    return out;
  }();
  return all;
}

std::string_view EncodingName(Encoding encoding) {
  for (const CodePageInfo& info : CodePages()) {
    if (info.encoding == encoding) return info.name;
  }
  return "auto";
}

std::optional<Encoding> ParseEncoding(std::string_view text) {
  std::string given = AsciiLower(Trim(text));
  for (char& c : given) c = c == '_' ? '-' : c;
  if (given == "auto") return Encoding::kAuto;
  std::string_view number = given;
  for (std::string_view prefix : {"windows-", "cp"}) {
    if (number.substr(0, prefix.size()) == prefix) number.remove_prefix(prefix.size());
  }
  for (const CodePageInfo& info : CodePages()) {
    std::string name = AsciiLower(info.name);
    for (char& c : name) c = c == '_' ? '-' : c;
    if (given == name || number == std::to_string(static_cast<unsigned>(info.encoding))) {
      return info.encoding;
    }
    for (std::string_view alias : info.aliases) {
      std::string a(alias);
      for (char& c : a) c = c == '_' ? '-' : c;
      if (given == a) return info.encoding;
    }
  }
  return std::nullopt;
}

std::string EncodingChoices() {
  std::string out = "auto";
  for (const CodePageInfo& info : CodePages()) {
    out.append(", ").append(AsciiLower(info.name));
    for (std::string_view alias : info.aliases) out.append("/").append(alias);
    out.append(" (").append(std::to_string(static_cast<unsigned>(info.encoding))).append(")");
  }
  return out;
}

namespace {

// The distinct names of one half of the reference list, in the order of
// their first use: games name the same files again and again, so each name
// is looked at once per half.
struct HalfNames {
  struct Name {
    NameKey key;
    std::size_t count = 0;  // references of the half that use it
    std::shared_ptr<const Resolution> resolution;  // set on its first use
    Status status = Status::kMissing;
  };
  std::unordered_map<NameKey, std::uint32_t, NameKeyHash> ids;
  std::vector<Name> names;
};

// A spilled report's references, made into entries slice by slice as they
// are read back.
class SpilledEntriesOf final : public SpilledEntries {
 public:
  struct Name {
    Status status = Status::kMissing;
    std::shared_ptr<const Resolution> resolution;
  };

  SpilledEntriesOf(std::shared_ptr<const SpilledReferences> references, std::vector<Name> names,
                   const Options& options, Encoding encoding)
      : references_(std::move(references)), names_(std::move(names)), options_(options), encoding_(encoding) {
    const auto& used = references_->Names();
    for (std::size_t id = 0; id < used.size(); ++id) {
      counts_[static_cast<std::size_t>(names_[id].status)] += used[id].count;
    }
  }

  std::size_t Count() const override { return references_->Count(); }
  std::size_t CountWith(Status status) const override { return counts_[static_cast<std::size_t>(status)]; }

  void Read(std::size_t begin, std::size_t end, EntrySlice& into) const override {
    const Names names{options_, encoding_};
    const auto& used = references_->Names();
    into.owned.clear();
    into.owned.reserve(end - begin);
    references_->Read(begin, end, into.bytes, [&](std::uint32_t id, std::string_view where, bool plain) {
      Entry& e = into.owned.emplace_back();
      e.folder = used[id].folder;
      e.status = names_[id].status;
      e.resolution = names_[id].resolution;
      e.where = plain ? where : into.shown.Keep(Display(where, names).text);
    });
    into.view = into.owned;
  }

 private:
  std::shared_ptr<const SpilledReferences> references_;
  std::vector<Name> names_;  // by the number of the name
  Options options_;
  Encoding encoding_;
  std::array<std::size_t, 3> counts_{};
};

Report ResolveCollected(const FileSystem& fs, const Options& options, const lcf::Collected& collected) {
  Report report;
  report.is2003 = collected.is2003;
  report.problems = collected.problems;
  const Names listing{options};
  Place project, rtp;
  {
    // Both at once: listing is mostly waiting on the file system.
    std::exception_ptr failure;
    std::thread other;
    if (!options.projectFolder.empty() && !options.rtpFolder.empty()) {
      try {
        other = std::thread([&] {
          try {
            rtp.List(fs, options.rtpFolder, listing);
          } catch (...) {
            failure = std::current_exception();
          }
        });
      } catch (const std::system_error&) {
        // No second thread to be had: this one lists both.
      }
    }
    try {
      project.List(fs, options.projectFolder, listing);
    } catch (...) {
      if (other.joinable()) other.join();
      throw;
    }
    if (other.joinable()) {
      other.join();
      if (failure) std::rethrow_exception(failure);
    } else {
      rtp.List(fs, options.rtpFolder, listing);
    }
  }

  // Which distinct name each reference uses, found in two halves at once;
  // a spill has them already.
  const auto spilled = std::dynamic_pointer_cast<const SpilledReferences>(collected.spill);
  if (collected.spill && !spilled) throw std::logic_error("references kept where the report cannot read them");
  const std::size_t count = collected.ReferenceCount();
  std::vector<std::uint32_t> nameOf(spilled ? 0 : count);
  HalfNames halves[2];
  std::size_t split = count;  // where the second half begins
  auto distinct = [&](HalfNames& half, std::size_t begin, std::size_t end) {
    auto reference = collected.references.At(begin);
    for (std::size_t index = begin; index < end; ++index, ++reference) {
      const auto [it, added] = half.ids.try_emplace({reference->folder, reference->name},
                                                    static_cast<std::uint32_t>(half.names.size()));
      if (added) half.names.emplace_back().key = it->first;
      ++half.names[it->second].count;
      nameOf[index] = it->second;
    }
  };
  if (spilled) {
    halves[0].names.reserve(spilled->Names().size());
    for (const SpilledReferences::Name& used : spilled->Names()) {
      HalfNames::Name& name = halves[0].names.emplace_back();
      name.key = {used.folder, used.name};
      name.count = used.count;
    }
  } else {
    InTwoHalves(
        count,
        [&](std::size_t begin, std::size_t end) {
          split = end;
          distinct(halves[0], begin, end);
        },
        [&](std::size_t begin, std::size_t end) { distinct(halves[1], begin, end); }, [] {});
  }
  // Every distinct name once, in the order of first use.
  std::vector<const HalfNames::Name*> byFirstUse;
  byFirstUse.reserve(halves[0].names.size() + halves[1].names.size());
  for (const HalfNames::Name& name : halves[0].names) byFirstUse.push_back(&name);
  for (const HalfNames::Name& name : halves[1].names) {
    if (halves[0].ids.count(name.key) == 0) byFirstUse.push_back(&name);
  }

  // The entries' memory is made ready on a second thread meanwhile: choosing
  // the code page runs on this one alone.
  std::exception_ptr sizingFailed;
  std::thread sizing;
  try {
    if (!spilled) {
      sizing = std::thread([&] {
        try {
          report.references.resize(count);
        } catch (...) {
          sizingFailed = std::current_exception();
        }
      });
    }
  } catch (const std::system_error&) {
    report.references.resize(count);
  }
  struct JoinSizing {
    std::thread& thread;
    ~JoinSizing() {
      if (thread.joinable()) thread.join();
    }
  } joinSizing{sizing};

  Encoding encoding = options.encoding;
  if (encoding != Encoding::kAuto) {
    report.encodingReason = options.encodingSetBy.empty() ? "as given" : "set by " + options.encodingSetBy;
  } else if (options.decode) {
    std::string iniNote;
    if (const auto named = IniEncoding(fs, options.projectFolder)) {
      const auto parsed = ParseEncoding(*named);
      if (parsed && *parsed != Encoding::kAuto) {
        encoding = *parsed;
        report.encodingReason = "set by RPG_RT.ini [EasyRPG] Encoding=" + *named;
      } else {
        iniNote = "; RPG_RT.ini names the unknown code page '" + *named + "'";
      }
    }
    if (encoding == Encoding::kAuto) {
      NameCounts counts;
      counts.reserve(byFirstUse.size());
      for (const HalfNames::Name& name : halves[0].names) {
        const auto there = halves[1].ids.find(name.key);
        counts.emplace_back(name.key, name.count + (there == halves[1].ids.end() ? 0 : halves[1].names[there->second].count));
      }
      for (const HalfNames::Name& name : halves[1].names) {
        if (halves[0].ids.count(name.key) == 0) counts.emplace_back(name.key, name.count);
      }
      Detected detected = Detect(counts, count, project, rtp, options);
      encoding = detected.encoding;
      report.encodingReason = detected.reason + iniNote;
    }
  }
  if (encoding == Encoding::kAuto) encoding = Encoding::kCp1252;  // bytes: single-byte steps
  report.encoding = options.decode ? std::string(EncodingName(encoding)) : "ANSI";
  const Names names{options, encoding};
  std::set<std::string> used;  // Folder\file in the project that a reference finds
  // Many references share a name: sort each list once, small.
  std::set<std::string> neededSeen, missingSeen;
  // What a name resolves to and how it shows, worked out once per name on
  // each half of the list (two threads sharing one would contend for it).
  auto resolve = [&](HalfNames::Name& out) {
    const auto [folder, name] = out.key;
    auto how = std::make_shared<Resolution>();
    out.resolution = how;
    Shown shown = Display(name, names);
    if (!shown.exact) how->nameBytes = Hex(name);
    how->name = std::move(shown.text);
    const auto target = TargetOf(folder, name, encoding);
    if (!target) return;
    const auto keys = names.KeysOf(target->name);
    const FileKind kind = lcf::KindOf(folder);
    if (std::vector<std::string> files = project.Find(target->folder, kind, keys); !files.empty()) {
      how->files = std::move(files);
      out.status = Status::kProject;
    } else if (std::vector<std::string> inRtp = rtp.Find(target->folder, kind, keys); !inRtp.empty()) {
      how->files = std::move(inRtp);
      out.status = Status::kRtp;
    }
  };
  if (sizing.joinable()) sizing.join();
  if (sizingFailed) std::rethrow_exception(sizingFailed);
  // Places shown as they were read are the collection's own texts; the
  // others are decoded into the report's, one store per half.
  report.texts.push_back(collected.texts);
  auto shown = std::make_shared<lcf::TextStore>(), secondShown = std::make_shared<lcf::TextStore>();
  auto entries = [&](std::size_t begin, std::size_t end) {
    lcf::TextStore& decoded = begin == 0 ? *shown : *secondShown;
    auto reference = collected.references.At(begin);
    for (std::size_t index = begin; index < end; ++index, ++reference) {
      const lcf::Reference& r = *reference;
      HalfNames::Name& how = halves[index < split ? 0 : 1].names[nameOf[index]];
      if (!how.resolution) resolve(how);
      Entry& e = report.references[index];
      e.folder = r.folder;
      e.where = r.plainWhere || PrintableAscii(r.where) ? r.where : decoded.Keep(Display(r.where, names).text);
      e.status = how.status;
      e.resolution = how.resolution;
    }
  };
  if (spilled) {
    // The entries are made as they are read back.
    std::vector<SpilledEntriesOf::Name> resolved;
    resolved.reserve(halves[0].names.size());
    for (HalfNames::Name& how : halves[0].names) {
      resolve(how);
      resolved.push_back({how.status, how.resolution});
    }
    report.spilled = std::make_shared<SpilledEntriesOf>(spilled, std::move(resolved), options, encoding);
  } else if (split < count) {
    // Each half's names are its own thread's to resolve: the halves are
    // those of the pass above.
    InTwoHalves(count, entries, entries, [] {});
  } else {
    entries(0, count);
  }
  report.texts.push_back(std::move(shown));
  report.texts.push_back(std::move(secondShown));
  // The summary lists take each name where the whole list first names it.
  for (const HalfNames::Name* how : byFirstUse) {
    const std::vector<std::string>& files = how->resolution->files;
    if (how->status == Status::kProject) {
      used.insert(files.begin(), files.end());
    } else if (how->status == Status::kRtp) {
      for (const std::string& f : files) {
        if (neededSeen.insert(f).second) report.needed.push_back(f);
      }
    } else {
      std::string named = std::string(lcf::FolderName(how->key.first)) + "\\" + how->resolution->name;
      if (missingSeen.insert(names.Key(named)).second) report.missing.push_back(std::move(named));
    }
  }

  std::set<std::string> possiblySeen;
  for (const lcf::DynamicName& d : collected.dynamic) {
    DynamicEntry entry{d.folder, Display(d.name, names).text, Display(d.where, names).text, {}, {}};
    if (d.numbered) {
      const Numbered n = NumberedOf(d);
      const Shown stem = Display(n.stem, names);
      entry.pattern = stem.text + std::string(n.digits, '#');
      // A stem with folder steps or that does not decode is found by its bytes.
      const auto target = TargetOf(d.folder, n.stem, encoding);
      if (target) {
        const auto decoded = names.Decode(target->name);
        const std::string stemKey = decoded ? names.Key(*decoded) : AsciiLower(target->name);
        const FileKind kind = lcf::KindOf(d.folder);
        entry.files = project.FindNumbered(target->folder, kind, stemKey, n.digits);
        used.insert(entry.files.begin(), entry.files.end());
        for (const std::string& file : rtp.FindNumbered(target->folder, kind, stemKey, n.digits)) {
          // An RTP file the project has under the same name is there already.
          const std::string stemOnly = file.substr(file.find('\\') + 1, file.rfind('.') - file.find('\\') - 1);
          if (!project.Find(target->folder, kind, {names.Key(stemOnly)}).empty()) continue;
          if (possiblySeen.insert(file).second) report.possiblyNeeded.push_back(file);
        }
      }
    }
    report.dynamic.push_back(std::move(entry));
  }

  for (Folder folder : lcf::AllFolders()) {
    const auto index = static_cast<std::size_t>(folder);
    for (const std::string& file : project.folders[index].all) {
      std::string entry = std::string(lcf::FolderName(folder)) + "\\" + file;
      if (used.count(entry) == 0) report.unused.push_back(std::move(entry));
    }
  }
  SortUnique(report.needed);
  SortUnique(report.missing);
  SortUnique(report.unused);
  SortUnique(report.possiblyNeeded);
  // What a fixed name needs already is no longer a maybe.
  std::erase_if(report.possiblyNeeded,
                [&](const std::string& file) { return neededSeen.count(file) != 0; });
  return report;
}

}  // namespace

Report Resolve(const FileSystem& fs, const Options& options, const lcf::Collected& collected) {
  return ResolveCollected(fs, options, collected);
}

Report Resolve(const FileSystem& fs, const Options& options, lcf::Collected&& collected) {
  return ResolveCollected(fs, options, collected);
}

std::size_t ReferenceCount(const Report& report) {
  return report.spilled ? report.spilled->Count() : report.references.size();
}

EntrySlice EntriesOf(const Report& report, std::size_t begin, std::size_t end) {
  EntrySlice slice;
  if (report.spilled) {
    report.spilled->Read(begin, end, slice);
  } else {
    slice.view = std::span<const Entry>(report.references).subspan(begin, end - begin);
  }
  return slice;
}

Report BuildReport(const FileSystem& fs, const Options& options, std::uint64_t spillAbove) {
  return Resolve(fs, options, CollectProject(fs, options.projectFolder, {}, spillAbove));
}

std::string AsciiLower(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

std::string ProblemText(const lcf::Problem& problem) {
  if (problem.offset == lcf::Problem::kNoOffset) return problem.file + ": " + problem.message;
  return problem.file + ", offset " + std::to_string(problem.offset) + ": " + problem.message;
}

}  // namespace quillfen::report
