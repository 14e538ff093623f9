// The scan's string lists: unsorted (insertion order, duplicates kept) or
// sorted (locale order ignoring case, case-insensitive duplicates ignored).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quillfen {

class StringList {
 public:
  explicit StringList(bool sorted = false) : sorted_(sorted) {}

  bool Sorted() const { return sorted_; }
  // Switching to sorted orders the entries and drops case-insensitive duplicates.
  void SetSorted(bool sorted);

  // Unsorted: appends. Sorted: inserts in order unless an entry equals text
  // ignoring case. Returns the entry's index.
  int Add(std::string text);
  // Index of an entry equal to text ignoring case, or -1 (first one when unsorted).
  int IndexOf(std::string_view text) const;
  bool Contains(std::string_view text) const { return IndexOf(text) >= 0; }

  // Gives the memory back too: a scan's lists are large and kept between scans.
  void Clear() { std::vector<std::string>().swap(items_); }
  int Count() const { return static_cast<int>(items_.size()); }
  bool Empty() const { return items_.empty(); }
  const std::string& operator[](int index) const { return items_[static_cast<std::size_t>(index)]; }
  const std::vector<std::string>& Items() const { return items_; }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

  // Adds many entries to a sorted list with the result of adding them one by
  // one in order (first spelling wins), in O(n log n).
  void AddAll(std::vector<std::string> texts);

 private:
  // Binary search: index of the first entry not less than text, and whether it equals.
  std::pair<std::size_t, bool> Find(std::string_view text) const;
  // Stable sort ignoring case, then drops entries equal to an earlier one.
  template <typename Index>
  void SortAndDropDuplicates();

  bool sorted_;
  std::vector<std::string> items_;
};

}  // namespace quillfen
