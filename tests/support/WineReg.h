// Writing a Wine prefix's user.reg or system.reg for tests.
#pragma once

#include <string>
#include <vector>

namespace quillfen::testing {

struct RegValue {
  std::string key;  // "Software\ASCII\RPG2000"
  std::string name;
  std::string value;
};

inline std::string RegEscape(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out;
}

// One section per value, as Wine writes them (it merges repeated keys).
inline std::string RegFile(const std::vector<RegValue>& values) {
  std::string text = "WINE REGISTRY Version 2\n\n#arch=win64\n\n";
  for (const RegValue& v : values) {
    // Appended piece by piece: "[" + temporary trips a false -Wrestrict in GCC 12.
    text.append("[").append(RegEscape(v.key)).append("] 1700000000\n\"");
    text.append(RegEscape(v.name)).append("\"=\"").append(RegEscape(v.value)).append("\"\n\n");
  }
  return text;
}

}  // namespace quillfen::testing
