// Reading the database format: BER integers and length-bounded views over a
// file's bytes. Every read checks its bounds and raises FormatError with the
// offset in the file, so a truncated or corrupt file can be named exactly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace quillfen::lcf {

class FormatError : public std::runtime_error {
 public:
  FormatError(std::size_t offset, const std::string& what)
      : std::runtime_error(what), offset_(offset) {}
  std::size_t Offset() const { return offset_; }

 private:
  std::size_t offset_;
};

class Cursor {
 public:
  // base: the offset of data's first byte in its file.
  explicit Cursor(std::string_view data, std::size_t base = 0) : data_(data), base_(base) {}

  bool AtEnd() const { return pos_ >= data_.size(); }
  std::size_t Remaining() const { return data_.size() - pos_; }
  // Offset in the file of the next byte.
  std::size_t Offset() const { return base_ + pos_; }

  // A BER integer: seven bits a byte, high bit on all but the last; at most
  // five bytes, the 32-bit value the editor stores.
  std::uint32_t Ber() {
    // Most integers of a file are one byte, and command codes two.
    if (pos_ < data_.size()) {
      const auto first = static_cast<unsigned char>(data_[pos_]);
      if (first < 0x80) {
        ++pos_;
        return first;
      }
      if (pos_ + 1 < data_.size() && static_cast<unsigned char>(data_[pos_ + 1]) < 0x80) {
        const auto second = static_cast<unsigned char>(data_[pos_ + 1]);
        pos_ += 2;
        return (static_cast<std::uint32_t>(first & 0x7F) << 7) | second;
      }
    }
    return LongBer();
  }
  // Passes over count integers whose values do not matter: the parameters
  // of commands that name no file, most of a map file's bytes.
  void SkipBers(std::size_t count) {
    const std::size_t size = data_.size();
    while (count > 0 && pos_ < size) {
      // Each byte below 0x80 ends an integer.
      if (static_cast<unsigned char>(data_[pos_]) < 0x80) {
        ++pos_;
        --count;
      } else {
        LongBer();
        --count;
      }
    }
    if (count > 0) LongBer();  // at the end: raises where the next integer should be
  }
  std::int32_t Int() { return static_cast<std::int32_t>(Ber()); }

  // A count or length that must fit in what is left, each item taking at
  // least one byte; anything larger is corruption, not a reason to allocate.
  std::size_t Count(const char* what) {
    const std::size_t at = Offset();
    const std::uint32_t n = Ber();
    if (n > Remaining()) {
      throw FormatError(at, std::string(what) + " of " + std::to_string(n) +
                                " runs past the end of its data");
    }
    return n;
  }

  std::string_view Bytes(std::size_t count) {
    if (count > Remaining()) throw FormatError(Offset(), "the data ends early");
    std::string_view out = data_.substr(pos_, count);
    pos_ += count;
    return out;
  }

  // The next count bytes as a cursor of their own.
  Cursor Sub(std::size_t count) {
    const std::size_t at = Offset();
    return Cursor(Bytes(count), at);
  }

 private:
  // Kept out of line so that the one-byte case inlines everywhere.
  [[gnu::noinline]] std::uint32_t LongBer() {
    const std::size_t start = Offset();
    std::uint32_t value = 0;
    for (int i = 0; i < 5; ++i) {
      if (AtEnd()) throw FormatError(start, "the file ends inside an integer");
      const auto byte = static_cast<unsigned char>(data_[pos_++]);
      value = (value << 7) | (byte & 0x7F);
      if ((byte & 0x80) == 0) return value;
    }
    throw FormatError(start, "an integer longer than five bytes");
  }

  std::string_view data_;
  std::size_t base_;
  std::size_t pos_ = 0;
};

// Calls visit(id, body) for each chunk of a structure, up to id 0 or the end
// of the data; true when it stopped at id 0. A file's outermost structure
// must end with it, or the file has been cut short.
template <class Visit>
bool ForEachChunk(Cursor& in, Visit&& visit) {
  while (!in.AtEnd()) {
    const std::uint32_t id = in.Ber();
    if (id == 0) return true;
    const std::size_t length = in.Count("a chunk length");
    Cursor body = in.Sub(length);
    visit(id, body);
  }
  return false;
}

inline void ExpectEndMarker(bool found, const Cursor& in) {
  if (!found) throw FormatError(in.Offset(), "the file ends before its end marker: it is cut short");
}

// Calls visit(index, in) for each entry of an array; visit must read the
// entry's structure from in.
template <class Visit>
void ForEachEntry(Cursor& in, Visit&& visit) {
  const std::size_t count = in.Count("an array count");
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint32_t index = in.Ber();
    visit(static_cast<int>(index), in);
  }
}

// The signature at the head of each file: its length, then the text.
inline void ExpectHeader(Cursor& in, std::string_view signature) {
  const std::size_t at = in.Offset();
  const std::size_t length = in.Count("the signature length");
  if (in.Bytes(length) != signature) {
    throw FormatError(at, "not a " + std::string(signature) + " file");
  }
}

inline std::string Text(Cursor& body) { return std::string(body.Bytes(body.Remaining())); }
inline std::int32_t IntOf(Cursor& body) { return body.AtEnd() ? 0 : body.Int(); }

}  // namespace quillfen::lcf
