#include "IniText.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace quillfen {
namespace {

struct Line {
  std::size_t begin;  // first byte of the content
  std::size_t end;    // one past the content, where the line ending starts
  std::size_t next;   // one past the line ending
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

char FoldAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool EqualIgnoreAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  }
  return true;
}

bool HasLineBreak(std::string_view s) {
  return s.find('\n') != std::string_view::npos || s.find('\r') != std::string_view::npos;
}

std::vector<Line> SplitLines(std::string_view text, std::size_t start) {
  std::vector<Line> lines;
  std::size_t pos = start;
  while (pos < text.size()) {
    std::size_t end = pos;
    while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
    std::size_t next = end;
    if (next < text.size()) {
      next += (text[next] == '\r' && next + 1 < text.size() && text[next + 1] == '\n') ? 2 : 1;
    }
    lines.push_back({pos, end, next});
    pos = next;
  }
  return lines;
}

// The name of a "[name]" line, trimmed; nullopt for other lines.
std::optional<std::string_view> SectionName(std::string_view content) {
  std::string_view t = Trim(content);
  if (t.empty() || t.front() != '[') return std::nullopt;
  t.remove_prefix(1);
  std::size_t close = t.find(']');
  if (close != std::string_view::npos) t = t.substr(0, close);
  return Trim(t);
}

std::string_view NewlineOf(std::string_view text, const std::vector<Line>& lines) {
  for (const Line& line : lines) {
    if (line.next > line.end) return text.substr(line.end, line.next - line.end);
  }
  return "\r\n";
}

}  // namespace

bool IsValidIniEdit(std::string_view section, std::string_view key, std::string_view value) {
  return !HasLineBreak(section) && !HasLineBreak(key) && !HasLineBreak(value) &&
         section.find(']') == std::string_view::npos && key.find('=') == std::string_view::npos &&
         !Trim(key).empty();
}

std::string SetIniValue(std::string_view text, std::string_view section, std::string_view key,
                        std::string_view value) {
  const std::string_view kBom = "\xEF\xBB\xBF";
  const std::size_t start = text.substr(0, kBom.size()) == kBom ? kBom.size() : 0;
  const std::vector<Line> lines = SplitLines(text, start);
  const std::string_view newline = NewlineOf(text, lines);
  const std::string_view wantedSection = Trim(section);
  const std::string_view wantedKey = Trim(key);

  std::optional<std::size_t> insertAfter;  // index of the line the new key follows
  bool inWanted = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string_view content = text.substr(lines[i].begin, lines[i].end - lines[i].begin);
    if (std::optional<std::string_view> name = SectionName(content)) {
      inWanted = EqualIgnoreAsciiCase(*name, wantedSection);
      if (inWanted && !insertAfter) insertAfter = i;
      continue;
    }
    if (!inWanted) continue;
    const std::size_t equals = content.find('=');
    const std::string_view lineKey = Trim(content.substr(0, equals));
    if (!EqualIgnoreAsciiCase(lineKey, wantedKey)) continue;

    std::string result(text.substr(0, lines[i].begin));
    if (equals == std::string_view::npos) {
      result.append(content).append("=");
    } else {
      std::size_t valueStart = equals + 1;
      while (valueStart < content.size() && IsBlank(content[valueStart])) ++valueStart;
      result.append(content.substr(0, valueStart));
    }
    result.append(value);
    result.append(text.substr(lines[i].end));
    return result;
  }

  const std::string keyLine = std::string(wantedKey) + "=" + std::string(value);
  if (insertAfter) {
    // Past the section's last non-blank line, so blank separators stay below it.
    std::size_t last = *insertAfter;
    for (std::size_t i = last + 1; i < lines.size(); ++i) {
      const std::string_view content = text.substr(lines[i].begin, lines[i].end - lines[i].begin);
      if (SectionName(content)) break;
      if (!Trim(content).empty()) last = i;
    }
    const Line& after = lines[last];
    std::string result(text.substr(0, after.next));
    if (after.next == after.end) {
      // The last line had no ending: give it one and keep the file without one.
      result.append(newline).append(keyLine);
    } else {
      result.append(keyLine).append(newline);
    }
    result.append(text.substr(after.next));
    return result;
  }

  std::string result(text);
  const bool endsOpen = !lines.empty() && lines.back().next == lines.back().end;
  if (endsOpen) result.append(newline);
  result.append("[").append(wantedSection).append("]").append(newline).append(keyLine);
  if (!endsOpen) result.append(newline);
  return result;
}

}  // namespace quillfen
