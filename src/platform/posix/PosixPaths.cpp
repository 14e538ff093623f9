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

struct SplitPath {
  std::string root;  // "/" for absolute paths, "" for relative ones
  std::vector<std::string> components;
};

// Splits on both separators; "." is dropped and ".." taken back textually,
// as Windows does before a path reaches the file system.
SplitPath Split(const std::string& path) {
  SplitPath split;
  if (!path.empty() && IsSeparator(path.front())) split.root.push_back('/');
  std::size_t pos = 0;
  while (pos <= path.size()) {
    std::size_t end = pos;
    while (end < path.size() && !IsSeparator(path[end])) ++end;
    std::string part = path.substr(pos, end - pos);
    if (part == "..") {
      if (!split.components.empty() && split.components.back() != "..") {
        split.components.pop_back();
      } else if (split.root.empty()) {
        split.components.push_back(part);
      }
    } else if (!part.empty() && part != ".") {
      split.components.push_back(std::move(part));
    }
    pos = end + 1;
  }
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

}  // namespace

std::optional<std::vector<std::string>> ListFolder(const std::string& folder) {
  std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
  if (!dir) return std::nullopt;
  std::vector<std::string> names;
  while (const dirent* entry = ::readdir(dir.get())) {
    const std::string_view name = entry->d_name;
    if (name == "." || name == "..") continue;
    names.emplace_back(name);
  }
  return names;
}

std::optional<std::string> ResolveExisting(const std::string& path) {
  if (path.empty()) return std::nullopt;
  const SplitPath split = Split(path);
  // A path spelt exactly as on disk resolves to itself: one look-up
  // instead of one per folder.
  std::string direct = split.root;
  for (const std::string& component : split.components) direct = Join(direct, component);
  if (!split.components.empty() && EntryExists(direct)) return direct;
  std::string current = split.root;
  for (const std::string& component : split.components) {
    std::optional<std::string> next = FindEntry(current, component);
    if (!next) return std::nullopt;
    current = std::move(*next);
  }
  if (current.empty()) current.push_back('.');
  return current;
}

std::optional<std::string> ResolveForCreate(const std::string& path) {
  const SplitPath split = Split(path);
  if (split.components.empty() || split.components.back() == "..") return std::nullopt;
  std::string current = split.root;
  for (std::size_t i = 0; i + 1 < split.components.size(); ++i) {
    std::optional<std::string> next = FindEntry(current, split.components[i]);
    if (!next) return std::nullopt;
    current = std::move(*next);
  }
  const std::string& last = split.components.back();
  if (std::optional<std::string> existing = FindEntry(current, last)) return existing;
  return Join(current, last);
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
