// Read-only view of the registry: the current user's keys, and the machine's.
#pragma once

#include <optional>
#include <string>

namespace quillfen {

enum class RegistryRoot { kCurrentUser, kLocalMachine };

class Registry {
 public:
  virtual ~Registry() = default;
  // key is relative to HKEY_CURRENT_USER, e.g. "Software\ASCII\RPG2000".
  virtual bool KeyExists(const std::string& key) const = 0;
  // A string value of an existing key; nullopt when the key or value is absent.
  virtual std::optional<std::string> ReadString(const std::string& key,
                                                const std::string& name) const = 0;

  // The same under either root, in the view a 32-bit program has. A
  // registry that knows only the current user has no machine keys.
  virtual bool KeyExistsUnder(RegistryRoot root, const std::string& key) const {
    return root == RegistryRoot::kCurrentUser && KeyExists(key);
  }
  virtual std::optional<std::string> ReadStringUnder(RegistryRoot root, const std::string& key,
                                                     const std::string& name) const {
    if (root != RegistryRoot::kCurrentUser) return std::nullopt;
    return ReadString(key, name);
  }
};

}  // namespace quillfen
