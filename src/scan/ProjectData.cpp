#include "ProjectData.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <deque>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include "VectorScan.h"
#if QF_VECTOR_AVX512
#include <immintrin.h>
#endif

namespace quillfen {
namespace {

constexpr unsigned char kMarker0 = 0xCE;
constexpr unsigned char kMarker1 = 0x7E;
constexpr unsigned char kContinue0 = 0x81;
constexpr unsigned char kContinue1 = 0x9D;

inline unsigned char Byte(const char* s, std::size_t i) { return static_cast<unsigned char>(s[i]); }

// The first i >= from with the marker at data[i, i + 2), or npos.
std::size_t FindMarkerPortable(const char* data, std::size_t from, std::size_t size) {
  std::size_t i = from;
#if defined(__SSE2__)
  // Both bytes compared at once, 32 positions a step: the marker's first
  // byte alone is common in tile data.
  const __m128i first = _mm_set1_epi8(static_cast<char>(kMarker0));
  const __m128i second = _mm_set1_epi8(static_cast<char>(kMarker1));
  auto hits = [&](std::size_t at) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at + 1));
    return static_cast<std::uint32_t>(
        _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, second))));
  };
  for (; i + 33 <= size; i += 32) {
    const std::uint32_t mask = hits(i) | (hits(i + 16) << 16);
    if (mask != 0) return i + static_cast<std::size_t>(std::countr_zero(mask));
  }
  for (; i + 1 < size; ++i) {
    if (Byte(data, i) == kMarker0 && Byte(data, i + 1) == kMarker1) return i;
  }
#else
  while (i + 1 < size) {
    const void* hit = std::memchr(data + i, kMarker0, size - 1 - i);
    if (hit == nullptr) break;
    i = static_cast<std::size_t>(static_cast<const char*>(hit) - data);
    if (Byte(data, i + 1) == kMarker1) return i;
    ++i;
  }
#endif
  return std::string::npos;
}

#if QF_VECTOR_AVX512
// The same 64 positions a step.
[[gnu::target("avx512bw,bmi")]] std::size_t FindMarkerAvx512(const char* data, std::size_t from,
                                                             std::size_t size) {
  const __m512i first = _mm512_set1_epi8(static_cast<char>(kMarker0));
  const __m512i second = _mm512_set1_epi8(static_cast<char>(kMarker1));
  std::size_t i = from;
  for (; i + 65 <= size; i += 64) {
    const __mmask64 mask = _mm512_cmpeq_epi8_mask(_mm512_loadu_si512(data + i), first) &
                           _mm512_cmpeq_epi8_mask(_mm512_loadu_si512(data + i + 1), second);
    if (mask != 0) return i + static_cast<std::size_t>(std::countr_zero(static_cast<std::uint64_t>(mask)));
  }
  return FindMarkerPortable(data, i, size);
}
#endif

std::size_t FindMarker(const char* data, std::size_t from, std::size_t size) {
#if QF_VECTOR_AVX512
  if (Avx512InUse()) return FindMarkerAvx512(data, from, size);
#endif
  return FindMarkerPortable(data, from, size);
}

}  // namespace

// Removing a run can only create a new marker where the bytes kept before it
// meet the bytes after it, and the bytes kept so far hold no marker. So the
// data is read once: kept bytes are spans of the input, a run may take back
// the last one or two kept bytes, and after each removal only the join needs
// a second look. The same holds when the input comes in chunks: the bytes
// at the end of a chunk that no run has claimed count as kept, a marker
// across the edge being one at the join, and a run cut short by the edge
// goes on in the next chunk.
MarkedRunCutter::MarkedRunCutter(std::uint64_t size, std::size_t hold)
    : size_(size), hold_(std::max<std::size_t>(hold, 2)) {}

