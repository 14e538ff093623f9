#include "Spill.h"

#include <limits>
#include <stdexcept>

namespace quillfen::report {

SpilledReferences::SpilledReferences(std::unique_ptr<TemporaryFile> file) : file_(std::move(file)) {
  if (!file_) throw std::invalid_argument("a spill needs a file");
  held_.reserve(kWriteAt);
}

void SpilledReferences::Add(lcf::Folder folder, std::string_view name, std::string_view where) {
  if (names_.size() >= std::numeric_limits<std::uint32_t>::max() ||
      where.size() >= std::numeric_limits<std::uint32_t>::max()) {
    throw FileError("The game names too many files to report on");
  }
  auto known = ids_.find({folder, name});
  if (known == ids_.end()) {
    const std::string_view kept = spelling_.Keep(name);
    known = ids_.emplace(std::pair{folder, kept}, static_cast<std::uint32_t>(names_.size())).first;
    names_.push_back({folder, kept, 0});
  }
  ++names_[known->second].count;
  const Record record{known->second, static_cast<std::uint32_t>(where.size()),
                      lcf::PrintableAscii(where) ? 1u : 0u};
  // Written out before the held bytes would outgrow their memory.
  if (held_.size() + sizeof record + where.size() > kWriteAt) Finish();
  if (count_ % kMarkEvery == 0) marks_.push_back(written_ + held_.size());
  held_.append(reinterpret_cast<const char*>(&record), sizeof record);
  held_.append(where);
  ++count_;
}

void SpilledReferences::Finish() {
  if (held_.empty()) return;
  try {
    file_->Append(held_);
  } catch (const FileError&) {
    // The temporary folder is full or gone: what it took comes back into
    // memory, and the rest stays there, as a game kept in memory would.
    auto memory = std::make_unique<MemoryTemporaryFile>();
    std::string taken(static_cast<std::size_t>(written_), '\0');
    file_->ReadAt(0, taken.data(), taken.size());
    memory->Append(taken);
    file_ = std::move(memory);
    file_->Append(held_);
  }
  written_ += held_.size();
  held_.clear();
}

std::size_t SpilledReferences::ReadRecords(std::size_t begin, std::size_t end, std::vector<char>& bytes) const {
  if (end > count_ || !held_.empty()) throw std::logic_error("references read before they were all written");
  const std::size_t first = begin / kMarkEvery;
  const std::size_t after = (end + kMarkEvery - 1) / kMarkEvery;
  const std::uint64_t from = marks_[first];
  const std::uint64_t to = after < marks_.size() ? marks_[after] : written_;
  bytes.resize(static_cast<std::size_t>(to - from));
  file_->ReadAt(from, bytes.data(), bytes.size());
  return begin - first * kMarkEvery;
}

void SpilledReferences::Damaged() {
  throw FileError("The temporary file of the report's references was changed while it was read");
}

}  // namespace quillfen::report
