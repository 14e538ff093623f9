// Text comparison of the user's locale, ignoring letter case. One
// implementation per platform: CompareStringA on Windows; elsewhere an
// order that follows it for the names a game uses (see the POSIX file).
#pragma once

#include <cstddef>
#include <string_view>

namespace quillfen {

// <0, 0 or >0.
int CompareTextIgnoreCase(std::string_view a, std::string_view b);

// The platform's character upper-casing of ANSI text, in place.
void UpperCaseInPlace(char* text, std::size_t length);

}  // namespace quillfen
