#include "ScanLib.h"

#include <algorithm>
#include <array>
#include <bit>
#include <memory>
#include <stdexcept>
#include <cstring>
#include <vector>

#include "TextCompare.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include "VectorScan.h"
#if QF_VECTOR_AVX512
#include <immintrin.h>
#endif

namespace quillfen {
namespace {

constexpr std::array<std::size_t, 7> kBlockSizes = {512000, 102400, 51200, 20480, 5120, 1024, 1};
constexpr std::size_t kPatternBlock = 32768;

constexpr std::array<bool, 256> MakeWordTable() {
  std::array<bool, 256> t{};
  t['-'] = true;
  t['_'] = true;
  for (int c = '0'; c <= '9'; ++c) t[c] = true;
  for (int c = 'A'; c <= 'Z'; ++c) t[c] = true;
  for (int c = 'a'; c <= 'z'; ++c) t[c] = true;
  return t;
}
constexpr std::array<bool, 256> kWordChar = MakeWordTable();

// Word characters folded to 0..63 so that spellings differing only in
// letter case share one code.
constexpr std::array<std::uint8_t, 256> MakeFoldTable() {
  std::array<std::uint8_t, 256> t{};
  t['-'] = 0;
  t['_'] = 1;
  for (int c = '0'; c <= '9'; ++c) t[c] = static_cast<std::uint8_t>(2 + c - '0');
  for (int c = 'a'; c <= 'z'; ++c) {
    t[c] = static_cast<std::uint8_t>(12 + c - 'a');
    t[c - 'a' + 'A'] = static_cast<std::uint8_t>(12 + c - 'a');
  }
  return t;
}
constexpr std::array<std::uint8_t, 256> kFold = MakeFoldTable();

// Remembers the words met so far, ignoring case, keeping the first spelling
// of each in order of appearance. Words of up to eight characters are their
// own 64-bit key, longer ones are known by a hash of their folded bytes.
// The spellings are packed one after another, each after its length: a
// game holds tens of thousands of words, mostly of three or four letters,
// and the scan's peak memory is mostly its word list.
class WordCollector {
 public:
  WordCollector() : short_(std::size_t{1} << kShortBits, 0), slots_(1 << 10) {}

  // Most calls are for short words that are known already: that test is
  // kept inline in the scanner. At least eight bytes may be read from word
  // when word + 8 <= limit.
  [[gnu::always_inline]] inline void Add(const char* word, std::size_t length, const char* limit) {
    if (length > kPackedMax) {
      AddLonger(word, length);
      return;
    }
    std::uint64_t key;
    if (std::endian::native == std::endian::little && limit - word >= 8) {
      std::memcpy(&key, word, 8);
      key = (key | 0x2020202020202020ull) & kPresent[length];
    } else {
      key = PackedKey(word, length);
    }
    const std::size_t mask = short_.size() - 1;
    for (std::size_t s = ShortSlot(key);; s = (s + 1) & mask) {
      const std::uint64_t known = short_[s];
      if (known == key) return;
      if (known == 0) {
        InsertShort(s, key, word, length);
        return;
      }
    }
  }

  // Every word met, in order, each once; the collector is empty after it.
  // The look-up tables go first and each page of spellings once read, so
  // that the words are never held twice.
  std::vector<std::string> Take() {
    std::vector<std::uint64_t>().swap(short_);
    std::vector<Slot>().swap(slots_);
    std::vector<std::string> words;
    words.reserve(count_);
    for (Page& page : pages_) {
      for (const char* at = page.bytes.get(); at < page.bytes.get() + page.used;) {
        const std::size_t length = ReadLength(at);
        words.emplace_back(at, length);
        at += length;
      }
      page.bytes.reset();
    }
    std::vector<Page>().swap(pages_);
    count_ = 0;
    return words;
  }

  // Every word of one (two) characters has been met: further ones change
  // nothing, and the scanner may skip them. In binary data that happens
  // within the first megabytes, and such words are most of what it holds.
  bool AllSingles() const { return shortSeen_[1] == kWordCodes; }
  bool AllPairs() const { return shortSeen_[2] == kWordCodes * kWordCodes; }

 private:
  static constexpr std::size_t kPackedMax = 8;
  static constexpr unsigned kShortBits = 12;

