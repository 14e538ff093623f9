#include "Menus.h"

#include <algorithm>
#include <cstdio>
#include <map>

namespace quillfen::vcl {

namespace {

std::map<UINT, TMenuItem*>& Commands() {
  static std::map<UINT, TMenuItem*> commands;
  return commands;
}

std::map<const TWinControl*, TMainMenu*>& FormMenus() {
  static std::map<const TWinControl*, TMainMenu*> menus;
  return menus;
}

// DestroyMenu would take the sub-menus along; those belong to their items.
void DestroyMenuOnly(HMENU menu) {
  while (::GetMenuItemCount(menu) > 0) ::RemoveMenu(menu, 0, MF_BYPOSITION);
  ::DestroyMenu(menu);
}

UINT NextCommand() {
  static UINT next = 100;
  while (Commands().count(next) || next == 0) next = next >= 0xFFFF ? 100 : next + 1;
  return next++;
}

std::string KeyName(unsigned key) {
  if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return std::string(1, static_cast<char>(key));
  if (key >= VK_F1 && key <= VK_F24) {
    char name[8];
    std::snprintf(name, sizeof name, "F%u", key - VK_F1 + 1);
    return name;
  }
  switch (key) {
    case VK_DELETE: return "Del";
    case VK_INSERT: return "Ins";
    case VK_RETURN: return "Enter";
    case VK_ESCAPE: return "Esc";
    case VK_BACK: return "BkSp";
    case VK_TAB: return "Tab";
    case VK_SPACE: return "Space";
    default: return {};
  }
}

}  // namespace

std::string ShortCutToText(TShortCut shortCut) {
  const std::string key = KeyName(shortCut & 0xFF);
  if (key.empty()) return {};
  std::string text;
  if (shortCut & scShift) text += "Shift+";
  if (shortCut & scCtrl) text += "Ctrl+";
  if (shortCut & scAlt) text += "Alt+";
  return text + key;
}

// ------------------------------------------------------------- TMenuItem

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner), command_(NextCommand()) {
  Commands()[command_] = this;
  AnnounceInsertion();
}

TMenuItem::~TMenuItem() {
  if (parent_) parent_->Remove(this);
  for (TMenuItem* child : items_) child->parent_ = nullptr;
  Commands().erase(command_);
  if (handle_) DestroyMenuOnly(handle_);
}

TMenuItem* TMenuItem::FromCommand(UINT command) {
  auto it = Commands().find(command);
  return it == Commands().end() ? nullptr : it->second;
}

TMenuItem* TMenuItem::FromHandle(HMENU menu) {
  if (!menu) return nullptr;
  for (const auto& [command, item] : Commands())
    if (item->handle_ == menu) return item;
  return nullptr;
}

#define QF_MENU_SETTER(Name, field, Type)     \
  void TMenuItem::Set##Name(Type value) {      \
    if (value == field) return;                \
    field = value;                             \
    Changed();                                 \
  }
QF_MENU_SETTER(Checked, checked_, bool)
QF_MENU_SETTER(RadioItem, radioItem_, bool)
QF_MENU_SETTER(Enabled, enabled_, bool)
QF_MENU_SETTER(Visible, visible_, bool)
QF_MENU_SETTER(Default, default_, bool)
QF_MENU_SETTER(ShortCut, shortCut_, TShortCut)
QF_MENU_SETTER(ImageIndex, imageIndex_, int)
QF_MENU_SETTER(SubMenuImages, subMenuImages_, TCustomImageList*)
#undef QF_MENU_SETTER

void TMenuItem::SetCaption(const std::string& value) {
  if (value == caption_) return;
  caption_ = value;
  Changed();
}

void TMenuItem::SetOnDrawItem(TMenuDrawEvent handler) {
  onDrawItem_ = std::move(handler);
  Changed();
}

void TMenuItem::SetOnMeasureItem(TMenuMeasureEvent handler) {
  onMeasureItem_ = std::move(handler);
  Changed();
}

void TMenuItem::Add(TMenuItem* item) { Insert(Count(), item); }

void TMenuItem::Insert(int index, TMenuItem* item) {
  if (!item || item == this) return;
  if (item->parent_) item->parent_->Remove(item);
  index = std::clamp(index, 0, Count());
  items_.insert(items_.begin() + index, item);
  item->parent_ = this;
  Changed();
}

