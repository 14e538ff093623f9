// Small POSIX helpers shared by the file system and the INI writer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <span>

struct stat;

namespace quillfen::posix {

// Owns a file descriptor.
class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  UniqueFd(UniqueFd&& other) noexcept : fd_(other.Release()) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    Reset(other.Release());
    return *this;
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  ~UniqueFd();

  int Get() const { return fd_; }
  explicit operator bool() const { return fd_ >= 0; }
  void Reset(int fd = -1);
  int Release();

 private:
  int fd_ = -1;
};

std::string ErrorText(int error);

// Writes everything, going on after short writes; false with errno set.
bool WriteAll(int fd, const char* data, std::size_t size);
// The same for consecutive parts, many at a time.
bool WriteAllParts(int fd, std::span<const std::string_view> parts);
// The same from offset on, leaving the file position alone.
bool WriteAllPartsAt(int fd, std::uint64_t offset, std::span<const std::string_view> parts);

// A new, empty file with a unique hidden name in the folder of target.
std::optional<UniqueFd> CreateTempBeside(const std::string& target, std::string& tempPath);

// How a rename that must not replace its target ended.
enum class Placed { kDone, kFailed, kUnsupported };
// Renames from to to unless to exists; from is kept unless it was placed.
// kUnsupported: the file system has neither a no-replace rename nor hard
// links (FAT, exFAT, some network and user-space file systems).
Placed RenameNoReplace(const std::string& from, const std::string& to);
// Tests switch the no-replace rename and the hard link off to reach the
// path that file systems without them take.
void SimulateFileSystemWithoutLinks(bool on);
// Whether the file system that holds target's folder was found without
// both (so a copy need not try them, and write its data twice, again), and
// noting that it was.
bool KnownWithoutLinks(const std::string& target);
void NoteWithoutLinks(const std::string& target);

// Copies from in's position to its end; false with errno set.
bool CopyAll(int in, int out);
// Permission bits and times of the source, as CopyFileA keeps them; then
// the data reaches the disk.
bool KeepAttributesAndSync(int out, const struct stat& source);
// Copies the open file in into a new file at target, created exclusively,
// synced before it counts; on any failure the file it created is removed,
// and nothing else. false with errno set.
bool CopyToNewFile(int in, const std::string& target, const struct stat& source);

// Why a folder is no safe place for scratch files, or empty when it is:
// someone other than us (or root) owns it, or others may write into it and
// it lacks the sticky bit that keeps them from our files there. Group write
// counts unless the group is our own effective group.
std::string ScratchFolderProblem(const struct stat& folder);

// Opens an existing entry for reading without waiting on a named pipe or
// device that has no writer; -1 with errno set on failure.
int OpenForReading(const char* path);

// Whether the regular file at path (its stat given) may be replaced: not
// when no one may write it, which Windows shows as the read-only attribute
// (it holds for root too), nor when we cannot open it for writing.
bool MayReplace(const char* path, const struct stat& st);

}  // namespace quillfen::posix
