// A second process that uses Quillfen.exe as a user would: it starts the
// program, finds its windows and controls by caption and class, clicks them
// with real mouse input, and reads back window texts and files on disk.
#pragma once

#include "WinApi.h"

#include <commctrl.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace qfdrive {

// Polls until done() or the timeout; true when done() became true.
inline bool WaitFor(const std::function<bool()>& done, int timeoutMs = 10000) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    ::Sleep(20);
  }
  return true;
}

inline std::string Text(HWND window) {
  char buffer[4096] = {};
  // WM_GETTEXT crosses processes; a status bar answers with its first panel.
  ::SendMessageTimeoutA(window, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer),
                        SMTO_ABORTIFHUNG, 5000, nullptr);
  return buffer;
}

inline std::string ClassOf(HWND window) {
  char buffer[256] = {};
  ::GetClassNameA(window, buffer, sizeof buffer);
  return buffer;
}

struct TTopSearch {
  DWORD pid;
  std::vector<HWND> found;
};

inline BOOL CALLBACK CollectTop(HWND window, LPARAM data) {
  auto* s = reinterpret_cast<TTopSearch*>(data);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  if (owner == s->pid) s->found.push_back(window);
  return TRUE;
}

// Top-level windows of a process, visible or not.
inline std::vector<HWND> TopWindows(DWORD pid) {
  TTopSearch state{pid, {}};
  ::EnumWindows(CollectTop, reinterpret_cast<LPARAM>(&state));
  return state.found;
}

inline HWND FindTop(DWORD pid, const std::string& caption, bool visibleOnly = true) {
  for (HWND w : TopWindows(pid))
    if ((!visibleOnly || ::IsWindowVisible(w)) && Text(w) == caption) return w;
  return nullptr;
}

inline HWND WaitForTop(DWORD pid, const std::string& caption, int timeoutMs = 15000) {
  HWND found = nullptr;
  WaitFor([&] { return (found = FindTop(pid, caption)) != nullptr; }, timeoutMs);
  return found;
}

struct TChildSearch {
  const std::string& className;
  const std::string& caption;
  HWND found = nullptr;
};

inline BOOL CALLBACK MatchChild(HWND window, LPARAM data) {
  auto* s = reinterpret_cast<TChildSearch*>(data);
  if ((s->className.empty() || ClassOf(window) == s->className) &&
      (s->caption.empty() || Text(window) == s->caption)) {
    s->found = window;
    return FALSE;
  }
  return TRUE;
}

// A descendant by class (empty: any) and caption (empty: any), in z order.
inline HWND FindChild(HWND parent, const std::string& className, const std::string& caption) {
  TChildSearch state{className, caption};
  ::EnumChildWindows(parent, MatchChild, reinterpret_cast<LPARAM>(&state));
  return state.found;
}

inline SIZE ClientSize(HWND window) {
  RECT r{};
  ::GetClientRect(window, &r);
  return {r.right - r.left, r.bottom - r.top};
}

// A real left click in the middle of a control: the cursor moves there and
// the button goes down and up, as the mouse does it.
inline void Click(HWND control) {
  HWND top = ::GetAncestor(control, GA_ROOT);
  ::SetForegroundWindow(top);
  RECT r{};
  ::GetWindowRect(control, &r);
  const int x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
  ::SetCursorPos(x, y);
  INPUT input[2] = {};
  input[0].type = input[1].type = INPUT_MOUSE;
  input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  ::SendInput(2, input, sizeof(INPUT));
}

// Clicks until done() holds: under load a click can land before the window
// takes input, and is then lost. True when done() became true.
inline bool ClickUntil(HWND control, const std::function<bool()>& done, int attempts = 3,
                       int waitMs = 8000) {
  for (int i = 0; i < attempts; ++i) {
    Click(control);
    if (WaitFor(done, waitMs)) return true;
  }
  return false;
}

