// Output of a long list made in two halves at once: the caller's thread
// makes the first half while a second thread makes the second into a
// buffer of its own, which the caller then appends.
#pragma once

#include <cstddef>
#include <exception>
#include <system_error>
#include <thread>

namespace quillfen::report {

// Below this many items one thread makes them all.
inline constexpr std::size_t kSplitAt = 2048;

// first(begin, end) is called on this thread; second(begin, end) on the
// other, for the rest, after which appendSecond() runs here. Without a
// second thread (short list, or none to be had) first makes every item.
// An error of either half is thrown here once both have stopped.
template <typename First, typename Second, typename Append>
void InTwoHalves(std::size_t count, First first, Second second, Append appendSecond) {
  std::size_t half = count >= kSplitAt ? count / 2 : count;
  std::exception_ptr failure;
  std::thread other;
  if (half != count) {
    try {
      other = std::thread([&] {
        try {
          second(half, count);
        } catch (...) {
          failure = std::current_exception();
        }
      });
    } catch (const std::system_error&) {
      half = count;
    }
  }
  try {
    first(std::size_t{0}, half);
  } catch (...) {
    if (other.joinable()) other.join();
    throw;
  }
  if (!other.joinable()) return;
  other.join();
  if (failure) std::rethrow_exception(failure);
  appendSecond();
}

}  // namespace quillfen::report
