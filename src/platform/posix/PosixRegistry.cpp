// The registry as a Wine prefix keeps it: the current user's keys in
// user.reg, the machine's in system.reg.
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <sstream>
#include <utility>

#include "Platform.h"
#include "PosixPaths.h"
#include "RegistryOverride.h"
#include "UserReg.h"

namespace quillfen {
namespace {

// No prefix or no such file simply means no keys.
RegHive ReadHive(const std::string& path) {
  std::optional<std::string> file = posix::ResolveExisting(path);
  if (!file) return {};
  std::ifstream in(*file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return ParseUserReg(text.str());
}

class WineRegistry final : public Registry {
 public:
  explicit WineRegistry(std::string prefix)
      : user_(ReadHive(prefix + "/user.reg")), prefix_(std::move(prefix)) {}

  bool KeyExists(const std::string& key) const override { return HiveHasKey(user_, key); }

  std::optional<std::string> ReadString(const std::string& key,
                                        const std::string& name) const override {
    return Mapped(HiveString(user_, key, name));
  }

  bool KeyExistsUnder(RegistryRoot root, const std::string& key) const override {
    if (root == RegistryRoot::kCurrentUser) return KeyExists(key);
    for (const std::string& view : MachineKeys32(key)) {
      if (HiveHasKey(Machine(), view)) return true;
    }
    return false;
  }

  std::optional<std::string> ReadStringUnder(RegistryRoot root, const std::string& key,
                                             const std::string& name) const override {
    if (root == RegistryRoot::kCurrentUser) return ReadString(key, name);
    for (const std::string& view : MachineKeys32(key)) {
      if (auto value = HiveString(Machine(), view, name)) return Mapped(std::move(value));
    }
    return std::nullopt;
  }

 private:
  // system.reg is large and rarely needed: read on the first question.
  const RegHive& Machine() const {
    std::call_once(machineRead_, [this] { machine_ = ReadHive(prefix_ + "/system.reg"); });
    return machine_;
  }

  std::optional<std::string> Mapped(std::optional<std::string> value) const {
    if (!value) return std::nullopt;
    // A string ends at its first NUL, as the Win32 readers see it.
    value->erase(std::min(value->find('\0'), value->size()));
    return posix::MapWindowsPath(prefix_, *value);
  }

  RegHive user_;
  std::string prefix_;
  mutable std::once_flag machineRead_;
  mutable RegHive machine_;
};

std::string WinePrefix(const RegistryOptions& options) {
  if (options.winePrefix) return *options.winePrefix;
  if (const char* prefix = std::getenv("WINEPREFIX"); prefix && *prefix) return prefix;
  const char* home = std::getenv("HOME");
  return std::string(home && *home ? home : ".") + "/.wine";
}

}  // namespace

std::unique_ptr<Registry> MakeRegistry(const RegistryOptions& options) {
  return OverrideToolLocations(std::make_unique<WineRegistry>(WinePrefix(options)),
                               options.rtpFolder, options.editorFolder);
}

}  // namespace quillfen