// The text of a tree view's selected item in another process: the item
// structure and its text buffer must live in that process.
// The text of a tree view item in another process.
inline std::string TreeItemText(HWND tree, HTREEITEM item) {
  if (!item) return {};
  DWORD pid = 0;
  ::GetWindowThreadProcessId(tree, &pid);
  HANDLE process = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (!process) return {};
  std::string text;
  constexpr SIZE_T kText = 260;
  auto* remote = static_cast<char*>(
      ::VirtualAllocEx(process, nullptr, sizeof(TVITEMA) + kText, MEM_COMMIT, PAGE_READWRITE));
  if (remote) {
    TVITEMA query{};
    query.mask = TVIF_TEXT | TVIF_HANDLE;
    query.hItem = item;
    query.pszText = remote + sizeof(TVITEMA);
    query.cchTextMax = kText;
    char buffer[kText] = {};
    if (::WriteProcessMemory(process, remote, &query, sizeof query, nullptr) &&
        ::SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(remote)) &&
        ::ReadProcessMemory(process, remote + sizeof(TVITEMA), buffer, kText - 1, nullptr))
      text = buffer;
    ::VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  }
  ::CloseHandle(process);
  return text;
}

inline HTREEITEM TreeNext(HWND tree, HTREEITEM item, WPARAM how) {
  return reinterpret_cast<HTREEITEM>(::SendMessageA(tree, TVM_GETNEXTITEM, how, reinterpret_cast<LPARAM>(item)));
}

// The text of the selected item, or of its levelsUp-th parent.
inline std::string SelectedTreeText(HWND tree, int levelsUp = 0) {
  HTREEITEM item = TreeNext(tree, nullptr, TVGN_CARET);
  for (int i = 0; i < levelsUp && item; ++i) item = TreeNext(tree, item, TVGN_PARENT);
  return TreeItemText(tree, item);
}

// The item named child under an item named parent, among those the tree
// holds (expanded ones), or nullptr.
inline HTREEITEM FindTreeItem(HWND tree, const std::string& parent, const std::string& child) {
  std::vector<HTREEITEM> open{TreeNext(tree, nullptr, TVGN_ROOT)};
  while (!open.empty()) {
    HTREEITEM item = open.back();
    open.pop_back();
    for (; item; item = TreeNext(tree, item, TVGN_NEXT)) {
      const std::string text = TreeItemText(tree, item);
      for (HTREEITEM c = TreeNext(tree, item, TVGN_CHILD); c && text == parent; c = TreeNext(tree, c, TVGN_NEXT))
        if (TreeItemText(tree, c) == child) return c;
      if (HTREEITEM first = TreeNext(tree, item, TVGN_CHILD)) open.push_back(first);
    }
  }
  return nullptr;
}

// Saves what the screen shows of a window as a 24-bit BMP.
inline bool Screenshot(HWND window, const std::string& path) {
  RECT r{};
  ::GetWindowRect(window, &r);
  const int width = r.right - r.left, height = r.bottom - r.top;
  if (width <= 0 || height <= 0) return false;
  HDC screen = ::GetDC(nullptr);
  HDC memory = ::CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool ok = false;
  if (bitmap && bits) {
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    ::GdiFlush();
    ::SelectObject(memory, old);
    const DWORD stride = ((width * 3 + 3) & ~3u), size = stride * height;
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info.bmiHeader;
    file.bfSize = file.bfOffBits + size;
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
      ok = std::fwrite(&file, sizeof file, 1, f) == 1 &&
           std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, f) == 1 &&
           std::fwrite(bits, size, 1, f) == 1;
      ok = std::fclose(f) == 0 && ok;
    }
  }
  if (bitmap) ::DeleteObject(bitmap);
  ::DeleteDC(memory);
  ::ReleaseDC(nullptr, screen);
  return ok;
}

// Runs a console program of the prefix (reg.exe) and answers its exit code.
inline DWORD RunAndWait(const std::string& commandLine, DWORD timeoutMs = 60000) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::string line = commandLine;
  if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &process))
    return static_cast<DWORD>(-1);
  DWORD code = static_cast<DWORD>(-1);
  if (::WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0)
    ::GetExitCodeProcess(process.hProcess, &code);
  else
    ::TerminateProcess(process.hProcess, 1);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return code;
}

}  // namespace qfdrive
