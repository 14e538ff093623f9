#include "TextCompare.h"

#include <array>
#include <cstdint>

namespace quillfen {
namespace {

// Bytes are compared one by one after this mapping: ASCII letters
// case-folded; ASCII punctuation and space (the non-alphanumeric bytes below
// 0x80) sort before digits, digits before letters, and bytes from 0x80 up
// after the letters in byte order; a shorter prefix sorts first. This
// follows CompareStringA for the plain names of game resources; it does not
// reproduce Windows' word sort, which for instance skips hyphens.
// Two texts are equal exactly when they are equal ignoring ASCII case.
constexpr int Weight(unsigned char c) {
  if (c >= 'a' && c <= 'z') return 0x200 + (c - 'a' + 'A');
  if (c >= 'A' && c <= 'Z') return 0x200 + c;
  if (c >= '0' && c <= '9') return 0x100 + c;
  if (c < 0x80) return c;
  return 0x300 + c;
}

// The weights looked up, not worked out: sorting the word list compares
// hundreds of thousands of pairs.
constexpr std::array<std::uint16_t, 256> MakeWeights() {
  std::array<std::uint16_t, 256> t{};
  for (int c = 0; c < 256; ++c) t[c] = static_cast<std::uint16_t>(Weight(static_cast<unsigned char>(c)));
  return t;
}
constexpr std::array<std::uint16_t, 256> kWeights = MakeWeights();

}  // namespace

int CompareTextIgnoreCase(std::string_view a, std::string_view b) {
  const std::size_t n = a.size() < b.size() ? a.size() : b.size();
  const auto* pa = reinterpret_cast<const unsigned char*>(a.data());
  const auto* pb = reinterpret_cast<const unsigned char*>(b.data());
  for (std::size_t i = 0; i < n; ++i) {
    if (pa[i] == pb[i]) continue;
    const int wa = kWeights[pa[i]];
    const int wb = kWeights[pb[i]];
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
