// An independent reader of the three database files that walks every
// chunk the generator writes and raises at the first inconsistency: a
// length that runs past its parent, a structure that does not end with id 0
// exactly at its chunk's end, a command list without its closing command, a
// message record that the scan's cutting would read differently.
#pragma once

#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

namespace quillfen::testing {

struct LcfSummary {
  int messages = 0;           // Show Message records
  int continuationLines = 0;  // their further lines
  int commandLists = 0;
  std::map<int, int> codes;   // command code -> count
};

class LcfChecker {
 public:
  enum class File { Database, MapTree, MapUnit };

  static LcfSummary Check(std::string_view data, File file) {
    LcfChecker c(data);
    switch (file) {
      case File::Database:
        c.Signature("LcfDataBase");
        c.Struct(Type::Database, data.size());
        break;
      case File::MapTree:
        c.Signature("LcfMapTree");
        c.MapTree();
        break;
      case File::MapUnit:
        c.Signature("LcfMapUnit");
        c.Struct(Type::Map, data.size());
        break;
    }
    if (c.p_ != data.size()) c.Fail("bytes after the end of the file");
    return c.summary_;
  }

 private:
  enum class Type {
    Leaf, Database, Troop, Animation, Timing, Frame, System, CommonEvent, Map, Event, Page, MapInfo,
  };
  enum class Content { Bytes, Struct, Array, Commands };

  explicit LcfChecker(std::string_view data) : d_(data) {}

  [[noreturn]] void Fail(const std::string& what) const {
    throw std::runtime_error(what + " at offset " + std::to_string(p_));
  }

  unsigned char At(std::size_t i) const { return static_cast<unsigned char>(d_[i]); }

  std::uint32_t Ber(std::size_t end) {
    std::uint64_t v = 0;
    for (int n = 0; n < 5; ++n) {
      if (p_ >= end) Fail("integer runs past its chunk");
      const unsigned char b = At(p_++);
      v = (v << 7) | (b & 0x7F);
      if (b < 0x80) return static_cast<std::uint32_t>(v);
    }
    Fail("integer longer than five bytes");
  }

  void Signature(std::string_view expected) {
    const std::uint32_t n = Ber(d_.size());
    if (d_.substr(p_, n) != expected) Fail("signature is not " + std::string(expected));
    p_ += n;
  }

  static std::pair<Content, Type> FieldOf(Type owner, std::uint32_t id) {
    using C = Content;
    switch (owner) {
      case Type::Database:
        if (id == 0x0F) return {C::Array, Type::Troop};
        if (id == 0x13) return {C::Array, Type::Animation};
        if (id == 0x15) return {C::Struct, Type::Leaf};
        if (id == 0x16) return {C::Struct, Type::System};
        if (id == 0x19) return {C::Array, Type::CommonEvent};
        if (id >= 0x0B && id <= 0x18) return {C::Array, Type::Leaf};
        break;
      case Type::Troop:
        if (id == 0x02) return {C::Array, Type::Leaf};
        break;
      case Type::Animation:
        if (id == 0x06) return {C::Array, Type::Timing};
        if (id == 0x0C) return {C::Array, Type::Frame};
        break;
      case Type::Timing:
        if (id == 0x02) return {C::Struct, Type::Leaf};
        break;
      case Type::Frame:
        if (id == 0x01) return {C::Array, Type::Leaf};
        break;
      case Type::System:
        if ((id >= 0x1F && id <= 0x26) || (id >= 0x29 && id <= 0x34)) return {C::Struct, Type::Leaf};
        break;
      case Type::CommonEvent:
        if (id == 0x16) return {C::Commands, Type::Leaf};
        break;
      case Type::Map:
        if (id == 0x51) return {C::Array, Type::Event};
        break;
      case Type::Event:
        if (id == 0x05) return {C::Array, Type::Page};
        break;
      case Type::Page:
        if (id == 0x02 || id == 0x29) return {C::Struct, Type::Leaf};
        if (id == 0x34) return {C::Commands, Type::Leaf};
        break;
      case Type::MapInfo:
        if (id == 0x0C) return {C::Struct, Type::Leaf};
        if (id == 0x29) return {C::Array, Type::Leaf};
        break;
      case Type::Leaf:
        break;
    }
    return {C::Bytes, Type::Leaf};
  }

