// A small writer of the game database format: BER integers, chunked
// structures ended by id 0, arrays, file headers and event command lists.
// The demo, the benchmark and the tests write their projects with it.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "Schema.h"

namespace quillfen::lcf {

// Integers are BER: seven bits a byte, high bit set on all but the last.
// Negative values go out as their 32-bit two's complement, as the editor does.
inline void PutBer(std::string& out, std::int64_t value) {
  auto v = static_cast<std::uint32_t>(value);
  char bytes[5];
  int at = 4;
  bytes[at] = static_cast<char>(v & 0x7F);
  while ((v >>= 7) != 0) bytes[--at] = static_cast<char>(0x80 | (v & 0x7F));
  out.append(bytes + at, static_cast<std::size_t>(5 - at));
}

inline std::string Ber(std::int64_t value) {
  std::string out;
  PutBer(out, value);
  return out;
}

inline void PutShort(std::string& out, std::size_t index, int value) {
  out[2 * index] = static_cast<char>(value & 0xFF);
  out[2 * index + 1] = static_cast<char>((value >> 8) & 0xFF);
}

// Little-endian 16-bit values (tile layers, parameter curves).
inline std::string Shorts(const std::vector<int>& values) {
  std::string out(2 * values.size(), '\0');
  for (std::size_t i = 0; i < values.size(); ++i) PutShort(out, i, values[i]);
  return out;
}

// A file starts with its signature, preceded by the signature's length.
inline std::string Header(std::string_view signature) {
  std::string out = Ber(static_cast<std::int64_t>(signature.size()));
  out.append(signature);
  return out;
}

// One structure: (id, length, bytes) chunks, ended by id 0.
class Chunks {
 public:
  Chunks& Raw(int id, std::string_view bytes) {
    PutBer(bytes_, id);
    PutBer(bytes_, static_cast<std::int64_t>(bytes.size()));
    bytes_.append(bytes);
    return *this;
  }
  Chunks& Int(int id, std::int64_t value) { return Raw(id, Ber(value)); }
  Chunks& Str(int id, std::string_view text) { return Raw(id, text); }
  Chunks& Sub(int id, const Chunks& inner) { return Raw(id, inner.Finish()); }
  std::string Finish() const { return bytes_ + '\0'; }

 private:
  std::string bytes_;
};

// An array of structures: the count, then each entry's index and fields.
inline std::string Array(const std::vector<std::string>& entries) {
  std::string out = Ber(static_cast<std::int64_t>(entries.size()));
  for (std::size_t i = 0; i < entries.size(); ++i) {
    PutBer(out, static_cast<std::int64_t>(i + 1));
    out += entries[i];
  }
  return out;
}

class Commands {
 public:
  void Add(int code, int indent, std::string_view text, std::initializer_list<std::int64_t> params) {
    Add(code, indent, text, std::vector<std::int64_t>(params));
  }
  void Add(int code, int indent, std::string_view text, const std::vector<std::int64_t>& params) {
    PutBer(bytes_, code);
    PutBer(bytes_, indent);
    PutBer(bytes_, static_cast<std::int64_t>(text.size()));
    bytes_.append(text);
    PutBer(bytes_, static_cast<std::int64_t>(params.size()));
    for (std::int64_t p : params) PutBer(bytes_, p);
  }

  // The first line is Show Message, each further line its own command. The
  // scan cuts these records assuming one-byte indents and lengths.
  void Message(int indent, const std::vector<std::string>& lines) {
    if (lines.empty() || indent < 0 || indent > 127) throw std::invalid_argument("bad message");
    for (std::size_t i = 0; i < lines.size(); ++i) {
      if (lines[i].size() > 127) throw std::invalid_argument("message line too long");
      Add(i == 0 ? kShowMessage : kMessageLine, indent, lines[i], {});
    }
    ++messages_;
  }

  // A block inside a branch ends with an empty command one level deeper.
  void EndBlock(int indent) { Add(kEnd, indent, "", {}); }

  int Messages() const { return messages_; }
  std::size_t Size() const { return bytes_.size(); }
  // The list ends with command 0.
  std::string Finish() const { return bytes_ + std::string(4, '\0'); }

 private:
  std::string bytes_;
  int messages_ = 0;
};

}  // namespace quillfen::lcf
