// The numbers of the game database format, named once (Schema.def) for the
// reader, the writer, the demo and the tests:
//   chunk::Actor::kFaceName         a chunk id of one structure
//   kPlaySound, kMoveChangeGraphic  event command and move codes
//   value::TreeMap::kMap            an enumeration value a reader acts on
// and the same lines as a table, with the format's own names for each.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace quillfen::lcf {

// The text at the head of each file.
inline constexpr std::string_view kDatabaseSignature = "LcfDataBase";
inline constexpr std::string_view kMapTreeSignature = "LcfMapTree";
inline constexpr std::string_view kMapUnitSignature = "LcfMapUnit";

#define LCF_CHUNK(structure, constant, field, id) \
  namespace chunk::structure {                    \
  inline constexpr std::uint32_t constant = id;   \
  }
#define LCF_SIZE LCF_CHUNK
#define LCF_COMMAND(constant, name, code) inline constexpr std::int32_t constant = code;
#define LCF_MOVE(constant, name, code) inline constexpr std::int32_t constant = code;
#define LCF_VALUE(structure, enumeration, constant, name, number) \
  namespace value::structure {                                    \
  inline constexpr std::int32_t constant = number;                \
  }
#include "Schema.def"

// One line of the table in the reference's terms.
struct ChunkEntry {
  std::string_view structure;
  std::string_view field;
  bool size;  // the chunk holding the byte size of the field's own chunk
  std::uint32_t id;
};
struct CodeEntry {
  std::string_view enumeration;  // "EventCommand" or "MoveCommand"
  std::string_view name;
  std::int32_t code;
};
struct ValueEntry {
  std::string_view structure;
  std::string_view enumeration;
  std::string_view name;
  std::int32_t value;
};

namespace schema_detail {
inline constexpr ChunkEntry kChunks[] = {
#define LCF_CHUNK(structure, constant, field, id) {#structure, #field, false, id},
#define LCF_SIZE(structure, constant, field, id) {#structure, #field, true, id},
#include "Schema.def"
};
inline constexpr CodeEntry kCodes[] = {
#define LCF_COMMAND(constant, name, code) {"EventCommand", #name, code},
#define LCF_MOVE(constant, name, code) {"MoveCommand", #name, code},
#include "Schema.def"
};
inline constexpr ValueEntry kValues[] = {
#define LCF_VALUE(structure, enumeration, constant, name, number) {#structure, #enumeration, #name, number},
#include "Schema.def"
};
}  // namespace schema_detail

inline std::span<const ChunkEntry> ChunkTable() { return schema_detail::kChunks; }
inline std::span<const CodeEntry> CodeTable() { return schema_detail::kCodes; }
inline std::span<const ValueEntry> ValueTable() { return schema_detail::kValues; }

}  // namespace quillfen::lcf
