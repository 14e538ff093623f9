// The INI edit: editing twice equals editing once; the edited text keeps
// every byte outside one inserted or replaced span; the value is in the result.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "IniText.h"

namespace {

struct Edit {
  std::string_view section, key, value;
};

const Edit kEdits[] = {
    {"RPG_RT", "FullPackageFlag", "1"},
    {"rpg_rt", "fullpackageflag", "0"},
    {"A", "B", ""},
    {" Sec tion ", "k", "v=w;x"},
};

bool HasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

// The edit either inserts text at one place or replaces bytes within one
// line; every byte outside that span is the input's.
void CheckOneSpanChanged(std::string_view before, std::string_view after) {
  std::size_t head = 0;
  while (head < before.size() && head < after.size() && before[head] == after[head]) ++head;
  std::size_t tail = 0;
  while (tail < before.size() - head && tail < after.size() - head &&
         before[before.size() - 1 - tail] == after[after.size() - 1 - tail]) {
    ++tail;
  }
  const std::string_view removed = before.substr(head, before.size() - head - tail);
  const std::string_view inserted = after.substr(head, after.size() - head - tail);
  if (HasLineBreak(removed)) std::abort();
  if (!removed.empty() && HasLineBreak(inserted)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const Edit& edit = kEdits[data[0] % (sizeof kEdits / sizeof kEdits[0])];
  const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
  if (!quillfen::IsValidIniEdit(edit.section, edit.key, edit.value)) std::abort();

  const std::string once = quillfen::SetIniValue(text, edit.section, edit.key, edit.value);
  const std::string twice = quillfen::SetIniValue(once, edit.section, edit.key, edit.value);
  if (once != twice) std::abort();
  CheckOneSpanChanged(text, once);

  // Setting another value and then this one again gives the same text.
  const std::string other = quillfen::SetIniValue(once, edit.section, edit.key, "other");
  if (quillfen::SetIniValue(other, edit.section, edit.key, edit.value) != once) std::abort();
  if (once.find(std::string(edit.value)) == std::string::npos) std::abort();
  return 0;
}