bool MarkedRunCutter::Cut(char* chunk, std::size_t count, std::vector<std::string_view>& kept) {
  const std::size_t carried = carry_.size();
  char* data = chunk - carried;
  if (carried > 0) std::memcpy(data, carry_.data(), carried);
  seen_ += count;
  const std::size_t firstSpan = kept.size();
  std::size_t local = carryKept_;  // kept bytes in this chunk's block
  if (local > 0) kept.emplace_back(data, local);
  std::size_t unread = carried + count;
  const bool cut = Run(data, carried + count, carryKept_, kept, local, unread);
  carry_.clear();
  carryKept_ = 0;
  if (!cut || seen_ >= size_) return cut;

  // The last kept bytes wait for the next chunk, with what a run has yet to read.
  const std::size_t held = std::min(hold_, local);
  carry_.resize(held + (carried + count - unread));
  for (std::size_t left = held; left > 0;) {
    std::string_view& last = kept.back();
    const std::size_t n = std::min(left, last.size());
    std::memcpy(carry_.data() + left - n, last.data() + last.size() - n, n);
    last.remove_suffix(n);
    left -= n;
    if (last.empty()) kept.pop_back();
  }
  std::memcpy(carry_.data() + held, data + unread, carried + count - unread);
  carryKept_ = held;
  if (kept.size() > firstSpan) lastPassed_ = static_cast<unsigned char>(kept.back().back());
  return true;
}

// Cuts data[read, size), where data[0, read) are held bytes already in kept;
// local counts the kept bytes of this data. Bytes from unread on are left
// for the next chunk. False when a run takes back more than local.
bool MarkedRunCutter::Run(const char* data, const std::size_t size, std::size_t read,
                          std::vector<std::string_view>& kept, std::size_t& local, std::size_t& unread) {
  const std::size_t firstSpan = kept.size() - (local > 0 ? 1 : 0);

  auto fail = [](const char* what) { throw ReadError(what); };
  auto keep = [&](std::size_t from, std::size_t count) {
    if (count == 0) return;
    // A span that goes on where the last one ends is merged into it.
    if (kept.size() > firstSpan && kept.back().data() + kept.back().size() == data + from) {
      kept.back() = std::string_view(kept.back().data(), kept.back().size() + count);
    } else {
      kept.emplace_back(data + from, count);
    }
    local += count;
    kept_ += count;
  };
  auto lastKept = [&] { return local > 0 ? static_cast<unsigned char>(kept.back().back()) : lastPassed_; };
  auto takeBack = [&](std::size_t count) {
    if (count > local) return false;
    local -= count;
    kept_ -= count;
    while (count > 0) {
      std::string_view& last = kept.back();
      const std::size_t n = std::min(count, last.size());
      last.remove_suffix(n);
      count -= n;
      if (last.empty()) kept.pop_back();
    }
    return true;
  };

  std::size_t cursor = read;
  while (true) {
    if (phase_ == Phase::kNone) {
      // The first marker of kept + unread: first at the join, then in the unread part.
      std::size_t back = 0;  // kept bytes that belong to the run
      if (kept_ > 0 && read < size && lastKept() == kMarker0 && Byte(data, read) == kMarker1) {
        if (kept_ < 2) fail("marker at the start of the data");
        back = 2;  // the byte before the marker and the marker's first byte
        cursor = read + 1;
      } else {
        const std::size_t at = FindMarker(data, read, size);
        if (at == std::string::npos) {
          // Nothing more to remove: keep the rest as it is.
          keep(read, size - read);
          return true;
        }
        if (at == read) {
          if (kept_ == 0) fail("marker at the start of the data");
          back = 1;  // the byte before the marker is the last kept byte
        } else {
          // Keep everything up to the byte before the marker.
          keep(read, at - 1 - read);
        }
        cursor = at + 2;
      }
      if (!takeBack(back)) return false;
      // The rest of the run: one byte, a length byte L, L + 1 bytes, then
      // continuation lines while the next two bytes say so. Mostly it lies
      // wholly in the data at hand.
      if (QuickRun(data, size, cursor)) {
        read = cursor;
        continue;
      }
      phase_ = Phase::kSkip;
      skip_ = 1;
      afterSkip_ = Phase::kLength;
    }
    if (!ParseRun(data, size, cursor)) {
      if (seen_ >= size_) fail("marked record runs past the end of the data");
      unread = cursor;
      return true;
    }
    read = cursor;
  }
}

