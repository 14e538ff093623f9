#include "ProjectData.h"

#include <algorithm>
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
// a second look.
void CutMarkedRuns(std::string_view input, std::vector<std::string_view>& kept) {
  const char* data = input.data();
  const std::size_t size = input.size();
  const std::size_t firstSpan = kept.size();
  std::size_t out = 0;   // kept bytes so far, in kept[firstSpan...]
  std::size_t read = 0;  // unread bytes: data[read, size)

  auto fail = [](const char* what) { throw ReadError(what); };
  auto keep = [&](std::size_t from, std::size_t count) {
    if (count == 0) return;
    // A span that goes on where the last one ends is merged into it.
    if (kept.size() > firstSpan && kept.back().data() + kept.back().size() == data + from) {
      kept.back() = std::string_view(kept.back().data(), kept.back().size() + count);
    } else {
      kept.emplace_back(data + from, count);
    }
    out += count;
  };
  auto lastKept = [&] { return static_cast<unsigned char>(kept.back().back()); };
  auto takeBack = [&](std::size_t count) {
    out -= count;
    while (count > 0) {
      std::string_view& last = kept.back();
      const std::size_t n = std::min(count, last.size());
      last.remove_suffix(n);
      count -= n;
      if (last.empty()) kept.pop_back();
    }
  };

  while (true) {
    // The first marker of kept + unread: first at the join, then in the unread part.
    std::size_t back = 0;  // kept bytes that belong to the run
    std::size_t cursor;    // where the run's bytes after the marker start (in data)
    if (out > 0 && read < size && lastKept() == kMarker0 && Byte(data, read) == kMarker1) {
      if (out < 2) fail("marker at the start of the data");
      back = 2;  // the byte before the marker and the marker's first byte
      cursor = read + 1;
    } else {
      const std::size_t at = FindMarker(data, read, size);
      if (at == std::string::npos) {
        // Nothing more to remove: keep the rest as it is.
        keep(read, size - read);
        return;
      }
      if (at == read) {
        if (out == 0) fail("marker at the start of the data");
        back = 1;  // the byte before the marker is the last kept byte
      } else {
        // Keep everything up to the byte before the marker.
        keep(read, at - 1 - read);
      }
      cursor = at + 2;
    }
    takeBack(back);

    // The rest of the run, read from cursor: one byte, a length byte L, L + 1
    // bytes, then continuation lines while the next two bytes say so.
    auto need = [&](std::size_t n) {
      if (n > size - cursor) fail("marked record runs past the end of the data");
    };
    need(1);
    cursor += 1;
    need(1);
    std::size_t length = Byte(data, cursor);
    cursor += 1;
    need(length + 1);
    cursor += length + 1;
    while (true) {
      need(2);
      if (Byte(data, cursor) != kContinue0 || Byte(data, cursor + 1) != kContinue1) break;
      need(4);
      cursor += 4;
      need(1);
      length = Byte(data, cursor);
      cursor += 1;
      need(length + 1);
      cursor += length + 1;
    }
    read = cursor;
  }
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

// Blocks for reading files into that come back when their last holder lets
// go: fresh memory costs a page fault for every 4 KB, which is more than
// reading the file into it. At most kOutstanding bytes are lent at once
// (or one block, however large), and at most as much is kept for reuse.
class BlockPool : public std::enable_shared_from_this<BlockPool> {
 public:
  static constexpr std::size_t kOutstanding = 32u << 20;

  std::shared_ptr<char> Take(std::size_t size) {
    std::unique_lock<std::mutex> lock(mutex_);
    returned_.wait(lock, [&] { return lent_ == 0 || lent_ + size <= kOutstanding; });
    // Room for every block to come back, made here: the return runs in a
    // deleter, where allocating could only end the program.
    free_.reserve(free_.size() + lentBlocks_ + 1);
    Block block;
    // The smallest kept block that is large enough.
    auto best = free_.end();
    for (auto it = free_.begin(); it != free_.end(); ++it) {
      if (it->capacity >= size && (best == free_.end() || it->capacity < best->capacity)) best = it;
    }
    if (best != free_.end()) {
      block = std::move(*best);
      free_.erase(best);
      kept_ -= block.capacity;
    }
    lent_ += size;
    ++lentBlocks_;
    lock.unlock();
    if (!block.data) {
      try {
        block.data.reset(new char[size == 0 ? 1 : size]);  // uninitialised: read straight into it
      } catch (...) {
        Return(Block{}, size);
        throw;
      }
      block.capacity = size;
    }
    char* data = block.data.get();
    auto pool = shared_from_this();
    std::shared_ptr<Block> owner;
    try {
      owner = std::make_shared<Block>(std::move(block));
    } catch (...) {
      Return(std::move(block), size);  // untouched: the allocation failed first
      throw;
    }
    // Should this allocation fail, the deleter runs and the block comes back.
    return std::shared_ptr<char>(data, [pool, owner, size](char*) { pool->Return(std::move(*owner), size); });
  }

 private:
  struct Block {
    std::unique_ptr<char[]> data;
    std::size_t capacity = 0;
  };

  void Return(Block block, std::size_t size) noexcept {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      lent_ -= size;
      --lentBlocks_;
      if (block.data && kept_ + block.capacity <= kOutstanding && free_.size() < free_.capacity()) {
        kept_ += block.capacity;
        free_.push_back(std::move(block));
      }
    }
    returned_.notify_all();
  }

  std::mutex mutex_;
  std::condition_variable returned_;
  std::vector<Block> free_;
  std::size_t kept_ = 0;
  std::size_t lent_ = 0;
  std::size_t lentBlocks_ = 0;
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

// Writes each cleaned file to its place in the scratch file and passes it
// on, on a second thread while the build reads the next file. When that
// thread falls behind, the build does the job of the file it has just read
// itself, while the bytes are still in its cache; a job holds the write
// and the receiver's work, so the two threads share all of it.
class FileJobs {
 public:
  explicit FileJobs(const PartReceiver& receive) : receive_(receive) {
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
      if (queue_.size() < kBehind) {
        queue_.push_back(std::move(job));
        const bool wake = idle_;
        lock.unlock();
        if (wake) ready_.notify_one();
        return;
      }
    }
    Do(kBuildHand, job);
  }

  // Returns once every job is done; raises what a job raised. The build
  // does not help with the last few: each hand must pass its files in
  // order, and those waiting come before the ones it did itself.
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
  static constexpr std::size_t kBehind = 8;  // files waiting before the build helps

  struct Job {
    FileWriter* out;
    std::uint64_t offset;
    std::size_t piece;
    CleanedFile file;
  };

  void Do(int hand, Job& job) {
    job.out->WriteAt(job.offset, job.file.spans);
    if (receive_) receive_(hand, job.piece, job.file);
    job.file = {};  // its memory goes back to the build at once
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
    thread_.join();
  }

  void Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      idle_ = true;
      ready_.wait(lock, [this] { return !queue_.empty() || done_; });
      idle_ = false;
      if (cancelled_ || queue_.empty()) return;
      Job job = std::move(queue_.front());
      queue_.pop_front();
      lock.unlock();
      try {
        Do(kHelperHand, job);
      } catch (...) {
        std::deque<Job> dropped;
        lock.lock();
        failure_ = std::current_exception();
        dropped.swap(queue_);
        lock.unlock();
        return;  // the dropped jobs give their memory back here
      }
      lock.lock();
    }
  }

  const PartReceiver& receive_;
  std::size_t pieces_ = 0;
  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<Job> queue_;
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
  std::shared_ptr<BlockPool> pool;
  if (!options.keep) pool = std::make_shared<BlockPool>();

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
  // Stopped before the cleanup closes the file it writes to.
  FileJobs jobs(options.part);

  auto append = [&](const std::string& path) {
    CleanedFile file = ReadCleaned(fs, path, pool.get());
    const std::uint64_t offset = joined.Size();  // the file's place in the scratch file
    joined.Add(file, options.keep);
    if (!out) out = fs.CreateScratch(dataFile);
    jobs.Add(*out, offset, std::move(file));
  };
  auto status = [&](std::string_view text) {
    if (options.status) options.status(text);
  };

  if (fs.FileExists(projectFolder + "rpg_rt.ldb")) {
    status("Building RPG_RT.ldb...");
    append(projectFolder + "rpg_rt.ldb");
  }
  if (fs.FileExists(projectFolder + "rpg_rt.lmt")) {
    status("Building RPG_RT.lmt...");
    append(projectFolder + "rpg_rt.lmt");
  }
  for (const std::string& name : fs.FindFiles(projectFolder + "*.lmu")) {
    status("Building " + name + "...");
    append(projectFolder + name);
  }
  if (!out) out = fs.CreateScratch(dataFile);
  jobs.Finish();
  out->Finish(joined.Size());
  cleanup.done = true;
}

}  // namespace quillfen
