#include "rmBtnEdit.h"

#include <cstring>

namespace quillfen::widgets {

TPixelImage EllipsisGlyphBits() {
  TPixelImage image(9, 9, vcl::clWhite);
  for (int y : {5, 6})
    for (int x : {1, 2, 4, 5, 7, 8}) image.At(x, y) = vcl::clBlack;
  return image;
}

namespace {
void Put16(std::vector<unsigned char>& out, unsigned v) {
  out.push_back(static_cast<unsigned char>(v & 0xFF));
  out.push_back(static_cast<unsigned char>((v >> 8) & 0xFF));
}
void Put32(std::vector<unsigned char>& out, unsigned v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}
unsigned Get16(const std::vector<unsigned char>& in, size_t at) {
  return static_cast<unsigned>(in[at]) | (static_cast<unsigned>(in[at + 1]) << 8);
}
unsigned Get32(const std::vector<unsigned char>& in, size_t at) {
  return Get16(in, at) | (Get16(in, at + 2) << 16);
}
constexpr unsigned kBmpHeaders = 14 + 40;
}  // namespace

std::vector<unsigned char> EncodeBmp24(const TPixelImage& image) {
  const unsigned stride = ((static_cast<unsigned>(image.Width) * 3 + 3) / 4) * 4;
  const unsigned size = stride * static_cast<unsigned>(image.Height);
  std::vector<unsigned char> out;
  out.push_back('B');
  out.push_back('M');
  Put32(out, kBmpHeaders + size);
  Put32(out, 0);
  Put32(out, kBmpHeaders);
  Put32(out, 40);
  Put32(out, static_cast<unsigned>(image.Width));
  Put32(out, static_cast<unsigned>(image.Height));
  Put16(out, 1);
  Put16(out, 24);
  Put32(out, 0);  // BI_RGB
  Put32(out, size);
  Put32(out, 2835);  // 72 dpi
  Put32(out, 2835);
  Put32(out, 0);
  Put32(out, 0);
  for (int y = image.Height - 1; y >= 0; --y) {
    const size_t rowStart = out.size();
    for (int x = 0; x < image.Width; ++x) {
      const TColor c = image.At(x, y);
      out.push_back(static_cast<unsigned char>(vcl::BlueOf(c)));
      out.push_back(static_cast<unsigned char>(vcl::GreenOf(c)));
      out.push_back(static_cast<unsigned char>(vcl::RedOf(c)));
    }
    while (out.size() - rowStart < stride) out.push_back(0);
  }
  return out;
}

TPixelImage DecodeBmp24(const std::vector<unsigned char>& in) {
  if (in.size() < kBmpHeaders || in[0] != 'B' || in[1] != 'M') return {};
  const unsigned offset = Get32(in, 10);
  const int width = static_cast<int>(Get32(in, 18));
  const int height = static_cast<int>(Get32(in, 22));
  if (Get16(in, 28) != 24 || Get32(in, 30) != 0 || width <= 0 || height <= 0 || width > 4096 ||
      height > 4096)
    return {};
  const size_t stride = ((static_cast<size_t>(width) * 3 + 3) / 4) * 4;
  if (offset > in.size() || (in.size() - offset) / stride < static_cast<size_t>(height)) return {};
  TPixelImage image(width, height, vcl::clBlack);
  for (int y = 0; y < height; ++y) {
    const size_t row = offset + static_cast<size_t>(height - 1 - y) * stride;
    for (int x = 0; x < width; ++x) {
      const size_t p = row + static_cast<size_t>(x) * 3;
      image.At(x, y) = vcl::RGBColor(in[p + 2], in[p + 1], in[p]);
    }
  }
  return image;
}

TEditButtonsPlace PlaceEditButtons(const TEditButtonsInput& in) {
  TEditButtonsPlace place;
  const int w = in.Width, h = in.Height, bw = in.BtnWidth;
  if (in.Look3D) {
    if (in.Btn2Visible) {
      place.Button1 = vcl::Bounds(w - 2 * bw - 4, 0, bw, h - 4);
      place.Button2 = vcl::Bounds(w - bw - 4, 0, bw, h - 4);
      place.Button2Placed = true;
    } else {
      place.Button1 = vcl::Bounds(w - bw - 4, 0, bw, h - 4);
    }
  } else if (in.Btn2Visible) {
    place.Button1 = vcl::Bounds(w - 2 * bw, 1, bw, h - 2);
    place.Button2 = vcl::Bounds(w - bw, 1, bw, h - 2);
    place.Button2Placed = true;
  } else {
    place.Button1 = vcl::Bounds(w - bw, 1, bw, h - 2);
  }
  if (in.Designing) {
    if (!in.Btn1Visible) place.Button1.Right = place.Button1.Left;
    if (!in.Btn2Visible) {
      place.Button2 = vcl::Bounds(place.Button1.Right, place.Button1.Top, 0, place.Button1.Height());
      place.Button2Placed = true;
    }
  }
  return place;
}

int EditRectRight(int clientWidth, int btnWidth, bool btn1Visible, bool btn2Visible) {
  int right = btn1Visible ? clientWidth - btnWidth - 1 : clientWidth;
  if (btn2Visible) right -= btnWidth;
  return right;
}

namespace {
constexpr int kVkReturn = 0x0D, kVkEscape = 0x1B;
}

TEditKey EditKeyAction(int key, bool shift, bool ctrl, bool alt, bool differs) {
  const bool none = !shift && !ctrl && !alt;
  switch (key) {
    case kVkReturn:
      if (ctrl && !shift && !alt) return TEditKey::ClickBtn1;
      if (ctrl && shift && !alt) return TEditKey::ClickBtn2;
      return none ? TEditKey::FocusThenDefault : TEditKey::Swallow;
    case kVkEscape: return none && differs ? TEditKey::RestoreSaved : TEditKey::Swallow;
    default: return TEditKey::Default;
  }
}

bool EditCharAllowed(unsigned char ch) { return ch != '\r' && ch != '\n'; }

}  // namespace quillfen::widgets

