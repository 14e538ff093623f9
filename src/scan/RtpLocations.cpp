#include "RtpLocations.h"

#include <array>

#include "Import.h"

namespace quillfen {
namespace {

struct KeyPlace {
  RegistryRoot root;
  std::string_view rootName;
};

constexpr std::array<KeyPlace, 2> kRoots = {{
    {RegistryRoot::kCurrentUser, "HKEY_CURRENT_USER"},
    {RegistryRoot::kLocalMachine, "HKEY_LOCAL_MACHINE"},
}};

constexpr std::array<std::string_view, 2> k2000Keys = {"Software\\ASCII\\RPG2000",
                                                       "Software\\KADOKAWA\\RPG2000"};
constexpr std::array<std::string_view, 2> k2003Keys = {"Software\\Enterbrain\\RPG2003",
                                                       "Software\\KADOKAWA\\RPG2003"};

const std::array<std::string_view, 2>& KeysOf(RtpEdition edition) {
  return edition == RtpEdition::Rpg2003 ? k2003Keys : k2000Keys;
}

bool EndsInSeparator(std::string_view path) {
  return !path.empty() && (path.back() == '\\' || path.back() == '/');
}

std::string WithSeparator(std::string path) {
  if (!EndsInSeparator(path)) path += '\\';
  return path;
}

std::string Variable(const RtpSources& s, const std::string& name) {
  auto it = s.environment.find(name);
  return it == s.environment.end() ? std::string() : it->second;
}

std::vector<std::string> SplitList(std::string_view list, std::string_view separators) {
  std::vector<std::string> entries;
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t end = list.find_first_of(separators, start);
    if (end == std::string_view::npos) end = list.size();
    if (end > start) entries.emplace_back(list.substr(start, end - start));
    start = end + 1;
  }
  return entries;
}

// ApplicationPath of one key, with a separator; empty when it has none.
std::string EditorFolderOf(const Registry& registry, RegistryRoot root, std::string_view key) {
  auto editor = registry.ReadStringUnder(root, std::string(key), kEditorValue);
  return editor && !editor->empty() ? WithSeparator(*editor) : std::string();
}

std::string FirstEditorFolder(RtpEdition edition, const RtpSources& s) {
  for (std::string_view key : KeysOf(edition)) {
    for (const KeyPlace& place : kRoots) {
      std::string editor = EditorFolderOf(s.registry, place.root, key);
      if (!editor.empty()) return editor;
    }
  }
  return {};
}

std::optional<RtpLocation> FromEnvironment(RtpEdition edition, const RtpSources& s) {
  const std::string own = edition == RtpEdition::Rpg2003 ? "RPG2K3_RTP_PATH" : "RPG2K_RTP_PATH";
  // A drive letter's colon is no separator on Windows.
  const std::string_view separators = s.windows ? ";" : ":;";
  for (const std::string& name : {own, std::string("RPG_RTP_PATH")}) {
    for (const std::string& entry : SplitList(Variable(s, name), separators)) {
      if (s.fs.DirectoryExists(entry)) return RtpLocation{WithSeparator(entry), {}, name};
    }
  }
  return std::nullopt;
}

std::optional<RtpLocation> FromRegistry(RtpEdition edition, const RtpSources& s) {
  for (std::string_view key : KeysOf(edition)) {
    for (const KeyPlace& place : kRoots) {
      auto rtp = s.registry.ReadStringUnder(place.root, std::string(key), kRtpValue);
      if (!rtp || rtp->empty() || !s.fs.DirectoryExists(*rtp)) continue;
      return RtpLocation{WithSeparator(*rtp), EditorFolderOf(s.registry, place.root, key),
                         std::string(place.rootName) + "\\" + std::string(key)};
    }
  }
  return std::nullopt;
}

bool IsAbsolute(std::string_view path) { return !path.empty() && path.front() == '/'; }

std::string TrimTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

// The data folders of the XDG base directories, where a system keeps the RTP.
std::optional<RtpLocation> FromDataFolders(RtpEdition edition, const RtpSources& s) {
  const std::string tail = "/rtp/" + std::string(EditionName(edition));
  // Relative paths in these variables are invalid and ignored.
  std::string home = Variable(s, "XDG_DATA_HOME");
  if (!IsAbsolute(home)) {
    const std::string user = Variable(s, "HOME");
    home = IsAbsolute(user) ? TrimTrailingSlashes(user) + "/.local/share" : std::string();
  }
  if (!home.empty()) {
    const std::string folder = TrimTrailingSlashes(home) + tail;
    if (s.fs.DirectoryExists(folder))
      return RtpLocation{WithSeparator(folder), {}, "XDG_DATA_HOME"};
  }
  std::string dirs = Variable(s, "XDG_DATA_DIRS");
  if (dirs.empty()) dirs = "/usr/local/share:/usr/share";
  for (const std::string& dir : SplitList(dirs, ":")) {
    if (!IsAbsolute(dir)) continue;
    const std::string folder = TrimTrailingSlashes(dir) + tail;
    if (s.fs.DirectoryExists(folder))
      return RtpLocation{WithSeparator(folder), {}, "XDG_DATA_DIRS"};
  }
  return std::nullopt;
}

}  // namespace

std::string_view EditionName(RtpEdition edition) {
  return edition == RtpEdition::Rpg2003 ? "2003" : "2000";
}

const std::vector<std::string>& RtpEnvironmentNames() {
  static const std::vector<std::string> names = {"RPG2K_RTP_PATH", "RPG2K3_RTP_PATH",
                                                 "RPG_RTP_PATH",   "XDG_DATA_HOME",
                                                 "XDG_DATA_DIRS",  "HOME"};
  return names;
}

std::optional<RtpLocation> FindRtp(RtpEdition edition, const RtpSources& sources) {
  std::optional<RtpLocation> found;
  if (sources.rtpOverride) {
    // Given but empty names no RTP, rather than the root of a drive.
    if (sources.rtpOverride->empty()) return std::nullopt;
    found = RtpLocation{WithSeparator(*sources.rtpOverride), {}, "--rtp"};
  }
  if (!found) found = FromEnvironment(edition, sources);
  bool fromKey = false;
  if (!found) {
    found = FromRegistry(edition, sources);
    fromKey = found.has_value();
  }
  if (!found && !sources.windows) found = FromDataFolders(edition, sources);
  if (!found) return std::nullopt;
  if (sources.editorOverride) {
    found->editorFolder =
        sources.editorOverride->empty() ? std::string() : WithSeparator(*sources.editorOverride);
  } else if (!fromKey) {
    found->editorFolder = FirstEditorFolder(edition, sources);
  }
  return found;
}

std::string FolderShown(const std::string& folder) {
  if (folder.size() > 1 && EndsInSeparator(folder)) return folder.substr(0, folder.size() - 1);
  return folder;
}

std::string DescribeRtp(const RtpLocation& location) {
  return FolderShown(location.folder) + " (from " + location.source + ")";
}

}  // namespace quillfen
