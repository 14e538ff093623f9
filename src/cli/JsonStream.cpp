#include "JsonStream.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <ostream>
#include <stdexcept>

namespace quillfen::cli {
namespace {

constexpr std::size_t kFlushAt = 1 << 16;

// The length of the well-formed UTF-8 sequence at text[i], or 0.
std::size_t Utf8Length(std::string_view text, std::size_t i) {
  auto in = [&](std::size_t k, unsigned low, unsigned high) {
    if (i + k >= text.size()) return false;
    const auto b = static_cast<unsigned char>(text[i + k]);
    return b >= low && b <= high;
  };
  const auto lead = static_cast<unsigned char>(text[i]);
  if (lead >= 0xC2 && lead <= 0xDF) return in(1, 0x80, 0xBF) ? 2 : 0;
  if (lead == 0xE0) return in(1, 0xA0, 0xBF) && in(2, 0x80, 0xBF) ? 3 : 0;
  if (lead == 0xED) return in(1, 0x80, 0x9F) && in(2, 0x80, 0xBF) ? 3 : 0;
  if (lead >= 0xE1 && lead <= 0xEF) return in(1, 0x80, 0xBF) && in(2, 0x80, 0xBF) ? 3 : 0;
  if (lead == 0xF0) return in(1, 0x90, 0xBF) && in(2, 0x80, 0xBF) && in(3, 0x80, 0xBF) ? 4 : 0;
  if (lead >= 0xF1 && lead <= 0xF3) {
    return in(1, 0x80, 0xBF) && in(2, 0x80, 0xBF) && in(3, 0x80, 0xBF) ? 4 : 0;
  }
  if (lead == 0xF4) return in(1, 0x80, 0x8F) && in(2, 0x80, 0xBF) && in(3, 0x80, 0xBF) ? 4 : 0;
  return 0;
}

// Bytes that stand for themselves in a JSON string.
struct PlainBytes {
  bool plain[256] = {};
  constexpr PlainBytes() {
    for (int b = 0x20; b < 0x80; ++b) plain[b] = b != '"' && b != '\\';
  }
};
constexpr PlainBytes kPlain;

// Whether all eight bytes of v stand for themselves: none at or above 0x80,
// below 0x20, a quote or a backslash. Each test is exact for whether such a
// byte is there at all.
inline bool AllPlain(std::uint64_t v) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ull;
  constexpr std::uint64_t kHigh = 0x8080808080808080ull;
  auto hasZero = [](std::uint64_t x) { return ((x - kOnes) & ~x & kHigh) != 0; };
  const bool high = (v & kHigh) != 0;
  const bool control = ((v - kOnes * 0x20) & ~v & kHigh) != 0;
  return !high && !control && !hasZero(v ^ (kOnes * '"')) && !hasZero(v ^ (kOnes * '\\'));
}

// Where the first byte at or after from that does not stand for itself is.
std::size_t PlainUntil(std::string_view text, std::size_t from) {
  std::size_t end = from;
  for (std::uint64_t word; end + 8 <= text.size(); end += 8) {
    std::memcpy(&word, text.data() + end, 8);
    if (!AllPlain(word)) break;
  }
  while (end < text.size() && kPlain.plain[static_cast<unsigned char>(text[end])]) ++end;
  return end;
}

}  // namespace

