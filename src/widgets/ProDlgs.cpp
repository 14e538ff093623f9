#include "ProDlgs.h"

#include "Math.h"

namespace quillfen::widgets {

using vcl::Bounds;
using vcl::TRect;

namespace {

constexpr int kImageWidth = 48;
constexpr int kImageHeight = 64;

struct TLanguageCaptions {
  const char* Info;
  const char* Stop;
};

constexpr TLanguageCaptions kCaptions[kProLanguageCount] = {
    {"Information", "Stop"},
    {"Информация", "Стоп"},
    {"Iнформацiя", "Стоп"},
    {"Information", "Stop"},
    {"Informação", "Pare"},
    {"Información", "Detener"},
    {"Information", "Halt"},
    {"Information", "Stop"},
    {"Informazione", "Stop"},
    {"Information", "Stop"},
    {"Informatie", "Stop"},
    {"Informacja", "Stop"},
    {"Információ", "Állj"},
    {"Bilgi", "DUR"},
    {"Informácia", "Stoj"},
    {"정보", "정지"},
};

// The picture keeps its size when the rest scales and is placed again by
// the classic rule, which sits it a few pixels above the bevel's middle
// on screens below 120 dpi; the dialogs have always looked that way.
int CenteredImageTop(const TRect& bevel) { return (bevel.Top + bevel.Height() - kImageHeight) / 2; }

TBeepFunction& CurrentBeep();

}  // namespace

TMessageDialogLayout MessageDialogLayout(int pixelsPerInch, bool withHelp) {
  TMessageDialogLayout l;
  l.ClientWidth = 402;
  l.ClientHeight = 169;
  l.Bevel = Bounds(10, 10, 381, 106);
  l.Image = Bounds(15, 29, kImageWidth, kImageHeight);
  l.Label = Bounds(70, 20, 311, 86);
  l.MainButton = Bounds(withHelp ? 94 : 151, 128, 100, 30);
  l.HelpButton = Bounds(208, 128, 100, 30);
  l.HelpVisible = withHelp;
  if (pixelsPerInch == kDialogDesignPixelsPerInch) return l;

  auto scale = [&](int value) { return vcl::MulDiv(value, pixelsPerInch, kDialogDesignPixelsPerInch); };
  auto scaleRect = [&](const TRect& r) {
    return Bounds(scale(r.Left), scale(r.Top), scale(r.Width()), scale(r.Height()));
  };
  l.ClientWidth = scale(l.ClientWidth);
  l.ClientHeight = scale(l.ClientHeight);
  l.Bevel = scaleRect(l.Bevel);
  l.Label = scaleRect(l.Label);
  l.MainButton = scaleRect(l.MainButton);
  l.HelpButton = scaleRect(l.HelpButton);
  l.Image = Bounds(scale(l.Image.Left), CenteredImageTop(l.Bevel), kImageWidth, kImageHeight);
  return l;
}

const char* MessageDialogCaption(bool stop, TDialogLanguage language) {
  // A value read from a stream may lie outside the enumeration.
  const int value = static_cast<int>(language);
  const int index = value >= 0 && value < kProLanguageCount ? value : static_cast<int>(dlEnglish);
  return stop ? kCaptions[index].Stop : kCaptions[index].Info;
}

#ifdef _WIN32

namespace {

void SystemBeep(int beepType) { ::MessageBeep(static_cast<UINT>(beepType)); }

TBeepFunction& CurrentBeep() {
  static TBeepFunction fn = SystemBeep;
  return fn;
}

void BuildParts(TCommonDialogForm& form, TMessageDialogParts& parts, bool stop) {
  using namespace vcl;
  form.SetBorderStyle(TFormBorderStyle::bsDialog);
  form.SetCaption(MessageDialogCaption(stop, dlEnglish));
  form.Position = TPosition::poScreenCenter;
  form.PixelsPerInch = kDialogDesignPixelsPerInch;
  form.SetClientSize(402, 169);

  parts.Bevel = new TBevel(&form);
  parts.Bevel->SetName("Bevel");
  parts.Bevel->SetParent(&form);
  parts.Bevel->SetShape(TBevelShape::bsBox);
  parts.Bevel->SetBounds(10, 10, 381, 106);

  parts.Image = new TImage(&form);
  parts.Image->SetName("Image");
  parts.Image->SetParent(&form);
  parts.Image->Transparent = true;
  parts.Image->SetBounds(15, 29, kImageWidth, kImageHeight);
  parts.Image->Picture().LoadFromResourceName(::GetModuleHandleA(nullptr),
                                              stop ? "STOPICON" : "INFORMATIONICON");

  parts.Label = new TProLabel(&form);
  parts.Label->SetName(stop ? "StopLabel" : "InfoLabel");
  parts.Label->SetParent(&form);
  parts.Label->SetAutoSize(false);
  parts.Label->SetWordWrap(true);
  parts.Label->SetBounds(70, 20, 311, 86);

  parts.MainButton = new TProButton(&form);
  parts.MainButton->SetName(stop ? "CancelButton" : "OKButton");
  parts.MainButton->SetParent(&form);
  parts.MainButton->SetBounds(94, 128, 100, 30);
  parts.MainButton->SetKind(stop ? pbkCancel : pbkOk);

  parts.HelpButton = new TProButton(&form);
  parts.HelpButton->SetName("HelpButton");
  parts.HelpButton->SetParent(&form);
  parts.HelpButton->SetBounds(208, 128, 100, 30);
  parts.HelpButton->SetKind(pbkHelp);
}

void ApplyLayout(TCommonDialogForm& form, TMessageDialogParts& parts, const TMessageDialogLayout& l) {
  auto place = [](vcl::TControl* c, const TRect& r) { c->SetBounds(r.Left, r.Top, r.Width(), r.Height()); };
  form.SetClientSize(l.ClientWidth, l.ClientHeight);
  place(parts.Bevel, l.Bevel);
  place(parts.Image, l.Image);
  place(parts.Label, l.Label);
  place(parts.MainButton, l.MainButton);
  place(parts.HelpButton, l.HelpButton);
  parts.HelpButton->SetVisible(l.HelpVisible);
}

}  // namespace

TBeepFunction SetBeepFunction(TBeepFunction fn) {
  TBeepFunction previous = CurrentBeep();
  CurrentBeep() = fn ? fn : SystemBeep;
  return previous;
}

std::string Utf8ToAnsiShown(const std::string& text) {
  if (text.empty()) return {};
  const int wideLength = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(wideLength), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), wideLength);
  const int length = ::WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
  std::string ansi(static_cast<size_t>(length), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, ansi.data(), length, nullptr, nullptr);
  return ansi;
}

