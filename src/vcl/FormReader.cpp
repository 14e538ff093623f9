#include "FormReader.h"

#include <cctype>
#include <limits>

namespace quillfen::vcl {

EFormError::EFormError(int line, const std::string& message)
    : Exception("Line " + std::to_string(line) + ": " + message), line_(line) {}

const char* FormValueKindName(TFormValueKind kind) {
  switch (kind) {
    case TFormValueKind::Integer: return "an integer";
    case TFormValueKind::Ident: return "an identifier";
    case TFormValueKind::String: return "a string";
    case TFormValueKind::Set: return "a set";
    case TFormValueKind::List: return "a string list";
    case TFormValueKind::Binary: return "binary data";
    case TFormValueKind::Collection: return "a collection";
  }
  return "a value";
}

namespace {

bool IsIdentStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IsIdentChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool SameWord(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

// What the next token looks like, for messages.
std::string Describe(std::string_view text, size_t pos) {
  if (pos >= text.size()) return "the end of the text";
  const unsigned char c = static_cast<unsigned char>(text[pos]);
  if (IsIdentStart(text[pos])) {
    size_t end = pos;
    while (end < text.size() && IsIdentChar(text[end]) && end - pos < 40) ++end;
    return "'" + std::string(text.substr(pos, end - pos)) + "'";
  }
  if (c < 0x20 || c >= 0x7F) return "character #" + std::to_string(c);
  std::string quoted = "'";
  quoted += static_cast<char>(c);
  quoted += '\'';
  return quoted;
}

class TParser {
 public:
  explicit TParser(std::string_view text) : text_(text) {}

  TFormObject ReadFile() {
    SkipSpace();
    TFormObject root = ReadObject(1);
    SkipSpace();
    if (!AtEnd()) Fail("expected the end of the text after the root object, found " + Here());
    return root;
  }

 private:
  [[noreturn]] void Fail(const std::string& message) const { throw EFormError(line_, message); }
  std::string Here() const { return Describe(text_, pos_); }
  bool AtEnd() const { return pos_ >= text_.size(); }
  char Peek() const { return AtEnd() ? '\0' : text_[pos_]; }

  void Advance() {
    if (text_[pos_] == '\n') ++line_;
    ++pos_;
  }

  void SkipSpace() {
    while (!AtEnd()) {
      const char c = text_[pos_];
      if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
        Advance();
      } else if (c == '/' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '/') {
        while (!AtEnd() && text_[pos_] != '\n') ++pos_;
      } else {
        return;
      }
    }
  }

  std::string ReadIdent(const char* what) {
    if (!IsIdentStart(Peek())) Fail(std::string("expected ") + what + ", found " + Here());
    const size_t start = pos_;
    while (!AtEnd() && IsIdentChar(text_[pos_])) ++pos_;
    return std::string(text_.substr(start, pos_ - start));
  }

  bool PeekWord(std::string_view word) const {
    if (text_.size() - pos_ < word.size()) return false;
    if (!SameWord(text_.substr(pos_, word.size()), word)) return false;
    const size_t after = pos_ + word.size();
    return after >= text_.size() || !IsIdentChar(text_[after]);
  }

  void Expect(char c) {
    SkipSpace();
    if (Peek() != c) {
      std::string message = "expected '";
      message += c;
      message += "', found ";
      Fail(message + Here());
    }
    Advance();
  }

  TFormObject ReadObject(int depth) {
    if (depth > kMaxFormDepth)
      Fail("objects nested deeper than " + std::to_string(kMaxFormDepth) + " levels");
    if (!PeekWord("object")) Fail("expected 'object', found " + Here());
    TFormObject object;
    object.Line = line_;
    pos_ += 6;
    SkipSpace();
    object.Name = ReadIdent("a component name");
    Expect(':');
    SkipSpace();
    object.ClassName = ReadIdent("a class name");
    for (;;) {
      SkipSpace();
      if (AtEnd()) Fail("object " + object.Name + " (line " + std::to_string(object.Line) +
                        ") has no 'end'");
      if (PeekWord("end")) {
        pos_ += 3;
        return object;
      }
      if (PeekWord("object")) {
        object.Children.push_back(ReadObject(depth + 1));
        continue;
      }
      if (!object.Children.empty())
        Fail("property " + Here() + " after a nested object; properties come first");
      object.Properties.push_back(ReadProperty(depth));
    }
  }

  TFormProperty ReadProperty(int depth) {
    TFormProperty property;
    property.Line = line_;
    property.Name = ReadIdent("a property name, 'object' or 'end'");
    while (Peek() == '.') {
      ++pos_;
      property.Name += '.';
      property.Name += ReadIdent("a property name after '.'");
    }
    Expect('=');
    SkipSpace();
    property.Value = ReadValue(depth);
    return property;
  }

  TFormValue ReadValue(int depth) {
    TFormValue value;
    const char c = Peek();
    if (c == '-' || c == '$' || IsDigit(c)) {
      value.Kind = TFormValueKind::Integer;
      value.Integer = ReadInteger();
    } else if (c == '\'' || c == '#') {
      value.Kind = TFormValueKind::String;
      value.Text = ReadString();
    } else if (IsIdentStart(c)) {
      value.Kind = TFormValueKind::Ident;
      value.Text = ReadIdent("a value");
    } else if (c == '[') {
      value.Kind = TFormValueKind::Set;
      ReadSet(value.Names);
    } else if (c == '(') {
      value.Kind = TFormValueKind::List;
      ReadList(value.Names);
    } else if (c == '{') {
      value.Kind = TFormValueKind::Binary;
      ReadBinary(value.Bytes);
    } else if (c == '<') {
      value.Kind = TFormValueKind::Collection;
      ReadCollection(value.Items, depth);
    } else {
      Fail("expected a value, found " + Here());
    }
    return value;
  }

  std::int64_t ReadInteger() {
    bool negative = false;
    if (Peek() == '-') {
      negative = true;
      ++pos_;
    }
    const bool hex = Peek() == '$';
    if (hex) ++pos_;
    const int base = hex ? 16 : 10;
    // Accumulated as a negative number, whose range is one larger.
    constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
    std::int64_t value = 0;
    int digits = 0;
    for (;;) {
      const int d = hex ? HexDigit(Peek()) : (IsDigit(Peek()) ? Peek() - '0' : -1);
      if (d < 0) break;
      if (value < (kMin + d) / base) Fail("integer out of range");
      value = value * base - d;
      ++pos_;
      ++digits;
    }
    if (digits == 0) Fail("expected digits, found " + Here());
    if (IsIdentChar(Peek())) Fail("malformed number before " + Here());
    if (negative) return value;
    if (value == kMin) Fail("integer out of range");
    return -value;
  }

  // A quoted piece or a character code, appended to out.
  void ReadPiece(std::string& out) {
    if (Peek() == '#') {
      ++pos_;
      int code = 0, digits = 0;
      while (IsDigit(Peek())) {
        code = code * 10 + (Peek() - '0');
        if (code > 255) Fail("character code above 255");
        ++pos_;
        ++digits;
      }
      if (digits == 0) Fail("expected a character code after '#', found " + Here());
      out += static_cast<char>(code);
      return;
    }
    ++pos_;  // the opening quote
    for (;;) {
      if (AtEnd() || Peek() == '\n' || Peek() == '\r') Fail("unterminated string");
      const char ch = text_[pos_++];
      if (ch != '\'') {
        out += ch;
        continue;
      }
      if (Peek() != '\'') return;
      out += '\'';
      ++pos_;
    }
  }

  std::string ReadString() {
    std::string out;
    for (;;) {
      ReadPiece(out);
      if (Peek() == '\'' || Peek() == '#') continue;  // adjacent pieces join
      const size_t savedPos = pos_;
      const int savedLine = line_;
      SkipSpace();
      if (Peek() == '+') {
        ++pos_;
        SkipSpace();
        if (Peek() != '\'' && Peek() != '#') Fail("expected a string after '+', found " + Here());
        continue;
      }
      pos_ = savedPos;
      line_ = savedLine;
      return out;
    }
  }

  void ReadSet(std::vector<std::string>& names) {
    ++pos_;
    SkipSpace();
    if (Peek() == ']') {
      ++pos_;
      return;
    }
    for (;;) {
      SkipSpace();
      names.push_back(ReadIdent("a set member"));
      SkipSpace();
      if (Peek() == ']') {
        ++pos_;
        return;
      }
      if (Peek() != ',') Fail("expected ',' or ']' in a set, found " + Here());
      ++pos_;
    }
  }

  void ReadList(std::vector<std::string>& lines) {
    ++pos_;
    for (;;) {
      SkipSpace();
      if (Peek() == ')') {
        ++pos_;
        return;
      }
      if (Peek() != '\'' && Peek() != '#') Fail("expected a string or ')' in a list, found " + Here());
      lines.push_back(ReadString());
    }
  }

  void ReadBinary(std::vector<std::uint8_t>& bytes) {
    ++pos_;
    int high = -1;
    for (;;) {
      SkipSpace();
      if (Peek() == '}') {
        if (high >= 0) Fail("binary data with an odd number of hex digits");
        ++pos_;
        return;
      }
      const int d = HexDigit(Peek());
      if (d < 0) Fail("expected a hex digit or '}' in binary data, found " + Here());
      ++pos_;
      if (high < 0) {
        high = d;
      } else {
        bytes.push_back(static_cast<std::uint8_t>(high * 16 + d));
        high = -1;
      }
    }
  }

  void ReadCollection(std::vector<TFormItem>& items, int depth) {
    if (depth + 1 > kMaxFormDepth)
      Fail("collections nested deeper than " + std::to_string(kMaxFormDepth) + " levels");
    ++pos_;
    for (;;) {
      SkipSpace();
      if (Peek() == '>') {
        ++pos_;
        return;
      }
      if (!PeekWord("item")) Fail("expected 'item' or '>' in a collection, found " + Here());
      TFormItem item;
      item.Line = line_;
      pos_ += 4;
      for (;;) {
        SkipSpace();
        if (AtEnd()) Fail("collection item (line " + std::to_string(item.Line) + ") has no 'end'");
        if (PeekWord("end")) {
          pos_ += 3;
          break;
        }
        item.Properties.push_back(ReadProperty(depth + 1));
      }
      items.push_back(std::move(item));
    }
  }

  std::string_view text_;
  size_t pos_ = 0;
  int line_ = 1;
};

}  // namespace

TFormObject ReadFormText(std::string_view text) { return TParser(text).ReadFile(); }

}  // namespace quillfen::vcl
