// Writes JSON straight to a stream, byte for byte as nlohmann::json's
// dump(2, ' ', false, error_handler_t::replace) writes the same value, so
// that a report of tens of thousands of entries needs no tree built first.
// Keys of an object must come in the order nlohmann::json keeps them
// (sorted): a key out of order throws std::logic_error.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

namespace quillfen::cli {

class JsonStream {
 public:
  explicit JsonStream(std::ostream& out) : out_(out) {}
  ~JsonStream() { Flush(); }
  JsonStream(const JsonStream&) = delete;
  JsonStream& operator=(const JsonStream&) = delete;

  void BeginObject();
  void EndObject();
  void BeginArray();
  void EndArray();
  // The key must stay alive until its object ends.
  void Key(std::string_view key);

  void String(std::string_view text);
  void Number(std::int64_t value);
  void Unsigned(std::uint64_t value);
  void Bool(bool value);
  void Null();
  // Any value, as dump writes it.
  void Value(const nlohmann::json& value);
  void Strings(const std::vector<std::string>& items);

  // Writes what is buffered to the stream.
  void Flush();

  // For writing part of an array's items apart (on another thread): this
  // stream then writes as if inside `depth` arrays that have items already.
  void ContinueInside(std::size_t depth);
  // Items of the open array that such a stream wrote.
  void Items(std::string_view written);

 private:
  struct Level {
    bool array;
    bool empty = true;
    std::string_view lastKey;
  };
  void BeforeValue();
  // The comma before all but the first item, the line break and indentation.
  void Separate(bool first, std::size_t depth);
  void End(char close);
  void Raw(std::string_view text);

  std::ostream& out_;
  std::string buffer_;
  std::vector<Level> levels_;
  bool afterKey_ = false;
};

// text as a JSON string with its quotes, as dump writes it: invalid UTF-8
// becomes U+FFFD.
void AppendJsonString(std::string& out, std::string_view text);

}  // namespace quillfen::cli
