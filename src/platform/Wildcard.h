// File name patterns and order as Windows applies them to a folder listing.
#pragma once

#include <string_view>

namespace quillfen {

// FindFirstFile's wildcard match of one name: '*' any run, '?' any one
// character, letters ignoring ASCII case; a pattern ending in ".*" also
// matches names without that part ("*.*" matches every name, "hero.*"
// matches "hero"), and one ending in "." matches names without a dot.
bool MatchesWildcard(std::string_view pattern, std::string_view name);

// NTFS directory order: ordinal comparison of the upper-cased names; names
// that differ only in case fall back to their bytes so the order is total.
bool NtfsNameLess(std::string_view a, std::string_view b);

}  // namespace quillfen
