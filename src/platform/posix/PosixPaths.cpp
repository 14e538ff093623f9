#include "PosixPaths.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <memory>
#include <string_view>

#include "UserReg.h"
#include "Wildcard.h"

namespace quillfen::posix {
namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// One component of a path and how it meets the next: a "/" always
// separates, but a "\\" may also be part of a name, as Linux allows (a
// zip unpacked there can make "old\\Map0001.lmu").
struct Piece {
  std::string text;
  bool soft = false;  // followed by a backslash
};

struct SplitPath {
  std::string root;  // "/" for absolute paths, "" for relative ones
  std::vector<Piece> pieces;
};

// Splits on both separators; "." is dropped and ".." taken back textually,
// as Windows does before a path reaches the file system. Where a piece was
// dropped the separators around it cannot be part of one name.
SplitPath Split(const std::string& path) {
  SplitPath split;
  std::vector<Piece>& pieces = split.pieces;
  if (!path.empty() && IsSeparator(path.front())) split.root.push_back('/');
  auto harden = [&] {
    if (!pieces.empty()) pieces.back().soft = false;
  };
  std::size_t pos = 0;
  while (pos <= path.size()) {
    std::size_t end = pos;
    while (end < path.size() && !IsSeparator(path[end])) ++end;
    std::string part = path.substr(pos, end - pos);
    const bool backslashAfter = end < path.size() && path[end] == '\\';
    if (part == "..") {
      if (!pieces.empty() && pieces.back().text != "..") {
        pieces.pop_back();
      } else if (split.root.empty()) {
        pieces.push_back({part, false});
      }
      harden();
    } else if (part.empty() || part == ".") {
      harden();
    } else {
      pieces.push_back({std::move(part), backslashAfter});
    }
    pos = end + 1;
  }
  harden();
  return split;
}

std::string Join(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  if (folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

bool EntryExists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

bool SameIgnoringAsciiCase(std::string_view a, std::string_view b) {
  IgnoreAsciiCaseLess less;
  return !less(a, b) && !less(b, a);
}

// The entry of folder named like name: exact spelling first, else the
// first case-insensitive match in NTFS order.
std::optional<std::string> FindEntry(const std::string& folder, const std::string& name) {
  const std::string exact = Join(folder, name);
  if (name == ".." || EntryExists(exact)) return exact;
  // A name with a backslash comes from a listing, spelt as on disk; asking
  // the folder for it in other spellings would list it once per path.
  if (name.find('\\') != std::string::npos) return std::nullopt;
  std::optional<std::vector<std::string>> entries = ListFolder(folder.empty() ? "." : folder);
  if (!entries) return std::nullopt;
  const std::string* best = nullptr;
  for (const std::string& entry : *entries) {
    if (!SameIgnoringAsciiCase(entry, name)) continue;
    if (best == nullptr || NtfsNameLess(entry, *best)) best = &entry;
  }
  if (best == nullptr) return std::nullopt;
  return Join(folder, *best);
}

// Bounds the trials of how backslashes group pieces into names.
constexpr int kMostTrials = 256;

// The entry below folder named by pieces[i...]: pieces joined by
// backslashes are tried as one name first, the longest first, so that a
// name as the listing gave it is found again; then as folders.
std::optional<std::string> Walk(const std::string& folder, const std::vector<Piece>& pieces, std::size_t i,
                                int& trials) {
  if (i == pieces.size()) return folder.empty() ? std::string(".") : folder;
  std::size_t last = i;
  while (last + 1 < pieces.size() && pieces[last].soft) ++last;
  for (std::size_t j = last + 1; j-- > i;) {
    if (--trials < 0) return std::nullopt;
    std::string name = pieces[i].text;
    for (std::size_t k = i + 1; k <= j; ++k) name += "\\" + pieces[k].text;
    std::optional<std::string> entry = FindEntry(folder, name);
    if (!entry) continue;
    if (std::optional<std::string> found = Walk(*entry, pieces, j + 1, trials)) return found;
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::vector<std::string>> ListFolder(const std::string& folder) {
  std::optional<std::vector<ListedEntry>> entries = ListFolderTyped(folder);
  if (!entries) return std::nullopt;
  std::vector<std::string> names;
  names.reserve(entries->size());
  for (ListedEntry& entry : *entries) names.push_back(std::move(entry.name));
  return names;
}

std::optional<std::vector<ListedEntry>> ListFolderTyped(const std::string& folder) {
  std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
  if (!dir) return std::nullopt;
  std::vector<ListedEntry> entries;
  while (const dirent* entry = ::readdir(dir.get())) {
    const std::string_view name = entry->d_name;
    if (name == "." || name == "..") continue;
    entries.push_back({std::string(name), entry->d_type});
  }
  return entries;
}

namespace {

// The path with every backslash read as a separator: how nearly every path
// is spelt on disk.
std::string DirectOf(const SplitPath& split) {
  if (split.pieces.empty()) return {};
  std::string direct = split.root;
  for (const Piece& piece : split.pieces) direct = Join(direct, piece.text);
  return direct;
}

}  // namespace

std::string DirectSpelling(const std::string& path) { return path.empty() ? std::string() : DirectOf(Split(path)); }

std::optional<std::string> ResolveExisting(const std::string& path) {
  if (path.empty()) return std::nullopt;
  const SplitPath split = Split(path);
  // A path spelt exactly as on disk resolves to itself: one look-up
  // instead of one per folder.
  std::string direct = DirectOf(split);
  if (!direct.empty() && EntryExists(direct)) return direct;
  int trials = kMostTrials;
  return Walk(split.root, split.pieces, 0, trials);
}

std::optional<std::string> ResolveForCreate(const std::string& path) {
  const SplitPath split = Split(path);
  if (split.pieces.empty() || split.pieces.back().text == "..") return std::nullopt;
  int trials = kMostTrials;
  if (std::optional<std::string> existing = Walk(split.root, split.pieces, 0, trials)) return existing;
  // The new name is the last piece, or more of them joined by backslashes
  // when the folder the shorter name would go into does not exist.
  std::string name;
  for (std::size_t k = split.pieces.size(); k-- > 0;) {
    name = name.empty() ? split.pieces[k].text : split.pieces[k].text + "\\" + name;
    const std::vector<Piece> above(split.pieces.begin(), split.pieces.begin() + static_cast<std::ptrdiff_t>(k));
    std::optional<std::string> parent =
        above.empty() ? std::optional<std::string>(split.root) : Walk(split.root, above, 0, trials);
    if (parent) return Join(*parent, name);
    if (k == 0 || !split.pieces[k - 1].soft) break;
  }
  return std::nullopt;
}

std::string ParentOf(const std::string& resolved) {
  const std::size_t slash = resolved.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return resolved.substr(0, slash);
}

bool EndsInSeparator(const std::string& path) { return !path.empty() && IsSeparator(path.back()); }

std::string MapWindowsPath(const std::string& prefix, const std::string& value) {
  const bool hasDrive =
      value.size() >= 2 && value[1] == ':' &&
      ((value[0] >= 'A' && value[0] <= 'Z') || (value[0] >= 'a' && value[0] <= 'z'));
  if (!hasDrive || (value.size() > 2 && !IsSeparator(value[2]))) return value;

  const std::string dosdevices = Join(prefix, "dosdevices");
  std::string drive{static_cast<char>(value[0] | 0x20), ':'};  // Wine names them "c:"
  if (!EntryExists(Join(dosdevices, drive))) {
    if (std::optional<std::vector<std::string>> entries = ListFolder(dosdevices)) {
      for (const std::string& entry : *entries) {
        if (SameIgnoringAsciiCase(entry, drive)) {
          drive = entry;
          break;
        }
      }
    }
  }
  std::string rest = value.substr(2);
  std::replace(rest.begin(), rest.end(), '\\', '/');
  if (rest.empty()) rest.push_back('/');
  return Join(dosdevices, drive) + rest;
}

}  // namespace quillfen::posix