  // Chunks up to id 0, which must be the last byte before end. A command
  // list's size field (0x33 of a page, 0x15 of a common event) must equal
  // the list's length.
  void Struct(Type type, std::size_t end) {
    std::map<std::uint32_t, std::uint32_t> sizes;
    for (;;) {
      const std::uint32_t id = Ber(end);
      if (id == 0) break;
      const std::uint32_t length = Ber(end);
      if (length > end - p_) Fail("chunk " + std::to_string(id) + " runs past its parent");
      const std::size_t chunkEnd = p_ + length;
      const auto [content, inner] = FieldOf(type, id);
      switch (content) {
        case Content::Bytes:
          if ((type == Type::Page && id == 0x33) || (type == Type::CommonEvent && id == 0x15)) {
            sizes[id] = Ber(chunkEnd);
          }
          p_ = chunkEnd;
          break;
        case Content::Struct:
          Struct(inner, chunkEnd);
          break;
        case Content::Array:
          Array(inner, chunkEnd);
          break;
        case Content::Commands: {
          const std::uint32_t sizeId = type == Type::Page ? 0x33 : 0x15;
          if (!sizes.count(sizeId) || sizes[sizeId] != length) Fail("command list size field is wrong");
          CommandList(chunkEnd);
          break;
        }
      }
      if (p_ != chunkEnd) Fail("chunk " + std::to_string(id) + " has bytes left over");
    }
    if (p_ != end) Fail("structure ends before its chunk does");
  }

  void Array(Type type, std::size_t end) {
    const std::uint32_t count = Ber(end);
    for (std::uint32_t i = 0; i < count; ++i) {
      Ber(end);  // index
      StructUntilZero(type, end);
    }
    if (p_ != end) Fail("array has bytes left over");
  }

  // An array entry's structure has no length of its own: it ends at its id 0.
  void StructUntilZero(Type type, std::size_t end) {
    const std::size_t start = p_;
    for (;;) {
      const std::uint32_t id = Ber(end);
      if (id == 0) break;
      const std::uint32_t length = Ber(end);
      if (length > end - p_) Fail("chunk runs past its array");
      p_ += length;
    }
    const std::size_t structEnd = p_;
    p_ = start;
    Struct(type, structEnd);
  }

  void CommandList(std::size_t end) {
    ++summary_.commandLists;
    for (;;) {
      const std::size_t start = p_;
      const std::uint32_t code = Ber(end);
      const std::uint32_t indent = Ber(end);
      const std::uint32_t length = Ber(end);
      if (length > end - p_) Fail("command string runs past the list");
      p_ += length;
      const std::uint32_t count = Ber(end);
      for (std::uint32_t i = 0; i < count; ++i) Ber(end);
      ++summary_.codes[static_cast<int>(code)];
      if (code == 20110) {
        ++summary_.continuationLines;
        if (pendingMessage_ == kNone) Fail("continuation line without a message");
      } else {
        CheckCut(start);
      }
      if (code == 10110) {
        ++summary_.messages;
        pendingMessage_ = start;
      }
      if (code == 10110 || code == 20110) {
        if (indent > 127 || length > 127 || count != 0) Fail("message record outside the cut's grammar");
      }
      if (code == 0) {
        if (indent != 0 || length != 0 || count != 0 || p_ != end) Fail("command list ends badly");
        return;
      }
    }
  }

  // The record that started at pendingMessage_ ends where the next command
  // starts; the scan must read exactly that far.
  void CheckCut(std::size_t nextCommand) {
    if (pendingMessage_ == kNone) return;
    std::size_t q = pendingMessage_ - 1;
    q += 4;  // the byte before, the marker, the indent
    q += 1 + At(q) + 1;
    while (At(q) == 0x81 && At(q + 1) == 0x9D) {
      q += 4;
      q += 1 + At(q) + 1;
    }
    if (q != nextCommand) Fail("a message record is cut at the wrong place");
    pendingMessage_ = kNone;
  }

  void MapTree() {
    const std::size_t end = d_.size();
    const std::uint32_t maps = Ber(end);
    for (std::uint32_t i = 0; i < maps; ++i) {
      Ber(end);
      StructUntilZero(Type::MapInfo, end);
    }
    const std::uint32_t order = Ber(end);
    for (std::uint32_t i = 0; i < order; ++i) Ber(end);
    Ber(end);  // active node
    StructUntilZero(Type::Leaf, end);
  }

  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  std::string_view d_;
  std::size_t p_ = 0;
  std::size_t pendingMessage_ = kNone;
  LcfSummary summary_;
};

}  // namespace quillfen::testing
