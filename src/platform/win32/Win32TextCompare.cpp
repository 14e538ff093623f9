#include "TextCompare.h"

#include "Win32Handles.h"

#include <climits>

namespace quillfen {

int CompareTextIgnoreCase(std::string_view a, std::string_view b) {
  const int la = a.size() > INT_MAX ? INT_MAX : static_cast<int>(a.size());
  const int lb = b.size() > INT_MAX ? INT_MAX : static_cast<int>(b.size());
  const int result =
      ::CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), la, b.data(), lb);
  if (result == 0) {
    // Only on invalid arguments; fall back to an ordinal order.
    const int c = a.compare(b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
  }
  return result - CSTR_EQUAL;
}

void UpperCaseInPlace(char* text, std::size_t length) {
  while (length > 0) {
    const DWORD chunk = length > 0x40000000 ? 0x40000000 : static_cast<DWORD>(length);
    ::CharUpperBuffA(text, chunk);
    text += chunk;
    length -= chunk;
  }
}

}  // namespace quillfen