  // Setting bit 5 of each byte folds letter case and leaves every other
  // word character as it is; no word character is zero, so the bytes past
  // the word (zero) also tell its length.
  static constexpr std::array<std::uint64_t, 9> kPresent = {
      0, 0xFFull, 0xFFFFull, 0xFFFFFFull, 0xFFFFFFFFull, 0xFFFFFFFFFFull, 0xFFFFFFFFFFFFull,
      0xFFFFFFFFFFFFFFull, ~0ull};
  static std::uint64_t PackedKey(const char* word, std::size_t length) {
    std::uint64_t key = 0;
    for (std::size_t i = 0; i < length; ++i) {
      key |= static_cast<std::uint64_t>(static_cast<unsigned char>(word[i]) | 0x20) << (8 * i);
    }
    return key;
  }

  std::size_t ShortSlot(std::uint64_t key) const {
    return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> shortShift_);
  }

  [[gnu::noinline]] void InsertShort(std::size_t slot, std::uint64_t key, const char* word,
                                     std::size_t length) {
    short_[slot] = key;
    ++shortSeen_[length];
    Keep(word, length);
    // Once large, filled up to three quarters: the table is most of what
    // the words cost, and a look-up of a known word still takes about two
    // slots. A small one grows at half, keeping it clear of the sizes the
    // allocator keeps in its heap once freed.
    const std::size_t most = short_.size() >= (std::size_t{1} << 14) ? short_.size() / 4 * 3 : short_.size() / 2;
    if (++shortUsed_ <= most) return;
    std::vector<std::uint64_t> old(short_.size() * 2, 0);
    old.swap(short_);
    --shortShift_;
    const std::size_t mask = short_.size() - 1;
    for (std::uint64_t known : old) {
      if (known == 0) continue;
      std::size_t s = ShortSlot(known);
      while (short_[s] != 0) s = (s + 1) & mask;
      short_[s] = known;
    }
  }

  [[gnu::noinline]] void AddLonger(const char* word, std::size_t length) {
    std::uint64_t h = 1469598103934665603ull;
    for (std::size_t i = 0; i < length; ++i) {
      h = (h ^ kFold[static_cast<unsigned char>(word[i])]) * 1099511628211ull;
    }
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t s = h & mask;; s = (s + 1) & mask) {
      Slot& slot = slots_[s];
      if (slot.word == nullptr) {
        slot.hash = h;
        slot.word = Keep(word, length);
        if (++used_ * 2 > slots_.size()) GrowLonger();
        return;
      }
      if (slot.hash == h && SameFolded(slot.word, word, length)) return;
    }
  }

  struct Slot {
    std::uint64_t hash = 0;
    const char* word = nullptr;  // its spelling, from the length on; none when empty
  };

  void GrowLonger() {
    std::vector<Slot> old(slots_.size() * 2);
    old.swap(slots_);
    const std::size_t mask = slots_.size() - 1;
    for (const Slot& slot : old) {
      if (slot.word == nullptr) continue;
      std::size_t s = slot.hash & mask;
      while (slots_[s].word != nullptr) s = (s + 1) & mask;
      slots_[s] = slot;
    }
  }

  // The length, seven bits a byte, low bits first; then the bytes. Pages
  // are filled in turn and never move; a word longer than a page gets one
  // of its own. Returns where it starts.
  const char* Keep(const char* word, std::size_t length) {
    const std::size_t need = length + (std::bit_width(length | 1) + 6) / 7;
    if (pages_.empty() || kPage - pages_.back().used < need) {
      pages_.push_back(Page{std::unique_ptr<char[]>(new char[std::max(kPage, need)]), 0});
    }
    Page& page = pages_.back();
    char* const start = page.bytes.get() + page.used;
    char* at = start;
    for (std::size_t rest = length;; rest >>= 7) {
      const bool more = rest >= 0x80;
      *at++ = static_cast<char>((rest & 0x7F) | (more ? 0x80 : 0));
      if (!more) break;
    }
    std::memcpy(at, word, length);
    page.used += need;
    ++count_;
    return start;
  }
  // The length that starts at at; at moves on to the bytes.
  static std::size_t ReadLength(const char*& at) {
    std::size_t length = 0;
    for (unsigned shift = 0;; shift += 7) {
      const auto byte = static_cast<unsigned char>(*at++);
      length |= static_cast<std::size_t>(byte & 0x7F) << shift;
      if ((byte & 0x80) == 0) return length;
    }
  }

  static bool SameFolded(const char* a, const char* b, std::size_t length) {
    if (ReadLength(a) != length) return false;
    for (std::size_t i = 0; i < length; ++i) {
      if (kFold[static_cast<unsigned char>(a[i])] != kFold[static_cast<unsigned char>(b[i])]) return false;
    }
    return true;
  }