#ifdef _WIN32

namespace quillfen::widgets {

void RecolorGlyph(vcl::TBitmap& bitmap, TColor face, TColor text) {
  if (bitmap.Empty()) return;
  TPixelImage image = ReadPixels(bitmap);
  RecolorPixels(image, face, text);
  bitmap.SetHandle(CreateBitmapOf(image));
}

TrmCustomBtnEdit::TrmCustomBtnEdit(vcl::TComponent* owner) : TrmCustomEdit(owner) {
  button1_ = MakeButton(true);
  btn1DefaultGlyph_ = true;
  InstallDefaultGlyph(button1_);
  button2_ = MakeButton(false);
  btn2DefaultGlyph_ = true;
  InstallDefaultGlyph(button2_);
  button1_->SetWidth(btnWidth_);
  button2_->SetWidth(btnWidth_);
  SetText("");
  ControlStyle &= ~static_cast<unsigned>(vcl::csSetCaption);
  editorEnabled_ = true;
}

TrmCustomBtnEdit::~TrmCustomBtnEdit() {
  delete button1_;
  button1_ = nullptr;
  delete button2_;
  button2_ = nullptr;
}

TrmSpeedButton* TrmCustomBtnEdit::MakeButton(bool visible) {
  auto* button = new TrmSpeedButton(nullptr);
  button->SetVisible(visible);
  button->SetStyle(sbsComboButton);
  button->SetCursor(vcl::crArrow);
  button->SetParent(this);
  button->OnClick = [this](vcl::TObject* sender) { BtnClick(sender); };
  button->SetEnabled(true);
  button->SetLayout(blGlyphTop);
  return button;
}

void TrmCustomBtnEdit::InstallDefaultGlyph(TrmSpeedButton* button) {
  vcl::TBitmap bitmap;
  // A program without the resource still gets the same picture.
  if (!bitmap.LoadFromResourceName(::GetModuleHandleA(nullptr), "RM_ELLIPSIS"))
    bitmap.SetHandle(CreateBitmapOf(EllipsisGlyphBits()));
  RecolorGlyph(bitmap, vcl::clBtnFace, vcl::clBtnText);
  button->SetGlyph(bitmap);
}

void TrmCustomBtnEdit::SetGlyph(TrmSpeedButton* button, bool& defaultFlag,
                                const vcl::TBitmap& value) {
  if (value.Empty()) {
    defaultFlag = true;
    InstallDefaultGlyph(button);
    return;
  }
  defaultFlag = false;
  button->SetGlyph(value);
}

void TrmCustomBtnEdit::SetBtnWidth(int value) {
  if (value == btnWidth_) return;
  btnWidth_ = value;
  button1_->SetWidth(value);
  button2_->SetWidth(value);
  RecreateWnd();
}

void TrmCustomBtnEdit::ApplyButton2Visibility() {
  button2_->SetVisible(rules_.Btn2Visible());
  if (button2_->Visible()) button2_->SetLeft(button1_->Left() + 1);
}

void TrmCustomBtnEdit::SetBtn1Visible(bool value) {
  rules_.Btn1Visible = value;
  button1_->SetVisible(value);
  ApplyButton2Visibility();
  RecreateWnd();
  PlaceButtons();
}

void TrmCustomBtnEdit::SetBtn2Visible(bool value) {
  rules_.Btn2VisibleWish = value;
  ApplyButton2Visibility();
  RecreateWnd();
  PlaceButtons();
}

void TrmCustomBtnEdit::SetBtn1Enabled(bool value) {
  rules_.Btn1EnabledWish = value;
  button1_->SetEnabled(rules_.Btn1Enabled());
}

void TrmCustomBtnEdit::SetBtn2Enabled(bool value) {
  rules_.Btn2EnabledWish = value;
  button2_->SetEnabled(rules_.Btn2Enabled());
}

void TrmCustomBtnEdit::SetEnabled(bool value) {
  TrmCustomEdit::SetEnabled(value);
  rules_.EditEnabled = value;
  button1_->SetEnabled(rules_.Btn1Enabled());
  button2_->SetEnabled(rules_.Btn2Enabled());
}

void TrmCustomBtnEdit::SetFocus() {
  SavedText = GetText();
  TrmCustomEdit::SetFocus();
}

void TrmCustomBtnEdit::BtnClick(vcl::TObject* sender) {
  SetFocus();
  if (sender == button1_ && OnBtn1Click) OnBtn1Click(this);
  else if (sender == button2_ && OnBtn2Click) OnBtn2Click(this);
}

void TrmCustomBtnEdit::CreateParams(vcl::TCreateParams& p) {
  TrmCustomEdit::CreateParams(p);
  p.Style |= ES_MULTILINE | WS_CLIPCHILDREN;
}

void TrmCustomBtnEdit::CreateWnd() {
  TrmCustomEdit::CreateWnd();
  PlaceButtons();
  SetEditRect();
}

void TrmCustomBtnEdit::PaintWindow(HDC dc) {
  // The edit leaves its text clip region in the DC, which would hide the buttons.
  const int saved = ::SaveDC(dc);
  TrmCustomEdit::PaintWindow(dc);
  ::RestoreDC(dc, saved);
}

void TrmCustomBtnEdit::SetEditRect() {
  if (!HandleAllocated()) return;
  RECT r{};
  ::SendMessageA(Handle(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&r));
  r.right = EditRectRight(ClientWidth(), btnWidth_, button1_->Visible(), button2_->Visible());
  r.left = 0;
  r.top = 0;
  ::SendMessageA(Handle(), EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&r));
}

