// The order logic behind TabOrder and Tab / Shift+Tab, on plain lists so that
// it holds without a window system.
#pragma once

#include <algorithm>
#include <cstddef>
#include <functional>
#include <utility>
#include <vector>

namespace quillfen::vcl {

// The position a tab order value asks for among count entries: 0-based, clamped.
inline int ClampTabOrder(int value, int count) {
  if (count <= 0) return -1;
  return std::clamp(value, 0, count - 1);
}

// Moves item to the clamped position value; the entries between shift by one.
// Returns the new position, or -1 when item is not in list.
template <typename T>
int MoveToTabOrder(std::vector<T>& list, const T& item, int value) {
  const auto it = std::find(list.begin(), list.end(), item);
  if (it == list.end()) return -1;
  const int from = static_cast<int>(it - list.begin());
  const int to = ClampTabOrder(value, static_cast<int>(list.size()));
  if (from < to)
    std::rotate(list.begin() + from, list.begin() + from + 1, list.begin() + to + 1);
  else if (to < from)
    std::rotate(list.begin() + to, list.begin() + from, list.begin() + from + 1);
  return to;
}

// Stored tab orders, applied once all entries exist: in ascending value (ties
// in the order given), each later move leaves the earlier ones in place, so
// the result follows the values whatever order they were stored in.
template <typename T>
void ApplyTabOrders(std::vector<T>& list, std::vector<std::pair<T, int>> stored) {
  std::stable_sort(stored.begin(), stored.end(),
                   [](const auto& a, const auto& b) { return a.second < b.second; });
  for (const auto& [item, value] : stored) MoveToTabOrder(list, item, value);
}

// The index that Tab (forward) or Shift+Tab reaches from current in a list of
// count entries, going round at the ends and taking only entries that accept;
// current -1 starts before the first (forward) or after the last. -1 when no
// entry accepts; current itself is reached only when no other entry accepts.
inline int NextTabIndex(int count, int current, bool forward, const std::function<bool(int)>& accepts) {
  if (count <= 0) return -1;
  int start = current;
  if (start < 0 || start >= count) start = forward ? count - 1 : 0;
  int i = start;
  do {
    i = forward ? (i + 1) % count : (i + count - 1) % count;
    if (accepts(i)) return i;
  } while (i != start);
  return -1;
}

}  // namespace quillfen::vcl