  struct Page {
    std::unique_ptr<char[]> bytes;
    std::size_t used = 0;
  };
  // Large enough that the allocator maps each page apart: untouched parts
  // cost nothing, and a page goes back to the system when freed, whichever
  // thread took it.
  static constexpr std::size_t kPage = 1u << 20;

  static constexpr std::size_t kWordCodes = 38;  // '-', '_', ten digits, 26 letters
  std::vector<std::uint64_t> short_;  // packed keys; 0 is empty
  unsigned shortShift_ = 64 - kShortBits;
  std::size_t shortUsed_ = 0;
  std::size_t shortSeen_[kPackedMax + 1] = {};
  std::vector<Slot> slots_;
  std::size_t used_ = 0;
  std::vector<Page> pages_;
  std::size_t count_ = 0;
};

}  // namespace

int RoundedPercent(std::uint64_t position, std::uint64_t size) {
  if (size == 0) return 0;
  // Exact: position * 100 fits easily for any real file size.
  std::uint64_t scaled = position * 100;
  std::uint64_t q = scaled / size;
  std::uint64_t r = scaled % size;
  if (2 * r > size || (2 * r == size && (q & 1) != 0)) ++q;
  return static_cast<int>(q);
}

namespace {

// Bit i set when byte i of the 64 at p is a word character.
inline std::uint64_t WordMask64(const char* p) {
#if defined(__SSE2__)
  std::uint64_t mask = 0;
  const __m128i lowerA = _mm_set1_epi8('a');
  const __m128i span25 = _mm_set1_epi8(25);
  const __m128i zero = _mm_set1_epi8('0');
  const __m128i span9 = _mm_set1_epi8(9);
  const __m128i bit20 = _mm_set1_epi8(0x20);
  const __m128i dash = _mm_set1_epi8('-');
  const __m128i underscore = _mm_set1_epi8('_');
  for (int k = 0; k < 4; ++k) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
    // unsigned x - lo <= span, as min(x - lo, span) == x - lo
    __m128i letter = _mm_sub_epi8(_mm_or_si128(v, bit20), lowerA);
    letter = _mm_cmpeq_epi8(_mm_min_epu8(letter, span25), letter);
    __m128i digit = _mm_sub_epi8(v, zero);
    digit = _mm_cmpeq_epi8(_mm_min_epu8(digit, span9), digit);
    __m128i word = _mm_or_si128(_mm_or_si128(letter, digit),
                                _mm_or_si128(_mm_cmpeq_epi8(v, dash), _mm_cmpeq_epi8(v, underscore)));
    mask |= static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm_movemask_epi8(word)) & 0xFFFFu)
            << (16 * k);
  }
  return mask;
#else
  std::uint64_t mask = 0;
  for (int i = 0; i < 64; ++i) {
    mask |= static_cast<std::uint64_t>(kWordChar[static_cast<unsigned char>(p[i])]) << i;
  }
  return mask;
#endif
}

#if QF_VECTOR_AVX512
// The same with one compare per class over all 64 bytes at once.
[[gnu::target("avx512bw")]] inline std::uint64_t WordMask64Avx512(const char* p) {
  const __m512i v = _mm512_loadu_si512(p);
  const __m512i letter = _mm512_sub_epi8(_mm512_or_si512(v, _mm512_set1_epi8(0x20)), _mm512_set1_epi8('a'));
  const __m512i digit = _mm512_sub_epi8(v, _mm512_set1_epi8('0'));
  return _mm512_cmple_epu8_mask(letter, _mm512_set1_epi8(25)) |
         _mm512_cmple_epu8_mask(digit, _mm512_set1_epi8(9)) |
         _mm512_cmpeq_epi8_mask(v, _mm512_set1_epi8('-')) | _mm512_cmpeq_epi8_mask(v, _mm512_set1_epi8('_'));
}
#endif

