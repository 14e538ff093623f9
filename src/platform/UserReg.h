// Reading the string values of a Wine prefix's user.reg.
#pragma once

#include <map>
#include <string>
#include <string_view>

namespace quillfen {

struct IgnoreAsciiCaseLess {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const;
};

// Value name ("" for the default value) -> text in UTF-8.
using RegValues = std::map<std::string, std::string, IgnoreAsciiCaseLess>;
// Key path relative to the hive, single backslashes ("Software\ASCII\RPG2000").
using RegHive = std::map<std::string, RegValues, IgnoreAsciiCaseLess>;

// The string values (REG_SZ and REG_EXPAND_SZ) of every key in the text.
// Other value types, comments and lines it cannot read are skipped; a key
// that appears twice is merged, a value that appears twice keeps the last.
RegHive ParseUserReg(std::string_view text);

// True when the hive holds key itself or any key below it.
bool HiveHasKey(const RegHive& hive, std::string_view key);

}  // namespace quillfen
