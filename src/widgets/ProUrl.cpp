#include "ProUrl.h"

#ifdef _WIN32

#include <shellapi.h>

#include "Forms.h"

namespace quillfen::widgets {

namespace {

void ShellOpen(HWND owner, const std::string& url) {
  ::ShellExecuteA(owner, "open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

TShellOpenFunction& CurrentShellOpen() {
  static TShellOpenFunction fn = ShellOpen;
  return fn;
}

}  // namespace

TShellOpenFunction SetShellOpenFunction(TShellOpenFunction fn) {
  TShellOpenFunction previous = CurrentShellOpen();
  CurrentShellOpen() = fn ? fn : ShellOpen;
  return previous;
}

TProUrlImage::TProUrlImage(vcl::TComponent* owner) : TImage(owner) {
  RegisterProCursors();  // the hand cursor must exist before the mouse can need it
  SetCursor(crProHandPoint);
}

void TProUrlImage::Click() {
  TImage::Click();
  if (URL.empty()) return;
  vcl::TCustomForm* main = vcl::Application().MainForm();
  HWND owner = main && main->HandleAllocated() ? main->Handle() : vcl::Application().Handle();
  CurrentShellOpen()(owner, URL);
}

}  // namespace quillfen::widgets

#endif