void TMenuItem::Remove(TMenuItem* item) {
  auto it = std::find(items_.begin(), items_.end(), item);
  if (it == items_.end()) return;
  items_.erase(it);
  item->parent_ = nullptr;
  Changed();
}

TMenu* TMenuItem::GetParentMenu() const {
  const TMenuItem* item = this;
  while (item->parent_) item = item->parent_;
  return item->menu_;
}

void TMenuItem::Click() {
  if (OnClick) OnClick(this);
}

bool TMenuItem::IsOwnerDrawn() const {
  if (onDrawItem_ || onMeasureItem_) return true;
  TMenu* menu = GetParentMenu();
  return menu && menu->OwnerDraw();
}

void TMenuItem::Changed() {
  if (handle_) RebuildHandle();
  if (TMenu* menu = GetParentMenu()) menu->Changed();
}

HMENU TMenuItem::Handle() {
  if (!handle_) {
    handle_ = ::CreatePopupMenu();
    RebuildHandle();
  }
  return handle_;
}

void TMenuItem::RebuildHandle() {
  if (!handle_) return;
  while (::GetMenuItemCount(handle_) > 0) ::RemoveMenu(handle_, 0, MF_BYPOSITION);
  for (TMenuItem* child : items_)
    if (child->visible_) child->AppendTo(handle_);
}

void TMenuItem::AppendTo(HMENU menu) {
  UINT flags = 0;
  if (!enabled_) flags |= MF_GRAYED;
  if (checked_) flags |= MF_CHECKED;
  if (radioItem_) flags |= MFT_RADIOCHECK;
  UINT_PTR id = command_;
  if (!items_.empty()) {
    flags |= MF_POPUP;
    id = reinterpret_cast<UINT_PTR>(Handle());
  }
  std::string text = caption_;
  if (const std::string keys = ShortCutToText(shortCut_); !keys.empty()) text += "\t" + keys;
  if (IsOwnerDrawn()) {
    ::AppendMenuA(menu, flags | MF_OWNERDRAW, id, reinterpret_cast<LPCSTR>(this));
  } else if (IsLine()) {
    ::AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  } else {
    ::AppendMenuA(menu, flags | MF_STRING, id, text.c_str());
  }
  if (default_) ::SetMenuDefaultItem(menu, ::GetMenuItemCount(menu) - 1, TRUE);
}

void TMenuItem::MeasureItem(TCanvas& canvas, int& width, int& height) {
  if (onMeasureItem_) {
    onMeasureItem_(this, canvas, width, height);
    return;
  }
  if (IsLine()) {
    height = std::max(height, 8);
    return;
  }
  const std::string text = caption_ + "    " + ShortCutToText(shortCut_);
  const TPoint extent = canvas.TextExtent(text);
  width = std::max(width, extent.X + 16);
  height = std::max(height, extent.Y + 6);
}

void TMenuItem::DrawItem(TGdiCanvas& canvas, TRect rect, bool selected) {
  if (onDrawItem_) {
    onDrawItem_(this, canvas, rect, selected);
    return;
  }
  canvas.Brush.Style = TBrushStyle::bsSolid;
  canvas.Brush.Color = selected ? clHighlight : clMenu;
  canvas.FillRect(rect);
  if (IsLine()) {
    canvas.Pen.Color = clBtnShadow;
    const int y = (rect.Top + rect.Bottom) / 2;
    canvas.MoveTo(rect.Left + 2, y);
    canvas.LineTo(rect.Right - 2, y);
    return;
  }
  canvas.Font.Color = !enabled_ ? clGrayText : selected ? clHighlightText : clMenuText;
  canvas.Brush.Style = TBrushStyle::bsClear;
  TRect text = rect;
  text.Left += 16;
  canvas.DrawText(caption_, text, dtSingleLine | dtVCenter);
}

// ----------------------------------------------------------------- TMenu

TMenu::TMenu(TComponent* owner) : TComponent(owner), items_(std::make_unique<TMenuItem>(nullptr)) {
  items_->menu_ = this;
}

TMenu::~TMenu() { items_->menu_ = nullptr; }

void TMenu::SetImages(TCustomImageList* value) {
  if (value == images_) return;
  images_ = value;
  Changed();
}

