#include <errno.h>
#include <iconv.h>

#include "TextDecode.h"

namespace quillfen {

bool NamesNeedDecoding() { return true; }

std::optional<CodePage> AnsiCodePage() { return std::nullopt; }

std::optional<std::string> DecodeToUtf8(std::string_view bytes, CodePage codePage) {
  bool ascii = true;
  for (char c : bytes) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  if (ascii) return std::string(bytes);
  // CP932 is the Windows form of Shift-JIS that Japanese games are written in.
  iconv_t cd = ::iconv_open("UTF-8", codePage == CodePage::kShiftJis ? "CP932" : "CP1252");
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string in(bytes);
  std::string out(bytes.size() * 4 + 4, '\0');
  char* inPtr = in.data();
  std::size_t inLeft = in.size();
  char* outPtr = out.data();
  std::size_t outLeft = out.size();
  const std::size_t done = ::iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
  ::iconv_close(cd);
  if (done == static_cast<std::size_t>(-1) || inLeft != 0) return std::nullopt;
  out.resize(out.size() - outLeft);
  return out;
}

}  // namespace quillfen