// The run from cursor read straight through, when it ends (with the two
// bytes that show it ends) before size; cursor then points past it.
bool MarkedRunCutter::QuickRun(const char* data, std::size_t size, std::size_t& cursor) {
  std::size_t at = cursor;
  auto have = [&](std::size_t n) { return n <= size - at; };
  if (!have(2)) return false;
  std::size_t length = Byte(data, at + 1);
  at += 2;
  for (;;) {
    if (!have(length + 1)) return false;
    at += length + 1;
    if (!have(2)) return false;
    if (Byte(data, at) != kContinue0 || Byte(data, at + 1) != kContinue1) break;
    if (!have(5)) return false;
    length = Byte(data, at + 4);
    at += 5;
  }
  cursor = at;
  return true;
}

// Reads on in the run from cursor; false when data ends first.
bool MarkedRunCutter::ParseRun(const char* data, std::size_t size, std::size_t& cursor) {
  while (true) {
    switch (phase_) {
      case Phase::kSkip: {
        const std::size_t n = std::min(skip_, size - cursor);
        cursor += n;
        skip_ -= n;
        if (skip_ > 0) return false;
        phase_ = afterSkip_;
        break;
      }
      case Phase::kLength:
        if (cursor == size) return false;
        skip_ = std::size_t{Byte(data, cursor)} + 1;
        cursor += 1;
        phase_ = Phase::kSkip;
        afterSkip_ = Phase::kCheck;
        break;
      case Phase::kCheck:
        if (size - cursor < 2) return false;
        if (Byte(data, cursor) != kContinue0 || Byte(data, cursor + 1) != kContinue1) {
          phase_ = Phase::kNone;
          return true;
        }
        // The two bytes, two more, then a length.
        phase_ = Phase::kSkip;
        skip_ = 4;
        afterSkip_ = Phase::kLength;
        break;
      case Phase::kNone:
        return true;
    }
  }
}

void CutMarkedRuns(std::string_view input, std::vector<std::string_view>& kept) {
  MarkedRunCutter cutter(input.size(), 2);
  cutter.seen_ = input.size();
  std::size_t local = 0;
  std::size_t unread = input.size();
  cutter.Run(input.data(), input.size(), 0, kept, local, unread);
}

void StripMarkers(std::string& data) { data.resize(StripMarkers(data.data(), data.size())); }

std::size_t StripMarkers(char* data, const std::size_t size) {
  std::vector<std::string_view> kept;
  CutMarkedRuns(std::string_view(data, size), kept);
  // Every span lies at or after the place it moves to.
  std::size_t out = 0;
  for (std::string_view span : kept) {
    if (span.data() != data + out) std::memmove(data + out, span.data(), span.size());
    out += span.size();
  }
  return out;
}

std::string ProjectDataBuffer::Joined() const {
  std::string joined;
  joined.reserve(static_cast<std::size_t>(size_));
  for (std::string_view part : parts_) joined.append(part);
  return joined;
}

void ProjectDataBuffer::Release() {
  parts_.clear();
  blocks_.clear();
  size_ = 0;
}

void ProjectDataBuffer::Add(const CleanedFile& file, bool keep) {
  for (std::string_view span : file.spans) size_ += span.size();
  if (!keep) return;
  blocks_.push_back(file.block);
  parts_.insert(parts_.end(), file.spans.begin(), file.spans.end());
}

