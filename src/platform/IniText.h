// Editing one key of INI text while keeping every other byte.
#pragma once

#include <string>
#include <string_view>

namespace quillfen {

// Returns text with key=value set in [section]. Section and key names match
// ignoring ASCII case and surrounding blanks; the first matching key line of
// the first matching section that has one gets the new value (its key
// spelling and spacing kept); otherwise the key is inserted after the last
// non-blank line of the first matching section, or "[section]" and the key
// are appended at the end. Added lines use the text's own line ending
// (CRLF when it has none); a missing final newline stays missing.
// section, key and value must hold no line break, key no '=' and section
// no ']' (IsValidIniEdit tells).
std::string SetIniValue(std::string_view text, std::string_view section, std::string_view key,
                        std::string_view value);

bool IsValidIniEdit(std::string_view section, std::string_view key, std::string_view value);

}  // namespace quillfen
