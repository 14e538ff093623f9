#include "TextDecode.h"

#include <errno.h>
#include <iconv.h>
#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <map>
#include <memory>

namespace quillfen {
namespace {

const char* IconvName(CodePage codePage) {
  switch (codePage) {
    case CodePage::kThai: return "WINDOWS-874";
    case CodePage::kShiftJis: return "CP932";  // the Windows form of Shift-JIS
    case CodePage::kGbk: return "CP936";
    case CodePage::kKorean: return "CP949";
    case CodePage::kBig5: return "CP950";
    default: break;
  }
  static thread_local std::string name;
  name = "CP" + std::to_string(static_cast<unsigned>(codePage));
  return name.c_str();
}

// One converter per direction and code page and thread: opening one costs
// more than converting a name.
iconv_t Converter(CodePage codePage, bool toUtf8) {
  struct Closer {
    void operator()(void* cd) const { ::iconv_close(static_cast<iconv_t>(cd)); }
  };
  static thread_local std::map<std::pair<unsigned, bool>, std::unique_ptr<void, Closer>> open;
  auto& slot = open[{static_cast<unsigned>(codePage), toUtf8}];
  if (!slot) {
    const char* page = IconvName(codePage);
    iconv_t cd = toUtf8 ? ::iconv_open("UTF-8", page) : ::iconv_open(page, "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) return cd;
    slot.reset(cd);
  }
  ::iconv(static_cast<iconv_t>(slot.get()), nullptr, nullptr, nullptr, nullptr);  // initial state
  return static_cast<iconv_t>(slot.get());
}

bool IsAscii(std::string_view bytes) {
  for (char c : bytes) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

std::optional<std::string> Convert(std::string_view bytes, CodePage codePage, bool toUtf8) {
  if (IsAscii(bytes)) return std::string(bytes);
  iconv_t cd = Converter(codePage, toUtf8);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string in(bytes);
  std::string out(bytes.size() * 4 + 16, '\0');
  char* inPtr = in.data();
  std::size_t inLeft = in.size();
  char* outPtr = out.data();
  std::size_t outLeft = out.size();
  if (::iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1) || inLeft != 0) {
    return std::nullopt;
  }
  // Vietnamese and Hebrew hold a letter back in case a combining mark follows.
  if (::iconv(cd, nullptr, nullptr, &outPtr, &outLeft) == static_cast<std::size_t>(-1)) {
    return std::nullopt;
  }
  out.resize(out.size() - outLeft);
  return out;
}

std::string AsciiLower(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

}  // namespace

bool NamesNeedDecoding() { return true; }

std::optional<CodePage> AnsiCodePage() { return std::nullopt; }

std::optional<std::string> DecodeToUtf8(std::string_view bytes, CodePage codePage) {
  return Convert(bytes, codePage, true);
}

std::optional<std::string> EncodeFromUtf8(std::string_view text, CodePage codePage) {
  return Convert(text, codePage, false);
}

bool WriteConsoleUtf8(std::string_view) { return false; }

std::string FoldFileName(std::string_view text) {
  if (IsAscii(text)) return AsciiLower(text);
  UErrorCode status = U_ZERO_ERROR;
  const icu::Normalizer2* nfd = icu::Normalizer2::getNFDInstance(status);
  const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(status);
  if (U_FAILURE(status)) return AsciiLower(text);
  const icu::UnicodeString source = icu::UnicodeString::fromUTF8(
      icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
  if (source.indexOf(static_cast<UChar>(0xFFFD)) >= 0) return AsciiLower(text);  // not UTF-8
  // Decomposed first, so that a letter and its accent fold as one; then
  // composed again, the form names are most often stored in.
  icu::UnicodeString decomposed = nfd->normalize(source, status);
  icu::UnicodeString folded;
  for (int32_t i = 0; i < decomposed.length();) {
    const UChar32 c = decomposed.char32At(i);
    folded.append(u_foldCase(c, U_FOLD_CASE_DEFAULT));
    i += U16_LENGTH(c);
  }
  const icu::UnicodeString composed = nfc->normalize(folded, status);
  if (U_FAILURE(status)) return AsciiLower(text);
  std::string out;
  composed.toUTF8String(out);
  return out;
}

}  // namespace quillfen