namespace {

// Chunks are read into blocks of this size after room for what the chunk
// before carries over; a chunk holds back at most kHold kept bytes (a run
// takes back one, and messages in a row one each). While the receiver works
// on a chunk, the build reads the next: at most kWaitingChunks wait, each
// hand works on one and the build reads one. Those four blocks leave room
// for the bound of a game of a few maps, and a chunk is still large enough
// that handing it on costs little next to reading it.
constexpr std::size_t kChunk = 48u << 10;
constexpr std::size_t kHold = 1u << 10;
constexpr std::size_t kWaitingChunks = 2;
// Whole files: as many wait.
constexpr std::size_t kWaitingFiles = 8;

// Raised by a file whose runs take back more than its chunks held back.
struct CutWhole {};

// Blocks for reading into that come back when their last holder lets go:
// fresh memory costs a page fault for every 4 KB, which is more than reading
// the file into it. At most `kept` blocks are kept for reuse, the largest.
class BlockPool : public std::enable_shared_from_this<BlockPool> {
 public:
  explicit BlockPool(std::size_t kept) : most_(kept) {
    // Made here: the return runs in a deleter, where allocating could only
    // end the program.
    free_.reserve(kept + 1);
  }

  std::shared_ptr<char> Take(std::size_t size) {
    Block block;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      // The smallest kept block that is large enough.
      auto best = free_.end();
      for (auto it = free_.begin(); it != free_.end(); ++it) {
        if (it->capacity >= size && (best == free_.end() || it->capacity < best->capacity)) best = it;
      }
      if (best != free_.end()) {
        block = std::move(*best);
        free_.erase(best);
      }
    }
    if (!block.data) {
      block.data.reset(new char[size == 0 ? 1 : size]);  // uninitialised: read straight into it
      block.capacity = size;
    }
    char* data = block.data.get();
    auto pool = shared_from_this();
    // Should this allocation fail, the block goes with it.
    auto owner = std::make_shared<Block>(std::move(block));
    return std::shared_ptr<char>(data, [pool, owner](char*) { pool->Return(std::move(*owner)); });
  }

 private:
  struct Block {
    std::unique_ptr<char[]> data;
    std::size_t capacity = 0;
  };

  void Return(Block block) noexcept {
    std::lock_guard<std::mutex> lock(mutex_);
    free_.push_back(std::move(block));
    if (free_.size() <= most_) return;
    // One too many: the smallest goes.
    auto smallest = std::min_element(free_.begin(), free_.end(),
                                     [](const Block& a, const Block& b) { return a.capacity < b.capacity; });
    free_.erase(smallest);
  }

  const std::size_t most_;
  std::mutex mutex_;
  std::vector<Block> free_;
};

// The chunks' blocks, cut from one allocation that is taken with the first
// and large enough for the allocator to map it apart: it goes back to the
// system when the build ends, rather than stay with the process while the
// word list is sorted. Each comes back when its last holder lets go.
class ChunkBlocks : public std::enable_shared_from_this<ChunkBlocks> {
 public:
  ChunkBlocks(std::size_t count, std::size_t size) : count_(count), size_(size) {
    // Made here: the return runs in a deleter, where allocating could only
    // end the program.
    free_.reserve(count);
    for (std::size_t i = count; i-- > 0;) free_.push_back(i);
  }

  std::shared_ptr<char> Take() {
    std::size_t index;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (!memory_) memory_.reset(new char[count_ * size_]);  // uninitialised: read straight into it
      if (free_.empty()) return std::shared_ptr<char>(new char[size_], std::default_delete<char[]>());
      // The one given back last, so that as few as need be are touched.
      index = free_.back();
      free_.pop_back();
    }
    auto self = shared_from_this();
    try {
      return std::shared_ptr<char>(memory_.get() + index * size_, [self, index](char*) { self->Return(index); });
    } catch (...) {
      Return(index);  // the deleter was not made: the block was never handed out
      throw;
    }
  }

 private:
  void Return(std::size_t index) noexcept {
    std::lock_guard<std::mutex> lock(mutex_);
    free_.push_back(index);
  }

  const std::size_t count_;
  const std::size_t size_;
  std::mutex mutex_;
  std::unique_ptr<char[]> memory_;
  std::vector<std::size_t> free_;
};