// Hands every word of bytes[begin, end) to the collector. Neither edge may
// fall inside a word; bytes up to limit may be read.
template <std::uint64_t (*Mask)(const char*)>
[[gnu::always_inline]] inline void CollectWordsWith(const char* bytes, std::size_t begin, std::size_t end,
                                                    const char* limit, WordCollector& collector) {
  std::size_t i = begin;
  std::size_t wordStart = 0;
  bool inWord = false;
  // 64 bytes at a time: a word starts where the mask goes from 0 to 1 and
  // ends where it goes back, and the n-th start pairs with the n-th end.
  for (; i + 64 <= end; i += 64) {
    const std::uint64_t m = Mask(bytes + i);
    const std::uint64_t before = (m << 1) | (inWord ? 1 : 0);  // bit b: byte b - 1 is a word character
    std::uint64_t starts = m & ~before;
    std::uint64_t ends = before & ~m;  // bit b: a word ends just before byte b
    if (collector.AllSingles()) {
      // Words that start and end inside these 64 bytes: drop both edges.
      const std::uint64_t singles = starts & ~(m >> 1) & (~0ull >> 1);
      starts &= ~singles;
      ends &= ~(singles << 1);
      if (collector.AllPairs()) {
        const std::uint64_t pairs = starts & (m >> 1) & ~(m >> 2) & (~0ull >> 2);
        starts &= ~pairs;
        ends &= ~(pairs << 2);
      }
    }
    if (inWord) {
      if (ends == 0) continue;
      const std::size_t e = i + static_cast<std::size_t>(std::countr_zero(ends));
      ends &= ends - 1;
      collector.Add(bytes + wordStart, e - wordStart, limit);
      inWord = false;
    }
    while (starts != 0) {
      const unsigned s = static_cast<unsigned>(std::countr_zero(starts));
      starts &= starts - 1;
      if (ends == 0) {
        wordStart = i + s;
        inWord = true;
        break;
      }
      const unsigned e = static_cast<unsigned>(std::countr_zero(ends));
      ends &= ends - 1;
      collector.Add(bytes + i + s, e - s, limit);
    }
  }
  for (; i < end; ++i) {
    bool isWord = kWordChar[static_cast<unsigned char>(bytes[i])];
    if (isWord == inWord) continue;
    if (isWord) {
      wordStart = i;
      inWord = true;
    } else {
      collector.Add(bytes + wordStart, i - wordStart, limit);
      inWord = false;
    }
  }
  if (inWord) collector.Add(bytes + wordStart, end - wordStart, limit);
}

void CollectWordsPortable(const char* bytes, std::size_t begin, std::size_t end, const char* limit,
                          WordCollector& collector) {
  CollectWordsWith<WordMask64>(bytes, begin, end, limit, collector);
}

#if QF_VECTOR_AVX512
[[gnu::target("avx512bw,bmi,bmi2,popcnt")]] void CollectWordsAvx512(const char* bytes, std::size_t begin,
                                                                   std::size_t end, const char* limit,
                                                                   WordCollector& collector) {
  CollectWordsWith<WordMask64Avx512>(bytes, begin, end, limit, collector);
}
#endif

void CollectWords(const char* bytes, std::size_t begin, std::size_t end, const char* limit,
                  WordCollector& collector) {
#if QF_VECTOR_AVX512
  if (Avx512InUse()) {
    CollectWordsAvx512(bytes, begin, end, limit, collector);
    return;
  }
#endif
  CollectWordsPortable(bytes, begin, end, limit, collector);
}

// The gauge values of one extraction, in order: the percentage before each
// block of the seven passes, when it changes, held back at 100.
class ProgressSchedule {
 public:
  // Positions are 64-bit on every target: the project data can pass 4 GiB.
  explicit ProgressSchedule(std::uint64_t size) : size_(size) {}

  // Reports the values of every block that starts at or before position.
  void ReportUpTo(std::uint64_t position, const ProgressSink& progress) {
    while (pass_ < kBlockSizes.size()) {
      const std::uint64_t s = kBlockSizes[pass_];
      if (next_ + s > size_) {
        ++pass_;
        continue;
      }
      if (next_ > position) return;
      int percent = RoundedPercent(next_, size_);
      if (percent != last_ && percent < 100) {
        last_ = percent;
        progress(percent);
      }
      // Within one pass many blocks share a percentage; skip to the first
      // block whose percentage can differ.
      next_ += s;
    }
  }

 private:
  std::uint64_t size_;
  std::size_t pass_ = 0;
  std::uint64_t next_ = 0;
  int last_ = 0;
};

}  // namespace

void ExtractWordsFromData(std::string_view data, StringList& words, const ProgressSink& progress) {
  words.SetSorted(true);
  const std::size_t size = data.size();
  const char* bytes = data.data();
  ProgressSchedule schedule(size);
  auto report = [&](std::size_t position) {
    if (progress) schedule.ReportUpTo(position, progress);
  };

  // Slices end where no word is cut, so that the gauge moves as we go. (The
  // scan itself collects its words on a thread of its own while it builds.)
  constexpr std::size_t kSlice = 1u << 20;
  WordCollector collector;
  std::size_t position = 0;
  while (position < size) {
    report(position);
    std::size_t sliceEnd = std::min(size, position + kSlice);
    while (sliceEnd < size && kWordChar[static_cast<unsigned char>(bytes[sliceEnd])]) ++sliceEnd;
    CollectWords(bytes, position, sliceEnd, bytes + size, collector);
    position = sliceEnd;
  }
  report(size);
  words.AddAll(collector.Take());
}

