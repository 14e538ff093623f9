#include "UserReg.h"

#include <cstdint>
#include <optional>

#include "Utf8.h"

namespace quillfen {
namespace {

char FoldAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

constexpr std::uint32_t kReplacement = 0xFFFD;

// Collects UTF-16 code units from \x escapes and pairs surrogates.
class Utf16Sink {
 public:
  explicit Utf16Sink(std::string& out) : out_(out) {}
  ~Utf16Sink() { Flush(); }
  void Unit(std::uint32_t unit) {
    if (unit >= 0xDC00 && unit <= 0xDFFF && high_ != 0) {
      AppendUtf8(out_, 0x10000 + ((high_ - 0xD800) << 10) + (unit - 0xDC00));
      high_ = 0;
      return;
    }
    Flush();
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      high_ = unit;
    } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
      AppendUtf8(out_, kReplacement);
    } else {
      AppendUtf8(out_, unit);
    }
  }
  void Byte(char c) {
    Flush();
    out_ += c;
  }
  void Flush() {
    if (high_ != 0) AppendUtf8(out_, kReplacement);
    high_ = 0;
  }

 private:
  std::string& out_;
  std::uint32_t high_ = 0;  // a pending high surrogate, 0 for none
};

// Reads an escaped string from line[pos] up to the unescaped terminator;
// pos ends just past it. nullopt when the terminator is missing.
std::optional<std::string> ReadEscaped(std::string_view line, std::size_t& pos, char terminator) {
  std::string out;
  {
    Utf16Sink sink(out);
    while (true) {
      if (pos >= line.size()) return std::nullopt;
      const char c = line[pos++];
      if (c == terminator) break;
      if (c != '\\') {
        sink.Byte(c);
        continue;
      }
      if (pos >= line.size()) return std::nullopt;
      const char e = line[pos++];
      switch (e) {
        case 'n':
          sink.Byte('\n');
          break;
        case 'r':
          sink.Byte('\r');
          break;
        case 't':
          sink.Byte('\t');
          break;
        case 'a':
          sink.Byte('\a');
          break;
        case 'b':
          sink.Byte('\b');
          break;
        case 'e':
          sink.Byte('\x1B');
          break;
        case 'f':
          sink.Byte('\f');
          break;
        case 'v':
          sink.Byte('\v');
          break;
        case 'x': {
          std::uint32_t unit = 0;
          int digits = 0;
          while (digits < 4 && pos < line.size() && HexDigit(line[pos]) >= 0) {
            unit = unit * 16 + static_cast<std::uint32_t>(HexDigit(line[pos++]));
            ++digits;
          }
          if (digits == 0) {
            sink.Byte('x');
          } else {
            sink.Unit(unit);
          }
          break;
        }
        default:
          if (e >= '0' && e <= '7') {
            std::uint32_t unit = static_cast<std::uint32_t>(e - '0');
            for (int digits = 1;
                 digits < 3 && pos < line.size() && line[pos] >= '0' && line[pos] <= '7';
                 ++digits) {
              unit = unit * 8 + static_cast<std::uint32_t>(line[pos++] - '0');
            }
            sink.Unit(unit);
          } else {
            sink.Byte(e);  // \\ \" \] and anything unknown stand for themselves
          }
      }
    }
  }
  return out;
}

void SkipBlanks(std::string_view line, std::size_t& pos) {
  while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) ++pos;
}

bool StartsWith(std::string_view s, std::size_t pos, std::string_view prefix) {
  return s.substr(pos, prefix.size()) == prefix;
}

