#include "StringList.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <numeric>
#include <system_error>
#include <thread>

#include "TextCompare.h"

namespace quillfen {

namespace {
constexpr std::size_t kParallelSort = 8192;  // entries; fewer are sorted at once
}  // namespace

std::pair<std::size_t, bool> StringList::Find(std::string_view text) const {
  std::size_t lo = 0;
  std::size_t hi = items_.size();
  while (lo < hi) {
    std::size_t mid = lo + (hi - lo) / 2;
    int c = CompareTextIgnoreCase(items_[mid], text);
    if (c == 0) return {mid, true};
    if (c < 0)
      lo = mid + 1;
    else
      hi = mid;
  }
  return {lo, false};
}

void StringList::SetSorted(bool sorted) {
  if (sorted == sorted_) return;
  sorted_ = sorted;
  if (!sorted_) return;
  std::vector<std::string> old;
  old.swap(items_);
  AddAll(std::move(old));
}

int StringList::Add(std::string text) {
  if (!sorted_) {
    items_.push_back(std::move(text));
    return static_cast<int>(items_.size() - 1);
  }
  auto [index, found] = Find(text);
  if (!found) items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(index), std::move(text));
  return static_cast<int>(index);
}

int StringList::IndexOf(std::string_view text) const {
  if (sorted_) {
    auto [index, found] = Find(text);
    return found ? static_cast<int>(index) : -1;
  }
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (CompareTextIgnoreCase(items_[i], text) == 0) return static_cast<int>(i);
  }
  return -1;
}

void StringList::AddAll(std::vector<std::string> texts) {
  if (!sorted_) {
    for (auto& t : texts) items_.push_back(std::move(t));
    return;
  }
  if (texts.empty()) return;
  // Existing entries come first so that they win over later equal spellings.
  // Everything is sorted where it lies: the word list is the largest thing
  // a scan holds, and a second vector of it would double that.
  if (items_.empty()) {
    items_.swap(texts);
  } else {
    items_.reserve(items_.size() + texts.size());
    for (auto& t : texts) items_.push_back(std::move(t));
    std::vector<std::string>().swap(texts);
  }
  if (items_.size() <= std::numeric_limits<std::uint32_t>::max()) {
    SortAndDropDuplicates<std::uint32_t>();
  } else {
    SortAndDropDuplicates<std::size_t>();
  }
}

template <typename Index>
void StringList::SortAndDropDuplicates() {
  const std::size_t n = items_.size();
  std::vector<Index> order(n);
  std::iota(order.begin(), order.end(), Index{0});
  auto less = [&](Index a, Index b) { return CompareTextIgnoreCase(items_[a], items_[b]) < 0; };
  // A scan's word list has tens of thousands of entries, and sorting them
  // is the longest step that nothing else overlaps: the two halves are
  // sorted on two threads. Merging keeps the first half first among equal
  // entries, so the order is that of one stable sort.
  const auto middle = order.begin() + static_cast<std::ptrdiff_t>(n / 2);
  std::thread other;
  if (n >= kParallelSort) {
    try {
      other = std::thread([&] { std::stable_sort(order.begin(), middle, less); });
    } catch (const std::system_error&) {
      // No thread to be had: one sort does it all.
    }
  }
  if (other.joinable()) {
    std::stable_sort(middle, order.end(), less);
    other.join();
    std::inplace_merge(order.begin(), middle, order.end(), less);
  } else {
    std::stable_sort(order.begin(), order.end(), less);
  }
  // Entry i moves to where order says, one cycle of the permutation at a
  // time; a place that is done points at itself.
  for (std::size_t i = 0; i < n; ++i) {
    if (order[i] == i) continue;
    std::string first = std::move(items_[i]);
    std::size_t at = i;
    for (;;) {
      const std::size_t from = order[at];
      order[at] = static_cast<Index>(at);
      if (from == i) {
        items_[at] = std::move(first);
        break;
      }
      items_[at] = std::move(items_[from]);
      at = from;
    }
  }
  std::vector<Index>().swap(order);
  // Of entries equal ignoring case, the first stays.
  std::size_t kept = 0;
  for (std::size_t i = 0; i < n; ++i) {
    if (kept > 0 && CompareTextIgnoreCase(items_[kept - 1], items_[i]) == 0) continue;
    if (kept != i) items_[kept] = std::move(items_[i]);
    ++kept;
  }
  items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(kept), items_.end());
}

}  // namespace quillfen