// The word at the end of what was fed so far may go on in the next part:
// its bytes wait in pending until a byte that is no word character comes.
struct WordStream::Impl {
  WordCollector collector;
  std::string pending;
};

WordStream::WordStream() : impl_(std::make_unique<Impl>()) {}
WordStream::~WordStream() = default;
WordStream::WordStream(WordStream&&) noexcept = default;
WordStream& WordStream::operator=(WordStream&&) noexcept = default;

void WordStream::Feed(std::span<const std::string_view> parts) {
  WordCollector& collector = impl_->collector;
  std::string& pending = impl_->pending;
  for (std::string_view part : parts) {
    const char* bytes = part.data();
    const std::size_t size = part.size();
    auto isWord = [&](std::size_t i) { return kWordChar[static_cast<unsigned char>(bytes[i])]; };
    std::size_t first = 0;
    while (first < size && isWord(first)) ++first;
    if (first == size) {
      pending.append(bytes, size);
      continue;
    }
    if (!pending.empty()) {
      pending.append(bytes, first);
      collector.Add(pending.data(), pending.size(), pending.data() + pending.size());
      pending.clear();
    } else if (first > 0) {
      collector.Add(bytes, first, bytes + size);
    }
    std::size_t last = size;  // one past the last byte that is no word character
    while (isWord(last - 1)) --last;
    CollectWords(bytes, first, last, bytes + size, collector);
    pending.assign(bytes + last, size - last);
  }
}

std::vector<std::string> WordStream::Finish() {
  std::string& pending = impl_->pending;
  if (!pending.empty()) impl_->collector.Add(pending.data(), pending.size(), pending.data() + pending.size());
  std::string().swap(pending);
  return impl_->collector.Take();
}

void ReportExtractionProgress(std::uint64_t size, const ProgressSink& progress) {
  if (!progress) return;
  ProgressSchedule schedule(size);
  schedule.ReportUpTo(size, progress);
}

void ExtractWords(const FileSystem& fs, const std::string& fileName, StringList& words,
                  const ProgressSink& progress) {
  if (!fs.FileExists(fileName)) return;
  std::string data = fs.LoadFile(fileName);
  ExtractWordsFromData(data, words, progress);
}

std::int64_t FindPatternInFile(const FileSystem& fs, const std::string& fileName,
                               std::string_view pattern, bool caseSensitive) {
  if (pattern.empty() || fileName.empty()) return -1;
  // A pattern longer than a block can never lie inside one.
  if (pattern.size() > kPatternBlock) return -1;
  std::unique_ptr<FileReader> file = fs.OpenRead(fileName);
  std::string needle(pattern);
  if (!caseSensitive) UpperCaseInPlace(needle.data(), needle.size());
  std::vector<char> buffer(kPatternBlock + 1);
  const std::uint64_t size = file->Size();
  std::uint64_t remaining = size;
  while (remaining > 0) {
    std::size_t count = remaining <= kPatternBlock ? static_cast<std::size_t>(remaining) : kPatternBlock;
    file->Read(buffer.data(), count);
    buffer[count] = '\0';
    std::size_t pieceStart = 0;
    while (pieceStart < count) {
      char* piece = buffer.data() + pieceStart;
      std::size_t pieceLength = std::strlen(piece);
      if (!caseSensitive) UpperCaseInPlace(piece, pieceLength);
      std::size_t at = std::string_view(piece, pieceLength).find(needle);
      if (at != std::string_view::npos) {
        return static_cast<std::int64_t>(size - remaining + pieceStart + at);
      }
      pieceStart += pieceLength + 1;
    }
    remaining -= count;
    if (remaining > 0) {
      // Back by the pattern's length, so that one across the edge is found;
      // a pattern as long as the block goes back one byte less to move on.
      const std::size_t back = std::min(needle.size(), count - 1);
      file->Seek(file->Position() - back);
      remaining += back;
    }
  }
  return -1;
}

bool ListContains(std::string_view text, const StringList& list) {
  if (list.Sorted()) return list.IndexOf(text) >= 0;
  for (const std::string& entry : list) {
    if (entry == text) return true;
  }
  return false;
}

}  // namespace quillfen
