#include "Wildcard.h"

#include <cstddef>
#include <string>

namespace quillfen {
namespace {

unsigned char Fold(char c) {
  const auto u = static_cast<unsigned char>(c);
  return (u >= 'a' && u <= 'z') ? static_cast<unsigned char>(u - 'a' + 'A') : u;
}

// Plain '*' and '?' matching, iterative with one backtrack point.
bool MatchPlain(std::string_view pattern, std::string_view name) {
  std::size_t p = 0;
  std::size_t n = 0;
  std::size_t starP = std::string_view::npos;
  std::size_t starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starN = n;
    } else if (p < pattern.size() && (pattern[p] == '?' || Fold(pattern[p]) == Fold(name[n]))) {
      ++p;
      ++n;
    } else if (starP != std::string_view::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

}  // namespace

bool MatchesWildcard(std::string_view pattern, std::string_view name) {
  if (MatchPlain(pattern, name)) return true;
  if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*") {
    return MatchPlain(pattern.substr(0, pattern.size() - 2), name);
  }
  if (!pattern.empty() && pattern.back() == '.' && name.find('.') == std::string_view::npos) {
    return MatchPlain(pattern.substr(0, pattern.size() - 1), name);
  }
  return false;
}

bool NtfsNameLess(std::string_view a, std::string_view b) {
  const std::size_t n = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned char ca = Fold(a[i]);
    const unsigned char cb = Fold(b[i]);
    if (ca != cb) return ca < cb;
  }
  if (a.size() != b.size()) return a.size() < b.size();
  return a < b;
}

}  // namespace quillfen
