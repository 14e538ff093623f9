// The one-pass marker removal must agree with the literal restart algorithm
// on any input: the same bytes, or a read error in both. Cut in chunks (of
// a size and with a hold that the input's first two bytes choose), it must
// give those bytes too, or ask for the input whole.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "ProjectData.h"
#include "RestartStripMarkers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  if (size < 2 || size > 4096) return 0;  // the oracle is quadratic
  const std::size_t chunk = 1 + bytes[0] % 64;
  const std::size_t hold = 2 + bytes[1] % 16;
  std::string data(reinterpret_cast<const char*>(bytes + 2), size - 2);
  std::string expected = data;
  bool oracleFailed = false;
  try {
    quillfen::oracle::RestartStripMarkers(expected);
  } catch (const quillfen::oracle::RestartReadError&) {
    oracleFailed = true;
  }
  std::string whole = data;
  bool failed = false;
  try {
    quillfen::StripMarkers(whole);
  } catch (const quillfen::ReadError&) {
    failed = true;
  }
  if (failed != oracleFailed) std::abort();
  if (!failed && whole != expected) std::abort();

  quillfen::MarkedRunCutter cutter(data.size(), hold);
  std::string pieced;
  bool chunkFailed = false;
  bool asksWhole = false;
  try {
    for (std::size_t at = 0; at < data.size() || at == 0; at += chunk) {
      const std::size_t count = std::min(chunk, data.size() - at);
      // A block of its own for each chunk, gone before the next.
      std::vector<char> block(cutter.Room() + count);
      std::memcpy(block.data() + cutter.Room(), data.data() + at, count);
      std::vector<std::string_view> kept;
      if (!cutter.Cut(block.data() + cutter.Room(), count, kept)) {
        asksWhole = true;
        break;
      }
      for (std::string_view span : kept) pieced.append(span);
      if (count == 0) break;
    }
  } catch (const quillfen::ReadError&) {
    chunkFailed = true;
  }
  if (asksWhole) return 0;
  if (chunkFailed != oracleFailed) std::abort();
  if (!chunkFailed && pieced != expected) std::abort();
  return 0;
}
