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

#include "Schema.h"

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
        c.Signature(lcf::kDatabaseSignature);
        c.Struct(Type::Database, data.size());
        break;
      case File::MapTree:
        c.Signature(lcf::kMapTreeSignature);
        c.MapTree();
        break;
      case File::MapUnit:
        c.Signature(lcf::kMapUnitSignature);
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
    namespace chunk = lcf::chunk;
    switch (owner) {
      case Type::Database:
        if (id == chunk::Database::kTroops) return {C::Array, Type::Troop};
        if (id == chunk::Database::kAnimations) return {C::Array, Type::Animation};
        if (id == chunk::Database::kTerms) return {C::Struct, Type::Leaf};
        if (id == chunk::Database::kSystem) return {C::Struct, Type::System};
        if (id == chunk::Database::kCommonEvents) return {C::Array, Type::CommonEvent};
        if (id >= chunk::Database::kActors && id <= chunk::Database::kVariables) {
          return {C::Array, Type::Leaf};
        }
        break;
      case Type::Troop:
        if (id == chunk::Troop::kMembers) return {C::Array, Type::Leaf};
        break;
      case Type::Animation:
        if (id == chunk::Animation::kTimings) return {C::Array, Type::Timing};
        if (id == chunk::Animation::kFrames) return {C::Array, Type::Frame};
        break;
      case Type::Timing:
        if (id == chunk::AnimationTiming::kSe) return {C::Struct, Type::Leaf};
        break;
      case Type::Frame:
        if (id == chunk::AnimationFrame::kCells) return {C::Array, Type::Leaf};
        break;
      case Type::System: {
        using namespace chunk::System;
        const bool music = id >= kTitleMusic && id <= kGameoverMusic;
        const bool sound = id >= kCursorSe && id <= kItemSe;
        if (music || sound) return {C::Struct, Type::Leaf};
        break;
      }
      case Type::CommonEvent:
        if (id == chunk::CommonEvent::kEventCommands) return {C::Commands, Type::Leaf};
        break;
      case Type::Map:
        if (id == chunk::Map::kEvents) return {C::Array, Type::Event};
        break;
      case Type::Event:
        if (id == chunk::Event::kPages) return {C::Array, Type::Page};
        break;
      case Type::Page:
        if (id == chunk::EventPage::kCondition || id == chunk::EventPage::kMoveRoute) {
          return {C::Struct, Type::Leaf};
        }
        if (id == chunk::EventPage::kEventCommands) return {C::Commands, Type::Leaf};
        break;
      case Type::MapInfo:
        if (id == chunk::MapInfo::kMusic) return {C::Struct, Type::Leaf};
        if (id == chunk::MapInfo::kEncounters) return {C::Array, Type::Leaf};
        break;
      case Type::Leaf:
        break;
    }
    return {C::Bytes, Type::Leaf};
  }

  // Chunks up to id 0, which must be the last byte before end. A command
  // list's size field (of a page or a common event) must equal the list's
  // length.
  void Struct(Type type, std::size_t end) {
    const std::uint32_t sizeId = type == Type::Page ? lcf::chunk::EventPage::kEventCommandsSize
                                                    : lcf::chunk::CommonEvent::kEventCommandsSize;
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
          if ((type == Type::Page || type == Type::CommonEvent) && id == sizeId) sizes[id] = Ber(chunkEnd);
          p_ = chunkEnd;
          break;
        case Content::Struct:
          Struct(inner, chunkEnd);
          break;
        case Content::Array:
          Array(inner, chunkEnd);
          break;
        case Content::Commands: {
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
      if (code == lcf::kMessageLine) {
        ++summary_.continuationLines;
        if (pendingMessage_ == kNone) Fail("continuation line without a message");
      } else {
        CheckCut(start);
      }
      if (code == lcf::kShowMessage) {
        ++summary_.messages;
        pendingMessage_ = start;
      }
      if (code == lcf::kShowMessage || code == lcf::kMessageLine) {
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