void TMenu::SetOwnerDraw(bool value) {
  if (value == ownerDraw_) return;
  ownerDraw_ = value;
  Changed();
}

void TMenu::SetBiDiMode(TBiDiMode value) {
  if (value == biDiMode_) return;
  biDiMode_ = value;
  parentBiDiMode_ = false;  // a mode set by hand is the menu's own
  Changed();
}

void TMenu::SetParentBiDiMode(bool value) {
  if (value == parentBiDiMode_) return;
  parentBiDiMode_ = value;
  Changed();
}

bool TMenu::IsRightToLeft() const {
  TWinControl* window = nullptr;
  if (auto* main = dynamic_cast<const TMainMenu*>(this)) window = main->Form();
  if (!window) window = dynamic_cast<TWinControl*>(Owner());
  const std::uint32_t exStyle =
      window && window->HandleAllocated()
          ? static_cast<std::uint32_t>(::GetWindowLongA(window->Handle(), GWL_EXSTYLE))
          : 0;
  return MenuReadsRightToLeft(biDiMode_, parentBiDiMode_, exStyle);
}

void TMenu::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == TOperation::opRemove && component == images_) images_ = nullptr;
}

// ------------------------------------------------------------- TMainMenu

TMainMenu::TMainMenu(TComponent* owner) : TMenu(owner) { AnnounceInsertion(); }

TMainMenu::~TMainMenu() {
  if (form_) {
    form_->WindowProc = previousProc_;
    FormMenus().erase(form_);
    if (form_->HandleAllocated()) ::SetMenu(form_->Handle(), nullptr);
  }
  if (handle_) DestroyMenuOnly(handle_);
}

HMENU TMainMenu::Handle() {
  if (!handle_) {
    handle_ = ::CreateMenu();
    Rebuild();
  }
  return handle_;
}

void TMainMenu::Rebuild() {
  if (!handle_) return;
  while (::GetMenuItemCount(handle_) > 0) ::RemoveMenu(handle_, 0, MF_BYPOSITION);
  for (int i = 0; i < items_->Count(); ++i)
    if (items_->Items(i)->Visible()) items_->Items(i)->AppendTo(handle_);
}

void TMainMenu::Changed() {
  Rebuild();
  if (form_ && form_->HandleAllocated()) ::DrawMenuBar(form_->Handle());
}

void TMainMenu::AttachTo(TWinControl* form) {
  if (form_ || !form) return;
  form_ = form;
  FormMenus()[form] = this;
  previousProc_ = form->WindowProc;
  form->WindowProc = [this](TMessage& m) {
    if (m.Msg == WM_CREATE) {
      previousProc_(m);
      ::SetMenu(form_->Handle(), Handle());
      return;
    }
    if (DispatchMenuMessage(m)) return;
    previousProc_(m);
  };
  if (form->HandleAllocated()) ::SetMenu(form->Handle(), Handle());
}

TMainMenu* FormMenu(const TWinControl* form) {
  auto it = FormMenus().find(form);
  return it == FormMenus().end() ? nullptr : it->second;
}

// ------------------------------------------------------------ TPopupMenu

namespace {
LRESULT CALLBACK PopupWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  TMessage m{message, wParam, lParam, 0};
  try {
    if (DispatchMenuMessage(m)) return m.Result;
  } catch (const std::exception& error) {
    HandleWindowException(error);
    return 0;
  }
  return ::DefWindowProcA(window, message, wParam, lParam);
}
}  // namespace

TPopupMenu::TPopupMenu(TComponent* owner) : TMenu(owner) { AnnounceInsertion(); }

TPopupMenu::~TPopupMenu() = default;

HWND TPopupMenu::Window() {
  static HWND window = [] {
    WNDCLASSA wc{};
    wc.lpfnWndProc = PopupWindowProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = "QuillfenPopupOwner";
    ::RegisterClassA(&wc);
    return ::CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                             wc.hInstance, nullptr);
  }();
  return window;
}

HMENU TPopupMenu::Handle() {
  handle_ = items_->Handle();
  return handle_;
}

