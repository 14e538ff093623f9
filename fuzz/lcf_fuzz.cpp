// The database-format readers on any bytes: no crash, no read out of bounds,
// and every problem names its file at an offset inside it. The first byte
// picks the file kind; its signature is put in front so that the rest of the
// input reaches the structures.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "LcfWriter.h"
#include "References.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string body(reinterpret_cast<const char*>(data + 1), size - 1);
  quillfen::lcf::Collected out;
  std::string file;
  std::string bytes;
  switch (data[0] % 4) {
    case 0:
      file = "RPG_RT.ldb";
      bytes = quillfen::lcf::Header(quillfen::lcf::kDatabaseSignature) + body;
      quillfen::lcf::ReadDatabase(bytes, file, out);
      break;
    case 1:
      file = "RPG_RT.lmt";
      bytes = quillfen::lcf::Header(quillfen::lcf::kMapTreeSignature) + body;
      quillfen::lcf::ReadMapTree(bytes, file, out);
      break;
    case 2:
      file = "Map0001.lmu";
      bytes = quillfen::lcf::Header(quillfen::lcf::kMapUnitSignature) + body;
      quillfen::lcf::ReadMapUnit(bytes, file, out);
      break;
    default:
      file = "Map0001.lmu";
      bytes = body;  // no signature: must be refused cleanly
      quillfen::lcf::ReadMapUnit(bytes, file, out);
      break;
  }
  for (const quillfen::lcf::Problem& p : out.problems) {
    if (p.file != file) std::abort();
    if (p.offset != quillfen::lcf::Problem::kNoOffset && p.offset > bytes.size()) std::abort();
  }
  for (const quillfen::lcf::Reference& r : out.references) {
    if (r.name.empty() || r.name == "(OFF)" || r.where.empty()) std::abort();
  }
  return 0;
}
