// The current user's registry, opened read-only.
#include "Win32Handles.h"

#include <vector>

#include "Platform.h"
#include "RegistryOverride.h"

namespace quillfen {
namespace {

class OpenKey {
 public:
  explicit OpenKey(const std::string& path) {
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key_) != ERROR_SUCCESS) {
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
  bool KeyExists(const std::string& key) const override { return static_cast<bool>(OpenKey(key)); }

  std::optional<std::string> ReadString(const std::string& key,
                                        const std::string& name) const override {
    OpenKey open(key);
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
