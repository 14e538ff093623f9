#include <windows.h>

#include "TextDecode.h"

namespace quillfen {

bool NamesNeedDecoding() { return false; }

std::optional<CodePage> AnsiCodePage() {
  switch (::GetACP()) {
    case 932: return CodePage::kShiftJis;
    case 1252: return CodePage::kCp1252;
    default: return std::nullopt;
  }
}

std::optional<std::string> DecodeToUtf8(std::string_view bytes, CodePage codePage) {
  if (bytes.empty()) return std::string();
  const UINT cp = codePage == CodePage::kShiftJis ? 932 : 1252;
  const int inLength = static_cast<int>(bytes.size());
  const int wide = ::MultiByteToWideChar(cp, MB_ERR_INVALID_CHARS, bytes.data(), inLength, nullptr, 0);
  if (wide <= 0) return std::nullopt;
  std::wstring w(static_cast<std::size_t>(wide), L'\0');
  ::MultiByteToWideChar(cp, MB_ERR_INVALID_CHARS, bytes.data(), inLength, w.data(), wide);
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return std::nullopt;
  std::string out(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, out.data(), size, nullptr, nullptr);
  return out;
}

}  // namespace quillfen