void TPopupMenu::Popup(int x, int y) {
  HMENU menu = Handle();
  items_->RebuildHandle();
  HWND owner = Window();
  ::SetForegroundWindow(owner);
  ::TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_LEFTBUTTON, x, y, 0, owner, nullptr);
  ::PostMessageA(owner, WM_NULL, 0, 0);
  // The chosen command arrives as a posted WM_COMMAND; run it before returning.
  MSG msg;
  while (::PeekMessageA(&msg, owner, WM_COMMAND, WM_COMMAND, PM_REMOVE)) ::DispatchMessageA(&msg);
  handle_ = nullptr;  // the root item owns it
}

// -------------------------------------------------------------- dispatch

namespace {

// The item tree shown in a Win32 menu: an item's popup or a main menu's bar.
TMenuItem* ItemsOfHandle(HMENU menu) {
  if (TMenuItem* item = TMenuItem::FromHandle(menu)) return item;
  for (auto& [form, mainMenu] : FormMenus())
    if (mainMenu && mainMenu->Handle() == menu) return mainMenu->Items();
  return nullptr;
}

char UpperAnsi(char c) {
  char text[2] = {c, '\0'};
  ::CharUpperA(text);
  return text[0];
}

// Owner-drawn items carry no text for the system to find "&x" in, so the
// accelerator is looked up here; the answer is the item's position.
bool AnswerMenuChar(TMessage& m) {
  TMenuItem* items = ItemsOfHandle(reinterpret_cast<HMENU>(m.LParam));
  if (!items) return false;
  const char key = UpperAnsi(static_cast<char>(LOWORD(m.WParam)));
  int position = 0;
  for (int i = 0; i < items->Count(); ++i) {
    TMenuItem* item = items->Items(i);
    if (!item->Visible()) continue;
    const std::string& caption = item->Caption();
    for (size_t k = 0; k + 1 < caption.size(); ++k) {
      if (caption[k] != '&') continue;
      if (caption[k + 1] == '&') { ++k; continue; }
      const char c = UpperAnsi(caption[k + 1]);
      if (c == key && item->IsOwnerDrawn()) {
        m.Result = MAKELRESULT(position, MNC_EXECUTE);
        return true;
      }
      break;
    }
    ++position;
  }
  return false;
}

}  // namespace

bool DispatchMenuMessage(TMessage& m) {
  switch (m.Msg) {
    case WM_MENUCHAR: return AnswerMenuChar(m);
    case WM_MEASUREITEM: {
      auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(m.LParam);
      if (!mis || mis->CtlType != ODT_MENU) return false;
      auto* item = reinterpret_cast<TMenuItem*>(mis->itemData);
      if (!item || TMenuItem::FromCommand(item->Command()) != item) return false;
      TWindowDC screen(nullptr);
      TGdiCanvas canvas(screen.get());
      int width = 0, height = 0;
      item->MeasureItem(canvas, width, height);
      mis->itemWidth = static_cast<UINT>(std::max(width, 0));
      mis->itemHeight = static_cast<UINT>(std::max(height, 0));
      m.Result = TRUE;
      return true;
    }
    case WM_DRAWITEM: {
      auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(m.LParam);
      if (!dis || dis->CtlType != ODT_MENU) return false;
      auto* item = reinterpret_cast<TMenuItem*>(dis->itemData);
      if (!item || TMenuItem::FromCommand(item->Command()) != item) return false;
      const int saved = ::SaveDC(dis->hDC);
      TGdiCanvas canvas(dis->hDC);
      try {
        item->DrawItem(canvas, {dis->rcItem.left, dis->rcItem.top, dis->rcItem.right, dis->rcItem.bottom},
                       (dis->itemState & ODS_SELECTED) != 0);
      } catch (...) {
        ::RestoreDC(dis->hDC, saved);
        throw;
      }
      ::RestoreDC(dis->hDC, saved);
      m.Result = TRUE;
      return true;
    }
    case WM_INITMENUPOPUP:
      if (TMenuItem* item = TMenuItem::FromHandle(reinterpret_cast<HMENU>(m.WParam))) {
        item->RebuildHandle();
        m.Result = 0;
        return true;
      }
      return false;
    case WM_COMMAND:
      if (HIWORD(m.WParam) == 0 && m.LParam == 0) {
        if (TMenuItem* item = TMenuItem::FromCommand(LOWORD(m.WParam))) {
          item->Click();
          m.Result = 0;
          return true;
        }
      }
      return false;
    default: return false;
  }
}

}  // namespace quillfen::vcl
