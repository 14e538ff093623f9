// A registry in memory with both roots, value names matched ignoring case
// as Windows does.
#pragma once

#include <map>
#include <string>
#include <tuple>

#include "Registry.h"

namespace quillfen::testing {

class RootedRegistry : public Registry {
 public:
  void Set(RegistryRoot root, const std::string& key, const std::string& name,
           const std::string& value) {
    values_[{root, Fold(key), Fold(name)}] = value;
  }
  void Remove(RegistryRoot root, const std::string& key) {
    for (auto it = values_.begin(); it != values_.end();) {
      it = std::get<0>(it->first) == root && std::get<1>(it->first) == Fold(key) ? values_.erase(it)
                                                                                 : std::next(it);
    }
  }

  bool KeyExists(const std::string& key) const override {
    return KeyExistsUnder(RegistryRoot::kCurrentUser, key);
  }
  std::optional<std::string> ReadString(const std::string& key,
                                        const std::string& name) const override {
    return ReadStringUnder(RegistryRoot::kCurrentUser, key, name);
  }
  bool KeyExistsUnder(RegistryRoot root, const std::string& key) const override {
    for (const auto& [place, value] : values_) {
      if (std::get<0>(place) == root && std::get<1>(place) == Fold(key)) return true;
    }
    return false;
  }
  std::optional<std::string> ReadStringUnder(RegistryRoot root, const std::string& key,
                                             const std::string& name) const override {
    auto it = values_.find({root, Fold(key), Fold(name)});
    if (it == values_.end()) return std::nullopt;
    return it->second;
  }

 private:
  static std::string Fold(std::string text) {
    for (char& c : text) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    return text;
  }
  std::map<std::tuple<RegistryRoot, std::string, std::string>, std::string> values_;
};

}  // namespace quillfen::testing
