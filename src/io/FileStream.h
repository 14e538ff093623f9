// Text written to a FileWriter as it is made, in large pieces: a page of
// millions of lines is never held whole.
#pragma once

#include <cstdint>
#include <memory>
#include <ostream>
#include <span>
#include <streambuf>
#include <string>
#include <string_view>

#include "FileSystem.h"

namespace quillfen {

class FileWriterStream : public std::ostream {
 public:
  explicit FileWriterStream(std::unique_ptr<FileWriter> file) : std::ostream(nullptr), buffer_(std::move(file)) {
    rdbuf(&buffer_);
  }

  // Writes what is held and ends the file at what was written; FileError
  // when any of it could not be written.
  void Close() {
    flush();
    buffer_.Close();
  }

 private:
  class Buffer final : public std::streambuf {
   public:
    explicit Buffer(std::unique_ptr<FileWriter> file) : file_(std::move(file)), held_(kHold, '\0') {
      setp(held_.data(), held_.data() + held_.size());
    }

    void Close() {
      if (!WriteOut()) throw FileError(error_);
      file_->Finish(written_);
    }

   protected:
    int_type overflow(int_type c) override {
      if (!WriteOut()) return traits_type::eof();
      if (!traits_type::eq_int_type(c, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(c);
        pbump(1);
      }
      return traits_type::not_eof(c);
    }
    int sync() override { return WriteOut() ? 0 : -1; }

   private:
    // The first failure stops the writing; Close tells it.
    bool WriteOut() {
      if (failed_) return false;
      const auto count = static_cast<std::size_t>(pptr() - pbase());
      if (count == 0) return true;
      try {
        const std::string_view part(pbase(), count);
        file_->WriteAt(written_, std::span<const std::string_view>(&part, 1));
      } catch (const FileError& e) {
        failed_ = true;
        error_ = e.what();
        return false;
      }
      written_ += count;
      setp(held_.data(), held_.data() + held_.size());
      return true;
    }

    static constexpr std::size_t kHold = 64 * 1024;
    std::unique_ptr<FileWriter> file_;
    std::string held_;
    std::uint64_t written_ = 0;
    bool failed_ = false;
    std::string error_;
  };

  Buffer buffer_;
};

}  // namespace quillfen
