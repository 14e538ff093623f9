// The registry, opened read-only in the view a 32-bit program has.
#include "Win32Handles.h"

#include <vector>

#include "Platform.h"
#include "RegistryOverride.h"

namespace quillfen {
namespace {

HKEY RootKey(RegistryRoot root) {
  return root == RegistryRoot::kLocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

class OpenKey {
 public:
  // A 64-bit build reads what the editors' 32-bit installers wrote; 32-bit
  // Windows ignores the flag.
  OpenKey(RegistryRoot root, const std::string& path) {
    if (::RegOpenKeyExA(RootKey(root), path.c_str(), 0, KEY_READ | KEY_WOW64_32KEY, &key_) !=
        ERROR_SUCCESS) {
      key_ = nullptr;
    }
  }
  OpenKey(const OpenKey&) = delete;
  OpenKey& operator=(const OpenKey&) = delete;
  ~OpenKey() {
    if (key_) ::RegCloseKey(key_);
  }
  HKEY Get() const { return key_; }
  explicit operator bool() const { return key_ != nullptr; }

 private:
  HKEY key_ = nullptr;
};

// %VAR% references of a REG_EXPAND_SZ value expanded, as its readers expect.
std::string Expand(const std::string& text) {
  std::vector<char> buffer(text.size() + 256);
  for (int attempt = 0; attempt < 4; ++attempt) {
    const DWORD needed =
        ::ExpandEnvironmentStringsA(text.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
    if (needed == 0) return text;
    if (needed <= buffer.size()) return std::string(buffer.data());
    buffer.resize(needed);
  }
  return text;
}

class Win32Registry final : public Registry {
 public:
  bool KeyExists(const std::string& key) const override {
    return KeyExistsUnder(RegistryRoot::kCurrentUser, key);
  }

  std::optional<std::string> ReadString(const std::string& key,
                                        const std::string& name) const override {
    return ReadStringUnder(RegistryRoot::kCurrentUser, key, name);
  }

  bool KeyExistsUnder(RegistryRoot root, const std::string& key) const override {
    return static_cast<bool>(OpenKey(root, key));
  }

  std::optional<std::string> ReadStringUnder(RegistryRoot root, const std::string& key,
                                             const std::string& name) const override {
    OpenKey open(root, key);
    if (!open) return std::nullopt;
    std::vector<char> buffer(MAX_PATH + 1);
    // The value may grow between the calls; try again with the new size.
    for (int attempt = 0; attempt < 8; ++attempt) {
      DWORD type = 0;
      DWORD size = static_cast<DWORD>(buffer.size() - 1);
      const LONG status = ::RegQueryValueExA(open.Get(), name.c_str(), nullptr, &type,
                                             reinterpret_cast<BYTE*>(buffer.data()), &size);
      if (status == ERROR_MORE_DATA) {
        buffer.assign(size + 2, '\0');
        continue;
      }
      if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return std::nullopt;
      buffer[size] = '\0';
      // A string ends at its first NUL; stored terminators are not text.
      std::string text(buffer.data());
      return type == REG_EXPAND_SZ ? Expand(text) : text;
    }
    return std::nullopt;
  }
};

}  // namespace

std::unique_ptr<Registry> MakeRegistry(const RegistryOptions& options) {
  return OverrideToolLocations(std::make_unique<Win32Registry>(), options.rtpFolder,
                               options.editorFolder);
}

}  // namespace quillfen
