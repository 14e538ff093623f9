// The form reader either reads a tree or raises EFormError with a line that
// exists in the text; it never crashes, hangs or reads past the input.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "FormReader.h"

namespace {

int Depth(const quillfen::vcl::TFormObject& object) {
  int deepest = 0;
  for (const auto& child : object.Children) deepest = std::max(deepest, Depth(child));
  return deepest + 1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto lines = static_cast<int>(std::count(text.begin(), text.end(), '\n')) + 1;
  try {
    const quillfen::vcl::TFormObject root = quillfen::vcl::ReadFormText(text);
    if (root.Name.empty() || root.ClassName.empty()) std::abort();
    if (Depth(root) > quillfen::vcl::kMaxFormDepth) std::abort();
  } catch (const quillfen::vcl::EFormError& e) {
    if (e.Line() < 1 || e.Line() > lines) std::abort();
  }
  return 0;
}
