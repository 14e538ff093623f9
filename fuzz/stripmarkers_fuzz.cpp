// The one-pass marker removal must agree with the literal restart algorithm
// on any input: the same bytes, or a read error in both.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "ProjectData.h"
#include "RestartStripMarkers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  if (size > 4096) return 0;  // the oracle is quadratic
  std::string data(reinterpret_cast<const char*>(bytes), size);
  std::string expected = data;
  bool oracleFailed = false;
  try {
    quillfen::oracle::RestartStripMarkers(expected);
  } catch (const quillfen::oracle::RestartReadError&) {
    oracleFailed = true;
  }
  bool failed = false;
  try {
    quillfen::StripMarkers(data);
  } catch (const quillfen::ReadError&) {
    failed = true;
  }
  if (failed != oracleFailed) std::abort();
  if (!failed && data != expected) std::abort();
  return 0;
}