CleanedFile ReadCleaned(FileSystem& fs, const std::string& path, BlockPool* pool) {
  std::unique_ptr<FileReader> file = fs.OpenRead(path);
  const std::uint64_t size = file->Size();
  if (size > static_cast<std::uint64_t>(SIZE_MAX / 2)) throw FileError(path + " is too large");
  const std::size_t count = static_cast<std::size_t>(size);
  std::shared_ptr<char> block =
      pool ? pool->Take(count)
           : std::shared_ptr<char>(new char[count == 0 ? 1 : count], std::default_delete<char[]>());
  file->Read(block.get(), count);
  file.reset();
  CleanedFile cleaned;
  CutMarkedRuns(std::string_view(block.get(), count), cleaned.spans);
  cleaned.block = std::move(block);
  return cleaned;
}

// Waits a little for ready() before the caller sleeps: the other thread
// hands on a piece every few microseconds, and being put to sleep and woken
// would cost more. A short spin, then a few yields, which let the other
// thread run when both share one core (another program may hold the other).
template <class Ready>
bool SpinFor(Ready ready) {
  for (int i = 0; i < 256; ++i) {
    if (ready()) return true;
#if defined(__SSE2__)
    _mm_pause();
#endif
  }
  for (int i = 0; i < 16; ++i) {
    if (ready()) return true;
    std::this_thread::yield();
  }
  return ready();
}

// Writes each piece to its place in the scratch file and passes it on, on a
// second thread while the build reads on. When too many wait, the build
// does the oldest itself; a job holds the write and the receiver's work, so
// the two threads share all of it. Writes may overlap, the receiver takes
// the pieces one at a time in order.
class FileJobs {
 public:
  FileJobs(const PartReceiver& receive, std::size_t waiting) : receive_(receive), waiting_(waiting) {
    try {
      thread_ = std::thread([this] { Run(); });
    } catch (const std::system_error&) {
      // No thread to be had: the build does every job itself.
    }
  }
  ~FileJobs() { Stop(); }

  // Raises what an earlier job of the helper raised.
  void Add(FileWriter& out, std::uint64_t offset, CleanedFile file) {
    Job job{&out, offset, pieces_++, std::move(file)};
    if (thread_.joinable()) {
      std::unique_lock<std::mutex> lock(mutex_);
      if (failure_) std::rethrow_exception(failure_);
      queue_.push_back(std::move(job));
      queued_.store(queue_.size(), std::memory_order_relaxed);
      const bool wake = idle_;
      if (queue_.size() <= waiting_) {
        lock.unlock();
        if (wake) ready_.notify_one();
        return;
      }
      job = std::move(queue_.front());
      queue_.pop_front();
      queued_.store(queue_.size(), std::memory_order_relaxed);
      lock.unlock();
      if (wake) ready_.notify_one();
    }
    Do(kBuildHand, job);
  }

