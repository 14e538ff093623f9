// The text form description: an object tree read into plain values, with no
// knowledge of the classes it names. Grammar (// starts a comment to the end
// of the line, outside strings):
//
//   file       = object
//   object     = "object" Ident ":" Ident { property } { object } "end"
//   property   = Name "=" value          Name = Ident { "." Ident }
//   value      = integer | Ident | string | set | list | binary | collection
//   integer    = [ "-" ] ( digits | "$" hexdigits )
//   string     = piece { [ "+" ] piece }  piece = "'" { char | "''" } "'" | "#" digits
//   set        = "[" [ Ident { "," Ident } ] "]"
//   list       = "(" { string } ")"
//   binary     = "{" { hexdigit pair } "}"
//   collection = "<" { "item" { property } "end" } ">"
//
// Strings are bytes in the program's code page; #nnn gives one byte (0-255).
// A quoted piece ends on its own line.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "Types.h"

namespace quillfen::vcl {

// A malformed description; Message() starts with "Line N: ".
class EFormError : public Exception {
 public:
  EFormError(int line, const std::string& message);
  int Line() const { return line_; }

 private:
  int line_;
};

struct TFormProperty;

// One item of a collection: its own properties in stream order.
struct TFormItem {
  int Line = 0;
  std::vector<TFormProperty> Properties;
};

enum class TFormValueKind { Integer, Ident, String, Set, List, Binary, Collection };

struct TFormValue {
  TFormValueKind Kind = TFormValueKind::Integer;
  std::int64_t Integer = 0;
  std::string Text;                 // Ident or String
  std::vector<std::string> Names;   // Set members or List strings
  std::vector<std::uint8_t> Bytes;  // Binary
  std::vector<TFormItem> Items;     // Collection
};

struct TFormProperty {
  int Line = 0;
  std::string Name;
  TFormValue Value;
};

struct TFormObject {
  int Line = 0;
  std::string Name;
  std::string ClassName;
  std::vector<TFormProperty> Properties;
  std::vector<TFormObject> Children;
};

// Objects nest at most this deep, so hostile text cannot exhaust the stack.
constexpr int kMaxFormDepth = 32;

// Reads a whole description; throws EFormError naming the first bad line.
TFormObject ReadFormText(std::string_view text);

// A readable name of a value kind, for error messages.
const char* FormValueKindName(TFormValueKind kind);

}  // namespace quillfen::vcl
