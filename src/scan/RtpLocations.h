// Where the RTP of each editor is found: the places the engines look, in
// their order, with the editor folder that belongs to it and the name of
// the place, for the user to see.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Environment.h"
#include "FileSystem.h"
#include "Registry.h"

namespace quillfen {

enum class RtpEdition { Rpg2000, Rpg2003 };

std::string_view EditionName(RtpEdition edition);  // "2000", "2003"

struct RtpLocation {
  std::string folder;        // ends with a separator
  std::string editorFolder;  // where Harmony.dll is; ends with a separator, empty when unknown
  // Where it was found, for people: "--rtp", "RPG2K3_RTP_PATH",
  // "HKEY_CURRENT_USER\Software\Enterbrain\RPG2003", "XDG_DATA_DIRS".
  std::string source;
};


// The variables FindRtp may read; a front end gathers these.
const std::vector<std::string>& RtpEnvironmentNames();

#ifdef _WIN32
inline constexpr bool kWindowsHost = true;
#else
inline constexpr bool kWindowsHost = false;
#endif

struct RtpSources {
  const FileSystem& fs;
  const Registry& registry;
  Environment environment;
  std::optional<std::string> rtpOverride;     // taken as given, whether it exists or not
  std::optional<std::string> editorOverride;  // stands for every key's editor folder
  bool windows = kWindowsHost;                // list separators; the XDG folders only elsewhere
};

// The first of: the override; the edition's variable, then RPG_RTP_PATH
// (lists, first existing folder wins); RuntimePackagePath of the edition's
// keys, each under the current user, then the machine, where the folder
// exists; off Windows, rtp/2000 or rtp/2003 under XDG_DATA_HOME, then under
// each folder of XDG_DATA_DIRS. The editor folder is ApplicationPath of the
// key that gave the RTP; for the other places, of the first of the
// edition's keys that has one.
std::optional<RtpLocation> FindRtp(RtpEdition edition, const RtpSources& sources);

// "/usr/share/rtp/2003 (from XDG_DATA_DIRS)"
std::string DescribeRtp(const RtpLocation& location);
// The folder without its trailing separator.
std::string FolderShown(const std::string& folder);

}  // namespace quillfen
