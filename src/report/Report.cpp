#include "Report.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <array>
#include <atomic>
#include <exception>
#include <functional>
#include <map>
#include <set>
#include <system_error>
#include <thread>
#include <unordered_map>

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
bool PrintableAscii(std::string_view bytes) {
  // Eight bytes at a time: none below 0x20, none of 0x7F and above.
  constexpr std::uint64_t kOnes = 0x0101010101010101ull, kHighs = 0x8080808080808080ull;
  while (bytes.size() >= 8) {
    std::uint64_t x;
    std::memcpy(&x, bytes.data(), 8);
    const std::uint64_t below = (x - 0x20 * kOnes) & ~x;
    const std::uint64_t del = ((x ^ 0x7F * kOnes) - kOnes) & ~(x ^ 0x7F * kOnes);
    if (((below | del) & kHighs) != 0 || (x & kHighs) != 0) return false;
    bytes.remove_prefix(8);
  }
  for (char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x20 || b >= 0x7F) return false;
  }
  return true;
}

std::string Display(std::string_view bytes, const Decoder& decode, Encoding encoding) {
  // Both code pages read ASCII as ASCII: most names and places need nothing.
  if (PrintableAscii(bytes)) return std::string(bytes);
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

// Each name the references use once, with how many use it, in the order
// of first use: most of a big game's references repeat a few hundred names,
// and what a name resolves to depends on nothing else.
struct NameUse {
  Folder folder;
  std::string_view name;  // into the collected references
  std::size_t uses = 0;
};
struct Names {
  std::vector<NameUse> distinct;
  std::vector<std::size_t> of;  // each reference's index in distinct
};

Names DistinctNames(const std::vector<lcf::Reference>& references) {
  struct Key {
    Folder folder;
    std::string_view name;
    bool operator==(const Key&) const = default;
  };
  struct Hash {
    std::size_t operator()(const Key& k) const {
      return std::hash<std::string_view>()(k.name) * 31 + static_cast<std::size_t>(k.folder);
    }
  };
  Names out;
  out.of.reserve(references.size());
  std::unordered_map<Key, std::size_t, Hash> index;
  index.reserve(1024);
  for (const lcf::Reference& r : references) {
    const auto [it, added] = index.try_emplace(Key{r.folder, r.name}, out.distinct.size());
    if (added) out.distinct.push_back({r.folder, r.name});
    ++out.distinct[it->second].uses;
    out.of.push_back(it->second);
  }
  return out;
}

// Which code page finds more of the names; on a tie the one that decodes
// more of them, then cp1252.
Encoding Detect(const Names& names, const Place& project, const Place& rtp, const Decoder& decode) {
  const bool allAscii = std::all_of(names.distinct.begin(), names.distinct.end(), [](const NameUse& n) {
    return std::all_of(n.name.begin(), n.name.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  });
  if (allAscii) return Encoding::kCp1252;  // both read ASCII alike
  auto score = [&](Encoding e) {
    std::pair<std::size_t, std::size_t> s{0, 0};
    for (const NameUse& n : names.distinct) {
      const auto target = TargetOf(n.folder, n.name, e == Encoding::kShiftJis);
      if (!target) continue;
      const auto keys = KeysOf(target->name, decode, e);
      const FileKind kind = lcf::KindOf(n.folder);
      if (!project.Find(target->folder, kind, keys).empty() ||
          !rtp.Find(target->folder, kind, keys).empty()) {
        s.first += n.uses;
      }
      if (decode(n.name, e)) s.second += n.uses;
    }
    return s;
  };
  return score(Encoding::kShiftJis) > score(Encoding::kCp1252) ? Encoding::kShiftJis
                                                                : Encoding::kCp1252;
}

// What one name resolves to, for every reference that uses it.
struct Resolved {
  std::string name;  // for display
  Status status = Status::kMissing;
  std::vector<std::string> files;
};

// Runs job(0) to job(count - 1) on two threads, each taking the next not
// yet taken. The first failure is passed on once both have stopped.
void OnTwoThreads(std::size_t count, const std::function<void(std::size_t)>& job) {
  std::atomic<std::size_t> next{0};
  auto work = [&](std::exception_ptr& failure) {
    try {
      for (std::size_t i; (i = next.fetch_add(1)) < count;) job(i);
    } catch (...) {
      failure = std::current_exception();
      next = count;
    }
  };
  std::exception_ptr otherFailure, ownFailure;
  std::thread other;
  if (count > 1) {
    try {
      other = std::thread(work, std::ref(otherFailure));
    } catch (const std::system_error&) {
      // No second thread to be had: this one does it all.
    }
  }
  work(ownFailure);
  if (other.joinable()) other.join();
  if (ownFailure) std::rethrow_exception(ownFailure);
  if (otherFailure) std::rethrow_exception(otherFailure);
}

// The project's and the RTP's resource folders.
struct Places {
  Place project, rtp;
  void List(const FileSystem& fs, const Options& options) {
    project.List(fs, options.projectFolder);
    rtp.List(fs, options.rtpFolder);
  }
};

// owned: the same collection when it is the caller's to give up; places:
// the folders when they are listed already.
Report ResolveNames(const FileSystem& fs, const Options& options, const lcf::Collected& collected,
                    lcf::Collected* owned, Places* places = nullptr) {
  Report report;
  report.is2003 = collected.is2003;
  report.problems = collected.problems;
  Places listedHere;
  if (!places) {
    listedHere.List(fs, options);
    places = &listedHere;
  }
  const Place& project = places->project;
  const Place& rtp = places->rtp;

  const Names names = DistinctNames(collected.references);
  Encoding encoding = options.encoding;
  if (options.decode && encoding == Encoding::kAuto) {
    encoding = Detect(names, project, rtp, options.decode);
  }
  report.encoding = !options.decode                    ? "ANSI"
                    : encoding == Encoding::kShiftJis ? "Shift-JIS"
                                                      : "cp1252";

  std::set<std::string> used;  // Folder\file in the project that a reference finds
  std::set<std::string> neededSeen, missingSeen;
  std::vector<Resolved> resolved;
  resolved.reserve(names.distinct.size());
  for (const NameUse& n : names.distinct) {
    Resolved e{Display(n.name, options.decode, encoding), Status::kMissing, {}};
    const auto target = TargetOf(n.folder, n.name, encoding == Encoding::kShiftJis);
    const auto keys = target ? KeysOf(target->name, options.decode, encoding)
                             : std::vector<std::string>();
    const FileKind kind = lcf::KindOf(n.folder);
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
      std::string named = std::string(lcf::FolderName(n.folder)) + "\\" + e.name;
      if (missingSeen.insert(AsciiLower(named)).second) report.missing.push_back(std::move(named));
    }
    resolved.push_back(std::move(e));
  }

  report.references.reserve(collected.references.size());
  for (std::size_t i = 0; i < collected.references.size(); ++i) {
    const lcf::Reference& r = collected.references[i];
    const Resolved& n = resolved[names.of[i]];
    // A place that shows as it is moves over when the collection is ours.
    std::string where = owned && PrintableAscii(r.where)
                            ? std::move(owned->references[i].where)
                            : Display(r.where, options.decode, encoding);
    report.references.emplace_back(r.folder, n.name, std::move(where), n.status, n.files);
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

// One map file's references and problems.
void CollectMap(const FileSystem& fs, const std::string& projectFolder, const std::string& file,
                lcf::Collected& out) {
  std::string bytes;
  try {
    bytes = fs.LoadFile(projectFolder + file);
  } catch (const FileError& e) {
    // Whether it is there at all is asked only when it cannot be read.
    if (!fs.FileExists(projectFolder + file)) {
      out.AddProblem(file, lcf::Problem::kNoOffset, "is in the map tree but not in the project");
    } else {
      out.AddProblem(file, lcf::Problem::kNoOffset, std::string("cannot be read: ") + e.what());
    }
    return;
  }
  // Big games name a file every few hundred bytes: room for them at once.
  out.references.reserve(bytes.size() / 256);
  lcf::ReadMapUnit(bytes, file, out);
}

void Append(lcf::Collected& out, lcf::Collected&& part) {
  out.references.insert(out.references.end(), std::make_move_iterator(part.references.begin()),
                        std::make_move_iterator(part.references.end()));
  out.dynamic.insert(out.dynamic.end(), std::make_move_iterator(part.dynamic.begin()),
                     std::make_move_iterator(part.dynamic.end()));
  out.problems.insert(out.problems.end(), std::make_move_iterator(part.problems.begin()),
                      std::make_move_iterator(part.problems.end()));
  for (const auto& [file, count] : part.problemsPerFile) out.problemsPerFile[file] += count;
}

}  // namespace

std::string_view StatusName(Status status) {
  switch (status) {
    case Status::kProject: return "project";
    case Status::kRtp: return "RTP";
    default: return "missing";
  }
}

lcf::Collected CollectProject(const FileSystem& fs, const std::string& projectFolder) {
  auto load = [&](const std::string& file, lcf::Collected& into) -> std::optional<std::string> {
    try {
      return fs.LoadFile(projectFolder + file);
    } catch (const FileError& e) {
      into.AddProblem(file, lcf::Problem::kNoOffset, std::string("cannot be read: ") + e.what());
      return std::nullopt;
    }
  };
  // The tree first, for the list of maps; the database is then read with
  // the maps on two threads. Each file's part is kept apart and the parts
  // are joined in the order of one thread: database, tree, maps.
  lcf::Collected tree;
  std::vector<std::string> mapFiles;
  if (auto bytes = load(kMapTree, tree)) {
    // A damaged tree may list a map more than once; it is one file.
    std::set<int> listed;
    for (const lcf::MapEntry& map : lcf::ReadMapTree(*bytes, kMapTree, tree)) {
      if (listed.insert(map.id).second) mapFiles.push_back(lcf::MapFileName(map.id));
    }
    // A damaged tree may have lost maps: the map files present stand in.
    if (tree.problemsPerFile.count(kMapTree) != 0) {
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

  std::vector<lcf::Collected> parts(mapFiles.size() + 1);
  OnTwoThreads(parts.size(), [&](std::size_t i) {
    if (i != 0) return CollectMap(fs, projectFolder, mapFiles[i - 1], parts[i]);
    if (auto db = load(kDatabase, parts[0])) lcf::ReadDatabase(*db, kDatabase, parts[0]);
  });
  lcf::Collected out = std::move(parts[0]);
  std::size_t references = out.references.size() + tree.references.size();
  for (const lcf::Collected& part : parts) references += &part == &parts[0] ? 0 : part.references.size();
  out.references.reserve(references);
  Append(out, std::move(tree));
  for (std::size_t i = 1; i < parts.size(); ++i) Append(out, std::move(parts[i]));
  return out;
}

Report Resolve(const FileSystem& fs, const Options& options, const lcf::Collected& collected) {
  return ResolveNames(fs, options, collected, nullptr);
}

Report Resolve(const FileSystem& fs, const Options& options, lcf::Collected&& collected) {
  return ResolveNames(fs, options, collected, &collected);
}

Report BuildReport(const FileSystem& fs, const Options& options) {
  // The folders are listed on a second thread while the files are read:
  // neither needs the other.
  Places places;
  std::thread lister;
  try {
    lister = std::thread([&] { places.List(fs, options); });
  } catch (const std::system_error&) {
    places.List(fs, options);
  }
  lcf::Collected collected;
  try {
    collected = CollectProject(fs, options.projectFolder);
  } catch (...) {
    if (lister.joinable()) lister.join();
    throw;
  }
  if (lister.joinable()) lister.join();
  return ResolveNames(fs, options, collected, &collected, &places);
}

std::string ProblemText(const lcf::Problem& problem) {
  if (problem.offset == lcf::Problem::kNoOffset) return problem.file + ": " + problem.message;
  return problem.file + ", offset " + std::to_string(problem.offset) + ": " + problem.message;
}

}  // namespace quillfen::report