TInfoForm::TInfoForm(vcl::TComponent* owner) : TCommonDialogForm(owner) { BuildParts(*this, Parts, false); }

TStopForm::TStopForm(vcl::TComponent* owner) : TCommonDialogForm(owner) { BuildParts(*this, Parts, true); }

TProCommonDialog::TProCommonDialog(vcl::TComponent* owner) : TComponent(owner) {}

void TProCommonDialog::Run(TCommonDialogForm& form, TMessageDialogParts& parts, bool stop,
                           const std::string& caption, const std::string& message,
                           vcl::TAlignment alignment, TVerticalAlignment verticalAlignment) {
  parts.Label->SetCaption(message);
  parts.Label->SetAlignment(alignment);
  parts.Label->SetVerticalAlignment(verticalAlignment);
  if (Language != dlEnglish) {
    form.SetCaption(Utf8ToAnsiShown(MessageDialogCaption(stop, Language)));
    parts.HelpButton->SetKind(ProKindOf(pbrHelp, Language));
    if (stop) parts.MainButton->SetKind(ProKindOf(pbrCancel, Language));
  }
  if (!caption.empty()) form.SetCaption(caption);
  Present(form, parts, HelpContext != 0, *parts.MainButton);
}

vcl::TModalResult TProCommonDialog::Present(TCommonDialogForm& form, TMessageDialogParts& parts,
                                            bool secondButton, TProButton& focused) {
  form.HelpContext = HelpContext;
  ApplyLayout(form, parts, MessageDialogLayout(vcl::Screen().PixelsPerInch(), secondButton));
  // The font is given in screen pixels already; it is taken after the scaling.
  auto* ownerForm = dynamic_cast<vcl::TCustomForm*>(Owner());
  form.Font().Assign(ParentFont && ownerForm ? ownerForm->Font() : font_);
  if (const int beep = SoundBeepType(SoundType); beep >= 0) CurrentBeep()(beep);
  form.OnShow = [this, &focused](vcl::TObject* sender) {
    if (focused.CanFocus()) focused.SetFocus();
    if (OnShowDialog) OnShowDialog(*static_cast<TCommonDialogForm*>(sender));
  };
  return form.ShowModal();
}

void TProInfoDialog::Execute() {
  auto form = std::make_unique<TInfoForm>(&vcl::Application());
  Run(*form, form->Parts, false, Caption, InfoMessage, Alignment, VerticalAlignment);
}

void TProStopDialog::Execute() {
  auto form = std::make_unique<TStopForm>(&vcl::Application());
  Run(*form, form->Parts, true, Caption, StopMessage, Alignment, VerticalAlignment);
}

bool TProQuestionDialog::Execute() {
  auto form = std::make_unique<TInfoForm>(&vcl::Application());
  TMessageDialogParts& parts = form->Parts;
  parts.Label->SetCaption(QuestionMessage);
  parts.Label->SetAlignment(Alignment);
  parts.Label->SetVerticalAlignment(VerticalAlignment);
  parts.MainButton->SetName("YesButton");
  parts.MainButton->SetKind(ProKindOf(pbrYes, Language));
  parts.HelpButton->SetName("NoButton");
  parts.HelpButton->SetKind(ProKindOf(pbrNo, Language));
  if (Language != dlEnglish) form->SetCaption(Utf8ToAnsiShown(MessageDialogCaption(false, Language)));
  if (!Caption.empty()) form->SetCaption(Caption);
  // Both buttons show, in the places of the main and the help button; "No" is focused.
  return Present(*form, parts, true, *parts.HelpButton) == vcl::mrYes;
}

#else

namespace {
TBeepFunction& CurrentBeep() {
  static TBeepFunction fn = nullptr;
  return fn;
}
}  // namespace

TBeepFunction SetBeepFunction(TBeepFunction fn) {
  TBeepFunction previous = CurrentBeep();
  CurrentBeep() = fn;
  return previous;
}

#endif

}  // namespace quillfen::widgets
