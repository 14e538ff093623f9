// Work on a long list shared by two threads: in two halves at once, or,
// for output that must come in order, in slices taken in turns.
#pragma once

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>
#include <string>
#include <string_view>
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

// The text of items [0, count) written in order, made on two threads in
// turns: the list is cut into slices of `slice` items; make(begin, end, out,
// maker) appends the text of a slice to out, this thread (maker 0) making
// the even slices and a second one (maker 1) the odd ones; write(text) is
// called here for every slice in order. The second thread keeps at most two
// slices ahead, in two buffers used over and over, so the output is never
// held whole. An error of either is thrown here once both have stopped.
template <typename Make, typename Write>
void InTurns(std::size_t count, std::size_t slice, Make make, Write write) {
  const std::size_t slices = (count + slice - 1) / slice;
  auto begin = [&](std::size_t k) { return k * slice; };
  auto end = [&](std::size_t k) { return std::min(count, (k + 1) * slice); };
  std::string own;
  auto alone = [&](std::size_t from) {
    for (std::size_t k = from; k < slices; ++k) {
      own.clear();
      make(begin(k), end(k), own, 0);
      write(std::string_view(own));
    }
  };
  if (count < kSplitAt || slices < 2) return alone(0);

  struct Slot {
    std::string text;
    bool ready = false;  // made, not yet written
  };
  Slot slots[2];
  std::mutex mutex;
  std::condition_variable changed;
  bool stop = false;
  std::exception_ptr failure;
  std::thread other;
  try {
    other = std::thread([&] {
      try {
        for (std::size_t k = 1, n = 0; k < slices; k += 2, ++n) {
          Slot& slot = slots[n % 2];
          {
            std::unique_lock<std::mutex> lock(mutex);
            changed.wait(lock, [&] { return stop || !slot.ready; });
            if (stop) return;
          }
          slot.text.clear();
          make(begin(k), end(k), slot.text, 1);
          {
            std::lock_guard<std::mutex> lock(mutex);
            slot.ready = true;
          }
          changed.notify_all();
        }
      } catch (...) {
        std::lock_guard<std::mutex> lock(mutex);
        failure = std::current_exception();
        changed.notify_all();
      }
    });
  } catch (const std::system_error&) {
    return alone(0);  // no second thread to be had
  }
  auto finish = [&] {
    {
      std::lock_guard<std::mutex> lock(mutex);
      stop = true;
    }
    changed.notify_all();
    other.join();
  };
  try {
    for (std::size_t k = 0, n = 0; k < slices; ++k) {
      if (k % 2 == 0) {
        own.clear();
        make(begin(k), end(k), own, 0);
        write(std::string_view(own));
        continue;
      }
      Slot& slot = slots[n++ % 2];
      {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [&] { return slot.ready || failure; });
        if (!slot.ready) break;  // the other thread failed
      }
      write(std::string_view(slot.text));
      {
        std::lock_guard<std::mutex> lock(mutex);
        slot.ready = false;
      }
      changed.notify_all();
    }
  } catch (...) {
    finish();
    throw;
  }
  finish();
  if (failure) std::rethrow_exception(failure);
}

}  // namespace quillfen::report
