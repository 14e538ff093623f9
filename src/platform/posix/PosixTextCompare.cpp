#include "TextCompare.h"

namespace quillfen {
namespace {

// Bytes are compared one by one after this mapping: ASCII letters
// case-folded; ASCII punctuation and space (the non-alphanumeric bytes below
// 0x80) sort before digits, digits before letters, and bytes from 0x80 up
// after the letters in byte order; a shorter prefix sorts first. This
// follows CompareStringA for the plain names of game resources; it does not
// reproduce Windows' word sort, which for instance skips hyphens.
// Two texts are equal exactly when they are equal ignoring ASCII case.
int Weight(unsigned char c) {
  if (c >= 'a' && c <= 'z') return 0x200 + (c - 'a' + 'A');
  if (c >= 'A' && c <= 'Z') return 0x200 + c;
  if (c >= '0' && c <= '9') return 0x100 + c;
  if (c < 0x80) return c;
  return 0x300 + c;
}

}  // namespace

int CompareTextIgnoreCase(std::string_view a, std::string_view b) {
  const std::size_t n = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < n; ++i) {
    const int wa = Weight(static_cast<unsigned char>(a[i]));
    const int wb = Weight(static_cast<unsigned char>(b[i]));
    if (wa != wb) return wa < wb ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

void UpperCaseInPlace(char* text, std::size_t length) {
  for (std::size_t i = 0; i < length; ++i) {
    if (text[i] >= 'a' && text[i] <= 'z') text[i] = static_cast<char>(text[i] - 'a' + 'A');
  }
}

}  // namespace quillfen
