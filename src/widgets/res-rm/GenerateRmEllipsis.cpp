// Writes rm_ellipsis.bmp, the default glyph of the button edit's buttons:
//   GenerateRmEllipsis <output.bmp>
#include <cstdio>

#include "rmBtnEdit.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: GenerateRmEllipsis <output.bmp>\n");
    return 2;
  }
  const auto bytes = quillfen::widgets::EncodeBmp24(quillfen::widgets::EllipsisGlyphBits());
  FILE* out = std::fopen(argv[1], "wb");
  if (!out) {
    std::perror(argv[1]);
    return 1;
  }
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
  return std::fclose(out) == 0 && ok ? 0 : 1;
}
