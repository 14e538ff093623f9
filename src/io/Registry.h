// Read-only view of the current user's registry.
#pragma once

#include <optional>
#include <string>

namespace quillfen {

class Registry {
 public:
  virtual ~Registry() = default;
  // key is relative to HKEY_CURRENT_USER, e.g. "Software\ASCII\RPG2000".
  virtual bool KeyExists(const std::string& key) const = 0;
  // A string value of an existing key; nullopt when the key or value is absent.
  virtual std::optional<std::string> ReadString(const std::string& key,
                                                const std::string& name) const = 0;
};

}  // namespace quillfen