void TrmCustomBtnEdit::PlaceButtons() {
  const TEditButtonsPlace place =
      PlaceEditButtons({Width(), Height(), btnWidth_, button1_->Visible(), button2_->Visible(),
                        Ctl3D(), IsDesigning()});
  const TRect& b1 = place.Button1;
  button1_->SetBounds(b1.Left, b1.Top, b1.Width(), b1.Height());
  if (place.Button2Placed) {
    const TRect& b2 = place.Button2;
    button2_->SetBounds(b2.Left, b2.Top, b2.Width(), b2.Height());
  }
}

bool TrmCustomBtnEdit::KeyDown(WPARAM key) {
  const bool shift = ::GetKeyState(VK_SHIFT) < 0;
  const bool ctrl = ::GetKeyState(VK_CONTROL) < 0;
  const bool alt = ::GetKeyState(VK_MENU) < 0;
  switch (EditKeyAction(static_cast<int>(key), shift, ctrl, alt, GetText() != SavedText)) {
    case TEditKey::Default: return false;
    case TEditKey::Swallow: return true;
    // The keys stand for the buttons whether or not those are shown.
    case TEditKey::ClickBtn1: BtnClick(button1_); return true;
    case TEditKey::ClickBtn2: BtnClick(button2_); return true;
    case TEditKey::FocusThenDefault: SetFocus(); return false;
    case TEditKey::RestoreSaved:
      SetText(SavedText);
      SelectAll();
      return true;
  }
  return false;
}

bool TrmCustomBtnEdit::ClaimsKey(WPARAM key) const {
  const TEditKey action = EditKeyAction(static_cast<int>(key), ::GetKeyState(VK_SHIFT) < 0,
                                        ::GetKeyState(VK_CONTROL) < 0, ::GetKeyState(VK_MENU) < 0,
                                        GetText() != SavedText);
  return action == TEditKey::ClickBtn1 || action == TEditKey::ClickBtn2 || action == TEditKey::RestoreSaved;
}

void TrmCustomBtnEdit::WndProc(vcl::TMessage& m) {
  switch (m.Msg) {
    case WM_SIZE:
      TrmCustomEdit::WndProc(m);
      PlaceButtons();
      SetEditRect();
      return;
    case WM_CUT:
    case WM_PASTE:
      if (!TextChangeAllowed(editorEnabled_, ReadOnly())) {
        m.Result = 0;
        return;
      }
      break;
    case vcl::CM_WANTSPECIALKEY:
      // Ctrl+Enter presses a button and Escape restores the saved text before
      // the form can take those keys for its default or cancel button.
      m.Result = ClaimsKey(m.WParam) ? 1 : 0;
      return;
    case WM_KEYDOWN:
      if (KeyDown(m.WParam)) {
        m.Result = 0;
        return;
      }
      break;
    case WM_CHAR:
      if (!EditCharAllowed(static_cast<unsigned char>(m.WParam))) {
        m.Result = 0;
        return;
      }
      break;
    case vcl::CM_ENTER:
      // A click selects where it lands, not everything.
      if (AutoSelect && ::GetKeyState(VK_LBUTTON) >= 0) SelectAll();
      break;
    case vcl::CM_SYSCOLORCHANGE:
      if (btn1DefaultGlyph_) InstallDefaultGlyph(button1_);
      if (btn2DefaultGlyph_) InstallDefaultGlyph(button2_);
      break;
    default: break;
  }
  TrmCustomEdit::WndProc(m);
}

}  // namespace quillfen::widgets

#endif
