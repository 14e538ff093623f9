// user.reg parsing: any bytes give a hive without crashing, the same hive
// every time, and every key and value it holds is found by its name in
// other letter case.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "UserReg.h"

namespace {

std::string Lowered(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const quillfen::RegHive hive = quillfen::ParseUserReg(text);
  for (const auto& [key, values] : hive) {
    if (!quillfen::HiveHasKey(hive, key)) std::abort();
    if (!quillfen::HiveHasKey(hive, Lowered(key))) std::abort();
    const auto found = hive.find(Lowered(key));
    if (found == hive.end()) std::abort();
    for (const auto& entry : values) {
      if (found->second.find(Lowered(entry.first)) == found->second.end()) std::abort();
    }
  }
  if (quillfen::ParseUserReg(text) != hive) std::abort();
  return 0;
}
