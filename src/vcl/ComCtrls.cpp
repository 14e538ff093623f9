#include "ComCtrls.h"

#include <commctrl.h>

#include "Forms.h"

namespace quillfen::vcl {

namespace {
void InitCommonControlsOnce() {
  static const bool done = [] {
    INITCOMMONCONTROLSEX init{sizeof init, ICC_BAR_CLASSES | ICC_WIN95_CLASSES};
    return ::InitCommonControlsEx(&init) != FALSE;
  }();
  (void)done;
}
}  // namespace

TStatusBar::TStatusBar(TComponent* owner) : TWinControl(owner) {
  InitCommonControlsOnce();
  SetColor(clBtnFace);
  SetBounds(0, 0, 0, 19);
  SetAlign(TAlign::alBottom);
}

void TStatusBar::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.SystemClass = STATUSCLASSNAMEA;
  // The framework places it; the control must not move or size itself.
  p.Style |= CCS_NOPARENTALIGN | CCS_NORESIZE;
  // A grip on a window that cannot be resized would promise what it cannot do.
  const TWinControl* top = Parent();
  while (top && top->Parent()) top = top->Parent();
  const auto* form = dynamic_cast<const TCustomForm*>(top);
  const bool sizeable = !form || form->BorderStyle() == TFormBorderStyle::bsSizeable ||
                        form->BorderStyle() == TFormBorderStyle::bsSizeToolWin;
  if (SizeGrip && sizeable) p.Style |= SBARS_SIZEGRIP;
}

void TStatusBar::HandleCreated() { UpdatePanels(); }

void TStatusBar::UpdatePanels() {
  if (!HandleAllocated()) return;
  HWND bar = Handle();
  ::SendMessageA(bar, SB_SIMPLE, simplePanel_, 0);
  if (simplePanel_) {
    ::SendMessageA(bar, SB_SETTEXTA, 255, reinterpret_cast<LPARAM>(simpleText_.c_str()));
    return;
  }
  std::vector<int> edges;
  int right = 0;
  for (const auto& panel : panels_) {
    right += panel.Width;
    edges.push_back(right);
  }
  if (!edges.empty()) edges.back() = -1;  // the last panel reaches the end
  if (edges.empty()) edges.push_back(-1);
  ::SendMessageA(bar, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
  for (size_t i = 0; i < panels_.size(); ++i)
    ::SendMessageA(bar, SB_SETTEXTA, i, reinterpret_cast<LPARAM>(panels_[i].Text.c_str()));
}

void TStatusBar::AddPanel(const std::string& text, int width) {
  panels_.push_back({text, width});
  UpdatePanels();
}

void TStatusBar::SetPanelText(int index, const std::string& text) {
  TStatusPanel& panel = panels_.at(static_cast<size_t>(index));
  if (panel.Text == text) return;
  panel.Text = text;
  if (HandleAllocated() && !simplePanel_)
    ::SendMessageA(Handle(), SB_SETTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.c_str()));
}

void TStatusBar::SetPanelWidth(int index, int width) {
  TStatusPanel& panel = panels_.at(static_cast<size_t>(index));
  if (panel.Width == width) return;
  panel.Width = width;
  UpdatePanels();
}

void TStatusBar::SetSimplePanel(bool value) {
  if (value == simplePanel_) return;
  simplePanel_ = value;
  UpdatePanels();
}

void TStatusBar::SetSimpleText(const std::string& text) {
  if (text == simpleText_) return;
  simpleText_ = text;
  if (simplePanel_) UpdatePanels();
}

}  // namespace quillfen::vcl
