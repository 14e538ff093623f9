#include "Report.h"

#include <algorithm>
#include <array>
#include <map>
#include <set>

namespace quillfen::report {
namespace {

using lcf::FileKind;
using lcf::Folder;

constexpr char kDatabase[] = "RPG_RT.ldb";
constexpr char kMapTree[] = "RPG_RT.lmt";

std::string AsciiLower(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

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

// A name with folder steps ("..\System\Frame") is opened relative to its
// folder; it reaches another resource folder or nothing we list.
struct Target {
  Folder folder;
  std::string name;
};
std::size_t NextSeparator(std::string_view name, std::size_t from, bool shiftJis) {
  for (std::size_t i = from; i < name.size(); ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    if (shiftJis && lcf::IsShiftJisLead(c)) {
      ++i;
      continue;
    }
    if (c == '\\' || c == '/') return i;
  }
  return std::string_view::npos;
}

std::optional<Target> TargetOf(Folder folder, std::string_view name, bool shiftJis) {
  if (NextSeparator(name, 0, shiftJis) == std::string_view::npos) {
    return Target{folder, std::string(name)};
  }
  std::vector<std::string> parts = {std::string(lcf::FolderName(folder))};
  std::size_t start = 0;
  while (start <= name.size()) {
    std::size_t end = NextSeparator(name, start, shiftJis);
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

// The name without its extension, lower-cased, when the extension is one the
// engine loads for that kind.
std::optional<std::string> LoadableKey(const std::string& file, FileKind kind) {
  const std::size_t dot = file.rfind('.');
  if (dot == std::string::npos || dot == 0) return std::nullopt;
  const std::string extension = AsciiLower(std::string_view(file).substr(dot));
  for (std::string_view e : lcf::ExtensionsOf(kind)) {
    if (extension == e) return AsciiLower(std::string_view(file).substr(0, dot));
  }
  return std::nullopt;
}

// The name without its extension, lower-cased, whatever the extension.
std::optional<std::string> StemKey(const std::string& file) {
  const std::size_t dot = file.rfind('.');
  if (dot == std::string::npos || dot == 0) return std::nullopt;
  return AsciiLower(std::string_view(file).substr(0, dot));
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

  void List(const FileSystem& fs, const std::string& root) {
    if (root.empty()) return;
    for (Folder folder : lcf::AllFolders()) {
      FolderFiles& f = folders[static_cast<std::size_t>(folder)];
      const std::string name(lcf::FolderName(folder));
      for (FileSystem::FoundEntry& entry : fs.FindEntries(root + name + "\\*.*")) {
        if (entry.folder) continue;  // nothing the engine can load
        if (auto key = StemKey(entry.name)) f.byKey[*key].push_back(entry.name);
        f.all.push_back(std::move(entry.name));
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
        if (!LoadableKey(file, kind)) continue;
        std::string entry = std::string(lcf::FolderName(folder)) + "\\" + file;
        if (std::find(out.begin(), out.end(), entry) == out.end()) out.push_back(entry);
      }
    }
    return out;
  }
};

// The keys a name may be found under: its bytes as they are (names on disk
// kept in the game's code page), and decoded.
std::vector<std::string> KeysOf(std::string_view name, const Decoder& decode, Encoding encoding) {
  std::vector<std::string> keys = {AsciiLower(name)};
  if (!decode) return keys;
  if (auto text = decode(name, encoding)) {
    std::string key = AsciiLower(*text);
    if (key != keys.front()) keys.push_back(std::move(key));
  }
  return keys;
}

// Display text: decoded, or with each byte that is not ASCII written \xNN.
// Control characters are written \xNN too: no file name has them, and in the
// text report they would move the terminal's cursor or start new lines.
std::string Display(std::string_view bytes, const Decoder& decode, Encoding encoding) {
  std::optional<std::string> text;
  if (decode) text = decode(bytes, encoding);
  const std::string_view shown = text ? std::string_view(*text) : bytes;
  std::string out;
  static const char kHex[] = "0123456789ABCDEF";
  for (char c : shown) {
    const auto b = static_cast<unsigned char>(c);
    const bool control = b < 0x20 || b == 0x7F;
    if (!control && (b < 0x80 || !decode || text)) {
      out += c;
      continue;
    }
    out += "\\x";
    out += kHex[b >> 4];
    out += kHex[b & 0xF];
  }
  return out;
}

// Which code page finds more of the names; on a tie the one that decodes
// more of them, then cp1252.
Encoding Detect(const lcf::Collected& collected, const Place& project, const Place& rtp,
                const Decoder& decode) {
  const bool allAscii = std::all_of(
      collected.references.begin(), collected.references.end(), [](const lcf::Reference& r) {
        return std::all_of(r.name.begin(), r.name.end(),
                           [](char c) { return static_cast<unsigned char>(c) < 0x80; });
      });
  if (allAscii) return Encoding::kCp1252;  // both read ASCII alike
  auto score = [&](Encoding e) {
    std::pair<int, int> s{0, 0};
    for (const lcf::Reference& r : collected.references) {
      const auto target = TargetOf(r.folder, r.name, e == Encoding::kShiftJis);
      if (!target) continue;
      const auto keys = KeysOf(target->name, decode, e);
      const FileKind kind = lcf::KindOf(r.folder);
      if (!project.Find(target->folder, kind, keys).empty() ||
          !rtp.Find(target->folder, kind, keys).empty()) {
        ++s.first;
      }
      if (decode(r.name, e)) ++s.second;
    }
    return s;
  };
  return score(Encoding::kShiftJis) > score(Encoding::kCp1252) ? Encoding::kShiftJis
                                                                : Encoding::kCp1252;
}

}  // namespace

std::string_view StatusName(Status status) {
  switch (status) {
    case Status::kProject: return "project";
    case Status::kRtp: return "RTP";
    default: return "missing";
  }
}

lcf::Collected CollectProject(const FileSystem& fs, const std::string& projectFolder,
                              const ReadProgress& progress) {
  lcf::Collected out;
  std::size_t done = 0, total = 2;
  auto announce = [&](const std::string& file) {
    if (progress) progress(file, done, total);
    ++done;
  };
  auto load = [&](const std::string& file) -> std::optional<std::string> {
    try {
      return fs.LoadFile(projectFolder + file);
    } catch (const FileError& e) {
      out.AddProblem(file, lcf::Problem::kNoOffset, std::string("cannot be read: ") + e.what());
      return std::nullopt;
    }
  };
  announce(kDatabase);
  if (auto db = load(kDatabase)) lcf::ReadDatabase(*db, kDatabase, out);

  std::vector<std::string> mapFiles;
  announce(kMapTree);
  if (auto tree = load(kMapTree)) {
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
  total = done + mapFiles.size();
  for (const std::string& file : mapFiles) {
    announce(file);
    if (!fs.FileExists(projectFolder + file)) {
      out.AddProblem(file, lcf::Problem::kNoOffset, "is in the map tree but not in the project");
      continue;
    }
    if (auto map = load(file)) lcf::ReadMapUnit(*map, file, out);
  }
  return out;
}

Report Resolve(const FileSystem& fs, const Options& options, const lcf::Collected& collected) {
  Report report;
  report.is2003 = collected.is2003;
  report.problems = collected.problems;
  Place project, rtp;
  project.List(fs, options.projectFolder);
  rtp.List(fs, options.rtpFolder);

  Encoding encoding = options.encoding;
  if (options.decode && encoding == Encoding::kAuto) {
    encoding = Detect(collected, project, rtp, options.decode);
  }
  report.encoding = !options.decode                    ? "ANSI"
                    : encoding == Encoding::kShiftJis ? "Shift-JIS"
                                                      : "cp1252";

  std::set<std::string> used;  // Folder\file in the project that a reference finds
  // Many references share a name: sort each list once, small.
  std::set<std::string> neededSeen, missingSeen;
  for (const lcf::Reference& r : collected.references) {
    Entry e{r.folder, Display(r.name, options.decode, encoding),
            Display(r.where, options.decode, encoding), Status::kMissing, {}};
    const auto target = TargetOf(r.folder, r.name, encoding == Encoding::kShiftJis);
    const auto keys = target ? KeysOf(target->name, options.decode, encoding)
                             : std::vector<std::string>();
    const FileKind kind = lcf::KindOf(r.folder);
    if (target) e.files = project.Find(target->folder, kind, keys);
    if (!e.files.empty()) {
      e.status = Status::kProject;
      used.insert(e.files.begin(), e.files.end());
    } else if (target && !(e.files = rtp.Find(target->folder, kind, keys)).empty()) {
      e.status = Status::kRtp;
      for (const std::string& f : e.files) {
        if (neededSeen.insert(f).second) report.needed.push_back(f);
      }
    } else {
      std::string named = std::string(lcf::FolderName(r.folder)) + "\\" + e.name;
      if (missingSeen.insert(AsciiLower(named)).second) report.missing.push_back(std::move(named));
    }
    report.references.push_back(std::move(e));
  }
  for (const lcf::DynamicName& d : collected.dynamic) {
    report.dynamic.push_back({d.folder, Display(d.name, options.decode, encoding),
                              Display(d.where, options.decode, encoding)});
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
  return report;
}

std::string ProblemText(const lcf::Problem& problem) {
  if (problem.offset == lcf::Problem::kNoOffset) return problem.file + ": " + problem.message;
  return problem.file + ", offset " + std::to_string(problem.offset) + ": " + problem.message;
}

}  // namespace quillfen::report
