// The current user's registry as a Wine prefix keeps it in user.reg.
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <utility>

#include "Platform.h"
#include "PosixPaths.h"
#include "RegistryOverride.h"
#include "UserReg.h"

namespace quillfen {
namespace {

class WineRegistry final : public Registry {
 public:
  WineRegistry(RegHive hive, std::string prefix)
      : hive_(std::move(hive)), prefix_(std::move(prefix)) {}

  bool KeyExists(const std::string& key) const override { return HiveHasKey(hive_, key); }

  std::optional<std::string> ReadString(const std::string& key,
                                        const std::string& name) const override {
    std::string_view trimmed = key;
    while (!trimmed.empty() && trimmed.back() == '\\') trimmed.remove_suffix(1);
    while (!trimmed.empty() && trimmed.front() == '\\') trimmed.remove_prefix(1);
    const auto values = hive_.find(trimmed);
    if (values == hive_.end()) return std::nullopt;
    const auto value = values->second.find(name);
    if (value == values->second.end()) return std::nullopt;
    // A string ends at its first NUL, as the Win32 readers see it.
    std::string text = value->second.substr(0, value->second.find('\0'));
    return posix::MapWindowsPath(prefix_, text);
  }

 private:
  RegHive hive_;
  std::string prefix_;
};

std::string WinePrefix(const RegistryOptions& options) {
  if (options.winePrefix) return *options.winePrefix;
  if (const char* prefix = std::getenv("WINEPREFIX"); prefix && *prefix) return prefix;
  const char* home = std::getenv("HOME");
  return std::string(home && *home ? home : ".") + "/.wine";
}

}  // namespace

std::unique_ptr<Registry> MakeRegistry(const RegistryOptions& options) {
  const std::string prefix = WinePrefix(options);
  RegHive hive;
  // No prefix or no user.reg simply means no keys.
  if (std::optional<std::string> file = posix::ResolveExisting(prefix + "/user.reg")) {
    std::ifstream in(*file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    hive = ParseUserReg(text.str());
  }
  return OverrideToolLocations(std::make_unique<WineRegistry>(std::move(hive), prefix),
                               options.rtpFolder, options.editorFolder);
}

}  // namespace quillfen
