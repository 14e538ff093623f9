#include "StringList.h"

#include <algorithm>
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
  std::vector<std::string> all;
  all.reserve(items_.size() + texts.size());
  for (auto& t : items_) all.push_back(std::move(t));
  for (auto& t : texts) all.push_back(std::move(t));
  std::vector<std::size_t> order(all.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  auto less = [&](std::size_t a, std::size_t b) { return CompareTextIgnoreCase(all[a], all[b]) < 0; };
  // A scan's word list has tens of thousands of entries, and sorting them
  // is the longest step that nothing else overlaps: the two halves are
  // sorted on two threads. Merging keeps the first half first among equal
  // entries, so the order is that of one stable sort.
  const auto middle = order.begin() + static_cast<std::ptrdiff_t>(order.size() / 2);
  std::thread other;
  if (order.size() >= kParallelSort) {
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
  items_.clear();
  items_.reserve(all.size());
  for (std::size_t i : order) {
    if (!items_.empty() && CompareTextIgnoreCase(items_.back(), all[i]) == 0) continue;
    items_.push_back(std::move(all[i]));
  }
}

}  // namespace quillfen