  // Returns once every job is done; raises what a job raised.
  void Finish() {
    if (!thread_.joinable()) return;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      done_ = true;
    }
    ready_.notify_one();
    thread_.join();
    if (failure_) std::rethrow_exception(failure_);
  }

 private:
  struct Job {
    FileWriter* out;
    std::uint64_t offset;
    std::size_t piece;
    CleanedFile file;
  };

  void Do(int hand, Job& job) {
    job.out->WriteAt(job.offset, job.file.spans);
    if (receive_) {
      if (thread_.joinable() && !AwaitTurn(job.piece)) return;
      try {
        receive_(hand, job.piece, job.file);
      } catch (...) {
        Fail(std::current_exception());
        throw;
      }
      if (thread_.joinable()) {
        next_.store(job.piece + 1);
        if (turnWaiters_.load() > 0) {
          { std::lock_guard<std::mutex> lock(mutex_); }
          passed_.notify_all();
        }
      }
    }
    job.file = {};  // its memory goes back to the build at once
  }

  // Waits until the piece before has been passed on; false when the build
  // is being stopped, raises what the other thread's job raised.
  bool AwaitTurn(std::size_t piece) {
    if (SpinFor([&] { return next_.load(std::memory_order_acquire) == piece; })) return true;
    std::unique_lock<std::mutex> lock(mutex_);
    turnWaiters_.fetch_add(1);
    passed_.wait(lock, [&] { return next_.load() == piece || failure_ || cancelled_; });
    turnWaiters_.fetch_sub(1);
    if (next_.load() == piece) return true;
    if (failure_) std::rethrow_exception(failure_);
    return false;
  }

  // Wakes whoever waits for the failed piece.
  void Fail(std::exception_ptr failure) {
    if (!thread_.joinable()) return;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (!failure_) failure_ = failure;
    }
    passed_.notify_all();
  }

  // Drops what is waiting and lets the job at hand end.
  void Stop() {
    if (!thread_.joinable()) return;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      done_ = true;
      cancelled_ = true;
    }
    ready_.notify_one();
    passed_.notify_all();
    thread_.join();
  }

  void Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      if (queue_.empty() && !done_) {
        lock.unlock();
        SpinFor([&] { return queued_.load(std::memory_order_relaxed) != 0; });
        lock.lock();
      }
      idle_ = true;
      ready_.wait(lock, [this] { return !queue_.empty() || done_; });
      idle_ = false;
      if (cancelled_ || failure_ || queue_.empty()) return;
      Job job = std::move(queue_.front());
      queue_.pop_front();
      queued_.store(queue_.size(), std::memory_order_relaxed);
      lock.unlock();
      try {
        Do(kHelperHand, job);
      } catch (...) {
        Fail(std::current_exception());
        std::deque<Job> dropped;
        lock.lock();
        dropped.swap(queue_);
        queued_.store(0, std::memory_order_relaxed);
        lock.unlock();
        return;  // the dropped jobs give their memory back here
      }
      lock.lock();
    }
  }

  const PartReceiver& receive_;
  const std::size_t waiting_;
  std::size_t pieces_ = 0;
  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable ready_;
  std::condition_variable passed_;
  std::deque<Job> queue_;
  std::atomic<std::size_t> queued_{0};  // queue_.size(), to look at without the lock
  std::atomic<std::size_t> next_{0};    // the piece the receiver takes next
  std::atomic<int> turnWaiters_{0};
  bool idle_ = false;
  bool done_ = false;
  bool cancelled_ = false;
  std::exception_ptr failure_;
};

}  // namespace

ProjectDataBuffer BuildProjectData(FileSystem& fs, const std::string& projectFolder,
                                   const BuildOptions& options) {
  ProjectDataBuffer joined;
  BuildProjectData(fs, projectFolder, options, joined);
  return joined;
}

