#include "RegistryOverride.h"

#include <string_view>
#include <utility>

#include "UserReg.h"

namespace quillfen {
namespace {

constexpr std::string_view kEditorKey = "Software\\ASCII\\RPG2000";

bool SameName(std::string_view a, std::string_view b) {
  IgnoreAsciiCaseLess less;
  return !less(a, b) && !less(b, a);
}

std::string_view TrimSeparators(std::string_view key) {
  while (!key.empty() && key.back() == '\\') key.remove_suffix(1);
  while (!key.empty() && key.front() == '\\') key.remove_prefix(1);
  return key;
}

// True when key is the editor's key or one of the keys above it.
bool LeadsToEditorKey(std::string_view key) {
  key = TrimSeparators(key);
  if (key.size() > kEditorKey.size()) return false;
  if (!SameName(key, kEditorKey.substr(0, key.size()))) return false;
  return key.size() == kEditorKey.size() || key.empty() || kEditorKey[key.size()] == '\\';
}

class OverriddenRegistry final : public Registry {
 public:
  OverriddenRegistry(std::unique_ptr<Registry> base, std::optional<std::string> rtpFolder,
                     std::optional<std::string> editorFolder)
      : base_(std::move(base)), rtp_(std::move(rtpFolder)), editor_(std::move(editorFolder)) {}

  bool KeyExists(const std::string& key) const override {
    if ((rtp_ || editor_) && LeadsToEditorKey(key)) return true;
    return base_->KeyExists(key);
  }

  std::optional<std::string> ReadString(const std::string& key,
                                        const std::string& name) const override {
    if (SameName(TrimSeparators(key), kEditorKey)) {
      if (rtp_ && SameName(name, "RuntimePackagePath")) return rtp_;
      if (editor_ && SameName(name, "ApplicationPath")) return editor_;
    }
    return base_->ReadString(key, name);
  }

  bool KeyExistsUnder(RegistryRoot root, const std::string& key) const override {
    if (root == RegistryRoot::kCurrentUser) return KeyExists(key);
    return base_->KeyExistsUnder(root, key);
  }

  std::optional<std::string> ReadStringUnder(RegistryRoot root, const std::string& key,
                                             const std::string& name) const override {
    if (root == RegistryRoot::kCurrentUser) return ReadString(key, name);
    return base_->ReadStringUnder(root, key, name);
  }

 private:
  std::unique_ptr<Registry> base_;
  std::optional<std::string> rtp_;
  std::optional<std::string> editor_;
};

}  // namespace

std::unique_ptr<Registry> OverrideToolLocations(std::unique_ptr<Registry> base,
                                                std::optional<std::string> rtpFolder,
                                                std::optional<std::string> editorFolder) {
  if (!rtpFolder && !editorFolder) return base;
  return std::make_unique<OverriddenRegistry>(std::move(base), std::move(rtpFolder),
                                              std::move(editorFolder));
}

}  // namespace quillfen