// A "name"=value or @=value line of a string type; nullopt otherwise.
std::optional<std::pair<std::string, std::string>> ParseValueLine(std::string_view line) {
  std::size_t pos = 0;
  std::string name;
  if (line[pos] == '@') {
    ++pos;
  } else {
    ++pos;  // the opening quote
    std::optional<std::string> read = ReadEscaped(line, pos, '"');
    if (!read) return std::nullopt;
    name = std::move(*read);
  }
  SkipBlanks(line, pos);
  if (pos >= line.size() || line[pos] != '=') return std::nullopt;
  ++pos;
  SkipBlanks(line, pos);
  if (StartsWith(line, pos, "str(2):")) {
    pos += 7;
  } else if (StartsWith(line, pos, "str(1):")) {
    pos += 7;
  }
  if (pos >= line.size() || line[pos] != '"') return std::nullopt;  // dword:, hex:, str(7): ...
  ++pos;
  std::optional<std::string> value = ReadEscaped(line, pos, '"');
  if (!value) return std::nullopt;
  return std::make_pair(std::move(name), std::move(*value));
}

}  // namespace

bool IgnoreAsciiCaseLess::operator()(std::string_view a, std::string_view b) const {
  const std::size_t n = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < n; ++i) {
    const auto ca = static_cast<unsigned char>(FoldAscii(a[i]));
    const auto cb = static_cast<unsigned char>(FoldAscii(b[i]));
    if (ca != cb) return ca < cb;
  }
  return a.size() < b.size();
}

RegHive ParseUserReg(std::string_view text) {
  RegHive hive;
  RegValues* current = nullptr;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    pos = end < text.size() ? end + 1 : end;

    std::size_t start = 0;
    SkipBlanks(line, start);
    line.remove_prefix(start);
    if (line.empty()) continue;
    if (line.front() == '[') {
      std::size_t p = 1;
      std::optional<std::string> key = ReadEscaped(line, p, ']');
      if (!key) {
        current = nullptr;  // the values below belong to a key we cannot name
        continue;
      }
      while (!key->empty() && key->back() == '\\') key->pop_back();
      while (!key->empty() && key->front() == '\\') key->erase(0, 1);
      current = &hive[*key];
      continue;
    }
    if (current == nullptr || (line.front() != '"' && line.front() != '@')) continue;
    if (auto value = ParseValueLine(line)) {
      // Keep a later duplicate's value and the spelling of its name.
      current->erase(value->first);
      current->emplace(std::move(value->first), std::move(value->second));
    }
  }
  return hive;
}

bool HiveHasKey(const RegHive& hive, std::string_view key) {
  while (!key.empty() && key.back() == '\\') key.remove_suffix(1);
  while (!key.empty() && key.front() == '\\') key.remove_prefix(1);
  if (hive.find(key) != hive.end()) return true;
  const std::string below = std::string(key) + "\\";
  auto it = hive.lower_bound(below);
  if (it == hive.end() || it->first.size() < below.size()) return false;
  return !IgnoreAsciiCaseLess{}(it->first.substr(0, below.size()), below) &&
         !IgnoreAsciiCaseLess{}(below, it->first.substr(0, below.size()));
}

std::optional<std::string> HiveString(const RegHive& hive, std::string_view key,
                                      std::string_view name) {
  while (!key.empty() && key.back() == '\\') key.remove_suffix(1);
  while (!key.empty() && key.front() == '\\') key.remove_prefix(1);
  const auto values = hive.find(key);
  if (values == hive.end()) return std::nullopt;
  const auto value = values->second.find(name);
  if (value == values->second.end()) return std::nullopt;
  return value->second;
}

std::vector<std::string> MachineKeys32(std::string_view key) {
  while (!key.empty() && key.front() == '\\') key.remove_prefix(1);
  constexpr std::string_view kSoftware = "Software\\";
  constexpr std::string_view kWow = "Wow6432Node";
  const IgnoreAsciiCaseLess less;
  const auto same = [&](std::string_view a, std::string_view b) { return !less(a, b) && !less(b, a); };
  std::vector<std::string> keys;
  const std::string_view rest =
      key.size() > kSoftware.size() ? key.substr(kSoftware.size()) : std::string_view();
  // Software\Wow6432Node\... is already a key of the 32-bit view.
  if (!rest.empty() && same(key.substr(0, kSoftware.size()), kSoftware) &&
      !same(rest.substr(0, kWow.size()), kWow)) {
    keys.push_back(std::string(kSoftware) + std::string(kWow) + "\\" + std::string(rest));
  }
  keys.emplace_back(key);
  return keys;
}

}  // namespace quillfen
