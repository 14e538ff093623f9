// Helpers for tests that drive real windows.
#pragma once

#include "WinApi.h"

#include <chrono>
#include <functional>

#include "Forms.h"

namespace qftest {

// Pumps messages until done() or the timeout; true when done() became true.
inline bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 3000) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    quillfen::vcl::Application().ProcessMessages();
    ::Sleep(5);
  }
  return true;
}

// Runs action once from inside the message loop that is running when the timer fires.
class TDeferred {
 public:
  explicit TDeferred(std::function<void()> action, UINT delayMs = 50) {
    Current() = std::move(action);
    id_ = ::SetTimer(nullptr, 0, delayMs, &TDeferred::Fire);
  }
  ~TDeferred() {
    if (id_) ::KillTimer(nullptr, id_);
    Current() = nullptr;
  }
  TDeferred(const TDeferred&) = delete;
  TDeferred& operator=(const TDeferred&) = delete;

 private:
  static std::function<void()>& Current() {
    static std::function<void()> action;
    return action;
  }
  static void CALLBACK Fire(HWND, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(nullptr, id);
    auto action = std::move(Current());
    Current() = nullptr;
    if (action) action();
  }
  UINT_PTR id_ = 0;
};

// A left click at a point of a window's client area, as the mouse sends it.
inline void PostClick(HWND window, int x, int y) {
  ::PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
  ::PostMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

// A key pressed and released through the input queue, with Shift and Ctrl
// held around it as asked, then the messages it caused handled.
inline void PressKey(WORD key, bool shift = false, bool ctrl = false) {
  INPUT inputs[6] = {};
  UINT count = 0;
  auto add = [&](WORD vk, bool up) {
    inputs[count].type = INPUT_KEYBOARD;
    inputs[count].ki.wVk = vk;
    inputs[count].ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    ++count;
  };
  if (ctrl) add(VK_CONTROL, false);
  if (shift) add(VK_SHIFT, false);
  add(key, false);
  add(key, true);
  if (shift) add(VK_SHIFT, true);
  if (ctrl) add(VK_CONTROL, true);
  ::SendInput(count, inputs, sizeof(INPUT));
  // The input arrives asynchronously; give it time, then handle what it posted.
  for (int i = 0; i < 10; ++i) {
    ::Sleep(10);
    quillfen::vcl::Application().ProcessMessages();
  }
}

// Brings a shown form to the front with the keyboard focus, as a click would.
inline bool Activate(HWND window) {
  ::SetForegroundWindow(window);
  ::SetActiveWindow(window);
  return PumpUntil([&] { return ::GetForegroundWindow() == window; });
}

}  // namespace qftest