void AppendJsonString(std::string& out, std::string_view text) {
  static const char kHex[] = "0123456789abcdef";
  const std::size_t start = out.size();
  std::size_t end = PlainUntil(text, 0);
  if (end == text.size()) {
    // Most strings need nothing escaped: quotes around, the text between.
    out.append(text.size() + 2, '"');
    if (!text.empty()) std::memcpy(out.data() + start + 1, text.data(), text.size());
    return;
  }
  out.reserve(start + text.size() + 2);
  out += '"';
  for (std::size_t i = 0; i < text.size(); ++i) {
    // A run of bytes that stand for themselves goes in at once.
    if (i != 0) end = PlainUntil(text, i);
    if (end != i) {
      out.append(text.data() + i, end - i);
      if (end == text.size()) break;
      i = end;
    }
    const auto c = static_cast<unsigned char>(text[i]);
    if (c >= 0x80) {
      const std::size_t length = Utf8Length(text, i);
      if (length == 0) {
        // Bytes that are no UTF-8: the library's own replacement, rare enough.
        out.resize(start);
        out += nlohmann::json(std::string(text)).dump(-1, ' ', false,
                                                      nlohmann::json::error_handler_t::replace);
        return;
      }
      out.append(text.substr(i, length));
      i += length - 1;
      continue;
    }
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          out += "\\u00";
          out += kHex[c >> 4];
          out += kHex[c & 0xF];
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  out += '"';
}

void JsonStream::Separate(bool first, std::size_t depth) {
  // ",\n" and the indentation in one piece.
  static const std::string kBreak = ",\n" + std::string(64, ' ');
  const std::size_t from = first ? 1 : 0;
  if (2 + 2 * depth <= kBreak.size()) {
    buffer_.append(kBreak.data() + from, 2 - from + 2 * depth);
    return;
  }
  buffer_.append(kBreak.data() + from, 2 - from);
  buffer_.append(2 * depth, ' ');
}

void JsonStream::BeforeValue() {
  if (afterKey_) {
    afterKey_ = false;
    return;
  }
  if (levels_.empty()) return;
  Level& level = levels_.back();
  if (!level.array) throw std::logic_error("a JSON value in an object needs its key first");
  Separate(level.empty, levels_.size());
  level.empty = false;
}

void JsonStream::Key(std::string_view key) {
  if (levels_.empty() || levels_.back().array || afterKey_) {
    throw std::logic_error("a JSON key outside an object");
  }
  Level& level = levels_.back();
  const bool inOrder = level.empty ||
                       (!level.lastKey.empty() && !key.empty() && level.lastKey[0] < key[0]) ||
                       level.lastKey < key;
  if (!inOrder) throw std::logic_error("JSON key '" + std::string(key) + "' out of order");
  Separate(level.empty, levels_.size());
  level.empty = false;
  level.lastKey = key;
  // Keys are short words: those of letters and digits go in without the
  // escaping pass, quotes and colon in the same append.
  const bool word = key.size() <= 32 && std::all_of(key.begin(), key.end(), [](char c) {
                      return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
                    });
  if (word) {
    const std::size_t at = buffer_.size();
    buffer_.append(key.size() + 4, '"');
    std::memcpy(buffer_.data() + at + 1, key.data(), key.size());
    buffer_[at + key.size() + 2] = ':';
    buffer_[at + key.size() + 3] = ' ';
  } else {
    AppendJsonString(buffer_, key);
    buffer_.append(": ", 2);
  }
  afterKey_ = true;
}

void JsonStream::BeginObject() {
  BeforeValue();
  buffer_ += '{';
  levels_.push_back({false, true, {}});
}

void JsonStream::BeginArray() {
  BeforeValue();
  buffer_ += '[';
  levels_.push_back({true, true, {}});
}

void JsonStream::End(char close) {
  const bool empty = levels_.back().empty;
  levels_.pop_back();
  if (!empty) {
    buffer_ += '\n';
    buffer_.append(2 * levels_.size(), ' ');
  }
  buffer_ += close;
  if (buffer_.size() >= kFlushAt) Flush();
}

void JsonStream::EndObject() {
  if (levels_.empty() || levels_.back().array || afterKey_) throw std::logic_error("no JSON object to end");
  End('}');
}

void JsonStream::EndArray() {
  if (levels_.empty() || !levels_.back().array) throw std::logic_error("no JSON array to end");
  End(']');
}

void JsonStream::Raw(std::string_view text) {
  BeforeValue();
  buffer_ += text;
}

void JsonStream::String(std::string_view text) {
  BeforeValue();
  AppendJsonString(buffer_, text);
}

void JsonStream::Number(std::int64_t value) { Raw(std::to_string(value)); }
void JsonStream::Unsigned(std::uint64_t value) { Raw(std::to_string(value)); }
void JsonStream::Bool(bool value) { Raw(value ? "true" : "false"); }
void JsonStream::Null() { Raw("null"); }

void JsonStream::Strings(const std::vector<std::string>& items) {
  BeginArray();
  for (const std::string& item : items) String(item);
  EndArray();
}

void JsonStream::Value(const nlohmann::json& value) {
  switch (value.type()) {
    case nlohmann::json::value_t::object:
      BeginObject();
      for (auto it = value.begin(); it != value.end(); ++it) {
        Key(it.key());
        Value(it.value());
      }
      EndObject();
      return;
    case nlohmann::json::value_t::array:
      BeginArray();
      for (const nlohmann::json& item : value) Value(item);
      EndArray();
      return;
    case nlohmann::json::value_t::string:
      String(value.get_ref<const std::string&>());
      return;
    default:
      Raw(value.dump());
  }
}

void JsonStream::ContinueInside(std::size_t depth) {
  if (!levels_.empty() || afterKey_) throw std::logic_error("a JSON stream continues only from its start");
  levels_.assign(depth, Level{true, false, {}});
}

void JsonStream::Items(std::string_view written) {
  if (levels_.empty() || !levels_.back().array || levels_.back().empty) {
    throw std::logic_error("JSON items continue only an array that has items");
  }
  Flush();
  out_.write(written.data(), static_cast<std::streamsize>(written.size()));
}

void JsonStream::Flush() {
  out_.write(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
  buffer_.clear();
}

}  // namespace quillfen::cli
