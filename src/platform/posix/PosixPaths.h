// Windows-style paths on a POSIX file system: both "\" and "/" separate
// components and each component matches an entry ignoring letter case.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quillfen::posix {

// The path on disk of an existing entry; exact spellings win over others
// and, among names that differ only in case, the first in NTFS order.
std::optional<std::string> ResolveExisting(const std::string& path);

// The path as it would be on disk if every backslash separated and every
// letter were spelt right ("" for a path that names no entry): tried first
// where a failed try costs no more than a look-up.
std::string DirectSpelling(const std::string& path);

// The path for an entry to be created: the parent folders resolved as
// above, the last component as spelled (or the existing entry's spelling
// when one already matches). nullopt when the parent folder is missing or
// the path names no entry.
std::optional<std::string> ResolveForCreate(const std::string& path);

// The folder part of a resolved path ("." for a bare name).
std::string ParentOf(const std::string& resolved);

// True when the path ends in "\" or "/", so that it can only name a folder.
bool EndsInSeparator(const std::string& path);

// Entry names of a folder on disk, unsorted, without "." and ".."; nullopt
// when it cannot be listed.
std::optional<std::vector<std::string>> ListFolder(const std::string& folder);

// The same with each entry's type as the listing gives it (a dirent d_type:
// DT_DIR, DT_REG, DT_LNK, or DT_UNKNOWN where the file system does not say),
// which spares a stat per entry.
struct ListedEntry {
  std::string name;
  unsigned char type;
};
std::optional<std::vector<ListedEntry>> ListFolderTyped(const std::string& folder);

// "C:\Program Files\ASCII\RTP" -> "<prefix>/dosdevices/c:/Program Files/ASCII/RTP",
// through whichever drive entry the prefix has; other text is returned as is.
std::string MapWindowsPath(const std::string& prefix, const std::string& value);

}  // namespace quillfen::posix
