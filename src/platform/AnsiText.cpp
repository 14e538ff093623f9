// Text between the report's UTF-8 and the ANSI calls, on top of the
// platform's converters.
#include "TextDecode.h"

namespace quillfen {
namespace {

// The length of the UTF-8 sequence at text[at] by its lead and continuation
// bytes; 0 where none starts there. What the form still forbids (overlong,
// surrogates) the converter refuses.
std::size_t SequenceLength(std::string_view text, std::size_t at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  std::size_t length = 0;
  if (lead < 0x80) {
    length = 1;
  } else if (lead >= 0xC2 && lead < 0xE0) {
    length = 2;
  } else if (lead >= 0xE0 && lead < 0xF0) {
    length = 3;
  } else if (lead >= 0xF0 && lead < 0xF5) {
    length = 4;
  }
  if (length == 0 || at + length > text.size()) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80) return 0;
  }
  return length;
}

// The text character by character through encodeOne, '?' where it fails.
template <class EncodeOne>
std::string EachCharacter(std::string_view text, EncodeOne encodeOne) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t length = SequenceLength(text, at);
    if (length == 0) {
      out += '?';
      ++at;
      continue;
    }
    const std::optional<std::string> one = encodeOne(text.substr(at, length));
    out += one ? *one : std::string("?");
    at += length;
  }
  return out;
}

#ifdef _WIN32
bool IsAscii(std::string_view text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}
#endif

}  // namespace

std::string ShownInCodePage(std::string_view text, CodePage codePage) {
  if (auto whole = EncodeFromUtf8(text, codePage)) return *whole;
  return EachCharacter(text, [codePage](std::string_view one) { return EncodeFromUtf8(one, codePage); });
}

std::string AnsiToUtf8(std::string_view ansi) {
  if (const auto page = AnsiCodePage()) {
    if (auto text = DecodeToUtf8(ansi, *page)) return *text;
  }
  return std::string(ansi);
}

std::optional<std::string> AnsiFromUtf8(std::string_view text) {
  if (const auto page = AnsiCodePage()) return EncodeFromUtf8(text, *page);
#ifdef _WIN32
  // ASCII is the same in every ANSI code page.
  if (!IsAscii(text)) return std::nullopt;
#endif
  return std::string(text);
}

std::string AnsiShownFromUtf8(std::string_view text) {
  if (const auto page = AnsiCodePage()) return ShownInCodePage(text, *page);
#ifdef _WIN32
  if (!IsAscii(text)) {
    return EachCharacter(text, [](std::string_view one) {
      return IsAscii(one) ? std::optional<std::string>(one) : std::nullopt;
    });
  }
#endif
  return std::string(text);
}

}  // namespace quillfen
