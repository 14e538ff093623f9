#include <windows.h>

#include "TextDecode.h"

#include <algorithm>

namespace quillfen {
namespace {

constexpr UINT kUtf8 = CP_UTF8;

std::optional<std::wstring> ToWide(std::string_view bytes, UINT codePage) {
  if (bytes.empty()) return std::wstring();
  const int inLength = static_cast<int>(bytes.size());
  const int wide = ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), inLength, nullptr, 0);
  if (wide <= 0) return std::nullopt;
  std::wstring w(static_cast<std::size_t>(wide), L'\0');
  ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), inLength, w.data(), wide);
  return w;
}

// nullopt when some character has no form in the code page.
std::optional<std::string> FromWide(const std::wstring& w, UINT codePage) {
  if (w.empty()) return std::string();
  const int inLength = static_cast<int>(w.size());
  BOOL usedDefault = FALSE;
  BOOL* lossy = codePage == kUtf8 ? nullptr : &usedDefault;
  const DWORD flags = codePage == kUtf8 ? 0 : WC_NO_BEST_FIT_CHARS;
  const int size = ::WideCharToMultiByte(codePage, flags, w.data(), inLength, nullptr, 0, nullptr, lossy);
  if (size <= 0 || usedDefault) return std::nullopt;
  std::string out(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(codePage, flags, w.data(), inLength, out.data(), size, nullptr, lossy);
  return out;
}

std::string AsciiLower(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

// NormalizeString is in kernel32 from Vista on, and in normaliz.dll where
// XP has it installed; without either, names are compared as they are.
using NormalizeFn = int(WINAPI*)(int form, LPCWSTR source, int sourceLength, LPWSTR out, int outLength);
constexpr int kNormalizationC = 1;

NormalizeFn Normalizer() {
  static const NormalizeFn fn = [] {
    FARPROC p = nullptr;
    if (HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll")) p = ::GetProcAddress(kernel, "NormalizeString");
    if (!p) {
      if (HMODULE normaliz = ::LoadLibraryW(L"normaliz.dll")) p = ::GetProcAddress(normaliz, "NormalizeString");
    }
    return reinterpret_cast<NormalizeFn>(reinterpret_cast<void*>(p));
  }();
  return fn;
}

std::wstring Composed(const std::wstring& w) {
  const NormalizeFn normalize = Normalizer();
  if (!normalize || w.empty()) return w;
  int size = normalize(kNormalizationC, w.data(), static_cast<int>(w.size()), nullptr, 0);
  for (int attempt = 0; attempt < 3 && size > 0; ++attempt) {
    std::wstring out(static_cast<std::size_t>(size), L'\0');
    const int got = normalize(kNormalizationC, w.data(), static_cast<int>(w.size()), out.data(), size);
    if (got > 0) {
      out.resize(static_cast<std::size_t>(got));
      return out;
    }
    if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER) break;
    size = -got;  // the better estimate it gives back
  }
  return w;
}

}  // namespace

bool NamesNeedDecoding() { return true; }

std::optional<CodePage> AnsiCodePage() {
  switch (const UINT acp = ::GetACP()) {
    case 874: case 932: case 936: case 949: case 950:
    case 1250: case 1251: case 1252: case 1253: case 1254: case 1255: case 1256: case 1257: case 1258:
      return static_cast<CodePage>(acp);
    default:
      return std::nullopt;
  }
}

std::optional<std::string> DecodeToUtf8(std::string_view bytes, CodePage codePage) {
  const auto w = ToWide(bytes, static_cast<UINT>(codePage));
  if (!w) return std::nullopt;
  return FromWide(*w, kUtf8);
}

std::optional<std::string> EncodeFromUtf8(std::string_view text, CodePage codePage) {
  const auto w = ToWide(text, kUtf8);
  if (!w) return std::nullopt;
  return FromWide(*w, static_cast<UINT>(codePage));
}

// The upper-casing of the invariant locale is the table NTFS and the ordinal
// ignore-case comparison (CompareStringOrdinal) use; the key is that form.
std::string FoldFileName(std::string_view text) {
  const auto w = ToWide(text, kUtf8);
  if (!w) return AsciiLower(text);
  const std::wstring composed = Composed(*w);
  std::wstring key(composed.size(), L'\0');
  if (!composed.empty() &&
      ::LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, composed.data(), static_cast<int>(composed.size()),
                     key.data(), static_cast<int>(key.size())) == 0) {
    key = composed;
  }
  const auto out = FromWide(key, kUtf8);
  return out ? *out : AsciiLower(text);
}

bool WriteConsoleUtf8(std::string_view text) {
  HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD mode = 0;
  if (out == nullptr || out == INVALID_HANDLE_VALUE || !::GetConsoleMode(out, &mode)) return false;
  std::wstring w;
  if (const auto wide = ToWide(text, kUtf8)) {
    w = *wide;
  } else {
    w.assign(text.begin(), text.end());  // not UTF-8: shown byte for byte
  }
  for (std::size_t done = 0; done < w.size();) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(w.size() - done, 8192));
    DWORD written = 0;
    if (!::WriteConsoleW(out, w.data() + done, chunk, &written, nullptr) || written == 0) return done != 0;
    done += written;
  }
  return true;
}

std::vector<std::string> ListFilesUtf8(const std::string& folder) {
  std::vector<std::string> files;
  const auto wideFolder = ToWide(folder, CP_ACP);
  if (!wideFolder) return files;
  WIN32_FIND_DATAW data;
  HANDLE find = ::FindFirstFileW((*wideFolder + L"*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return files;
  do {
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    if (auto name = FromWide(data.cFileName, kUtf8)) files.push_back(std::move(*name));
  } while (::FindNextFileW(find, &data));
  ::FindClose(find);
  return files;
}

}  // namespace quillfen
