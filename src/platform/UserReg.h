// Reading the string values of a Wine prefix's user.reg and system.reg.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// A string value as the hive stores it; nullopt when the key or value is absent.
std::optional<std::string> HiveString(const RegHive& hive, std::string_view key,
                                      std::string_view name);

// The keys of the machine's hive that a 32-bit program's view of key
// reads, in order: the one below Software\Wow6432Node, where a 64-bit
// prefix keeps that view, then key itself, as a 32-bit prefix has it.
std::vector<std::string> MachineKeys32(std::string_view key);

}  // namespace quillfen
