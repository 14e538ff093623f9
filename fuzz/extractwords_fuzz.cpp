// The word list must hold exactly the distinct words of the data, each once
// ignoring case, in the first spelling met, and progress stays within 1..99
// and only climbs.
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>

#include "ScanLib.h"

namespace {

bool IsWordChar(unsigned char c) {
  return c == '-' || c == '_' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
         (c >= 'a' && c <= 'z');
}

std::string Lower(std::string s) {
  for (char& c : s) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  // Repeat small inputs so that the large block passes are reached too.
  std::string data(reinterpret_cast<const char*>(bytes), size);
  if (size > 0 && size < 64 && bytes[0] % 16 == 0) {
    while (data.size() < 520000) data += data;
  }
  // Every one- and two-character word first, so that the rest is scanned
  // the way binary data is once such words are all known.
  if (size > 0 && bytes[0] % 16 == 1) {
    const std::string alphabet = "-_0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    std::string preamble;
    for (char a : alphabet) preamble += std::string(1, a) + " ";
    for (char a : alphabet)
      for (char b : alphabet) preamble += std::string{a, b, ' '};
    data = preamble + data;
  }
  std::set<std::string> folded;
  std::vector<std::string> firstSpelling;
  std::string word;
  for (std::size_t i = 0; i <= data.size(); ++i) {
    if (i < data.size() && IsWordChar(static_cast<unsigned char>(data[i]))) {
      word += data[i];
      continue;
    }
    if (!word.empty() && folded.insert(Lower(word)).second) firstSpelling.push_back(word);
    word.clear();
  }
  quillfen::StringList list(true);
  int last = 0;
  quillfen::ExtractWordsFromData(data, list, [&](int p) {
    if (p <= last || p >= 100) std::abort();
    last = p;
  });
  if (static_cast<std::size_t>(list.Count()) != firstSpelling.size()) std::abort();
  for (const std::string& w : firstSpelling) {
    int at = list.IndexOf(w);
    if (at < 0 || list[at] != w) std::abort();
  }
  return 0;
}