void BuildProjectData(FileSystem& fs, const std::string& projectFolder, const BuildOptions& options,
                      ProjectDataBuffer& joined) {
  const std::string workFile = options.scratchFolder + kWorkFile;
  joined.Release();

  const std::string dataFile = options.scratchFolder + kProjectDataFile;
  // The scratch file is opened with the first input that reads well, and
  // a build that fails after that removes it rather than leave a torso.
  std::unique_ptr<FileWriter> out;

  // The cleaning works in memory; it leaves no work file behind, also not
  // one that an earlier run left, and also after a failure.
  struct Cleanup {
    FileSystem& fs;
    const std::string& workFile;
    const std::string& dataFile;
    std::unique_ptr<FileWriter>& out;
    bool done = false;
    ~Cleanup() {
      // Resolving a path allocates; a failure here must not end the program.
      try {
        if (!done && out) {
          out.reset();
          fs.DeleteFile(dataFile);
        }
        fs.DeleteFile(workFile);
      } catch (...) {
      }
    }
  } cleanup{fs, workFile, dataFile, out};

  // The inputs in order: the database, the map tree, then the maps, whose
  // names are kept one after another (a game may have thousands).
  const bool hasDatabase = fs.FileExists(projectFolder + "rpg_rt.ldb");
  const bool hasTree = fs.FileExists(projectFolder + "rpg_rt.lmt");
  std::string maps;        // each name ends in a zero byte
  std::size_t mapAt = 0;   // the next name's start
  std::size_t mapIndex = 0;
  bool mapsListed = false;
  // The status text and path of input i (asked for in order), or false
  // past the last.
  auto input = [&](std::size_t i, std::string& status, std::string& path) {
    if (hasDatabase && i-- == 0) {
      status = "Building RPG_RT.ldb...";
      path = projectFolder + "rpg_rt.ldb";
      return true;
    }
    if (hasTree && i-- == 0) {
      status = "Building RPG_RT.lmt...";
      path = projectFolder + "rpg_rt.lmt";
      return true;
    }
    if (!mapsListed) {
      for (const std::string& name : fs.FindFiles(projectFolder + "*.lmu")) maps.append(name).push_back('\0');
      mapsListed = true;
    }
    if (i < mapIndex) {  // started over
      mapAt = 0;
      mapIndex = 0;
    }
    for (; mapIndex < i && mapAt < maps.size(); ++mapIndex) mapAt = maps.find('\0', mapAt) + 1;
    if (mapAt >= maps.size()) return false;
    const std::string name(maps.data() + mapAt, maps.find('\0', mapAt) - mapAt);
    status = "Building " + name + "...";
    path = projectFolder + name;
    return true;
  };

  const std::size_t chunk = options.chunkBytes > 0 ? options.chunkBytes : kChunk;
  const std::size_t hold = std::clamp<std::size_t>(chunk / 16, 2, kHold);
  std::size_t announced = 0;  // inputs whose status was shown

  // One pass over the inputs, in chunks or whole files; a file that cannot
  // be cut in chunks raises CutWhole.
  auto build = [&](bool chunked) {
    auto pool = std::make_shared<BlockPool>(kWaitingFiles + 2);
    // Each hand works on one chunk, the build reads one, and kWaitingChunks wait.
    auto blocks = std::make_shared<ChunkBlocks>(kWaitingChunks + 2, hold + 1 + chunk);
    // Stopped before the cleanup closes the file it writes to.
    FileJobs jobs(options.part, chunked ? kWaitingChunks : kWaitingFiles);
    auto pass = [&](CleanedFile file) {
      const std::uint64_t offset = joined.Size();  // its place in the scratch file
      joined.Add(file, options.keep);
      if (!out) out = fs.CreateScratch(dataFile);
      jobs.Add(*out, offset, std::move(file));
    };
    // Reads the file chunk by chunk; with passOn, each chunk's cut goes on
    // (but one that keeps nothing, unless it is the file's last).
    auto cutInChunks = [&](const std::string& path, bool passOn) {
      std::unique_ptr<FileReader> file = fs.OpenRead(path);
      std::uint64_t left = file->Size();
      MarkedRunCutter cutter(left, hold);
      const std::size_t room = cutter.Room();
      bool first = true;
      while (first || left > 0) {
        first = false;
        const std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(left, chunk));
        std::shared_ptr<char> block = blocks->Take();
        char* at = block.get() + room;
        file->Read(at, count);
        left -= count;
        CleanedFile piece;
        if (!cutter.Cut(at, count, piece.spans)) throw CutWhole();
        piece.block = std::move(block);
        if (passOn && (!piece.spans.empty() || left == 0)) pass(std::move(piece));
      }
    };

    std::string status, path;
    for (std::size_t i = 0; input(i, status, path); ++i) {
      if (i >= announced) {
        announced = i + 1;
        if (options.status) options.status(status);
      }
      if (!chunked) {
        pass(ReadCleaned(fs, path, options.keep ? nullptr : pool.get()));
        continue;
      }
      // Until the first input has been read whole, the scratch file of an
      // earlier scan stays as it is: one of more than a chunk is cut once
      // before anything of it is written.
      if (!out && fs.OpenRead(path)->Size() > chunk) cutInChunks(path, false);
      cutInChunks(path, true);
    }
    if (!out) out = fs.CreateScratch(dataFile);
    jobs.Finish();
  };

  const bool chunked = !options.keep && (!options.part || options.restart);
  try {
    build(chunked);
  } catch (const CutWhole&) {
    joined.Release();
    if (out && options.restart) options.restart();
    build(false);
  }
  out->Finish(joined.Size());
  cleanup.done = true;
}

}  // namespace quillfen
