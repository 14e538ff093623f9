// TProInfoDialog and TProStopDialog: components that build, show modally and
// destroy a message window of their own on every Execute.
//
// The window's geometry and captions are portable (MessageDialogLayout,
// MessageDialogCaption); the components are Win32 ones.
#pragma once

#include <functional>
#include <string>

#include "ProConst.h"
#include "Types.h"

#ifdef _WIN32
#include "ExtCtrls.h"
#include "Forms.h"
#include "Graphics.h"
#include "ProCtrls.h"
#endif

namespace quillfen::widgets {

// The dialogs are laid out for this resolution and scaled to the screen's.
constexpr int kDialogDesignPixelsPerInch = 120;

struct TMessageDialogLayout {
  int ClientWidth = 0;
  int ClientHeight = 0;
  vcl::TRect Bevel;
  vcl::TRect Image;
  vcl::TRect Label;
  vcl::TRect MainButton;  // OK (information) or Cancel (stop)
  vcl::TRect HelpButton;
  bool HelpVisible = false;
};

// The window at a screen resolution; without help the main button is centred.
TMessageDialogLayout MessageDialogLayout(int pixelsPerInch, bool withHelp);

// The window caption in a language, as UTF-8 ("Information" / "Stop" in English).
const char* MessageDialogCaption(bool stop, TDialogLanguage language);

// Plays a sound; replaceable so that tests can hear it. -1 plays nothing.
using TBeepFunction = void (*)(int beepType);
TBeepFunction SetBeepFunction(TBeepFunction fn);  // null restores MessageBeep

#ifdef _WIN32

class TCommonDialogForm : public vcl::TForm {
 public:
  explicit TCommonDialogForm(vcl::TComponent* owner) : TForm(owner) {}
  std::string ClassName() const override { return "TCommonDialogForm"; }
};

// The parts of both windows; the label and button names follow the kind.
struct TMessageDialogParts {
  vcl::TBevel* Bevel = nullptr;
  vcl::TImage* Image = nullptr;
  TProLabel* Label = nullptr;
  TProButton* MainButton = nullptr;
  TProButton* HelpButton = nullptr;
};

class TInfoForm : public TCommonDialogForm {
 public:
  explicit TInfoForm(vcl::TComponent* owner);
  std::string ClassName() const override { return "TInfoForm"; }
  TMessageDialogParts Parts;
  vcl::TBevel* Bevel() { return Parts.Bevel; }
  vcl::TImage* Image() { return Parts.Image; }
  TProLabel* InfoLabel() { return Parts.Label; }
  TProButton* OKButton() { return Parts.MainButton; }
  TProButton* HelpButton() { return Parts.HelpButton; }
};

class TStopForm : public TCommonDialogForm {
 public:
  explicit TStopForm(vcl::TComponent* owner);
  std::string ClassName() const override { return "TStopForm"; }
  TMessageDialogParts Parts;
  vcl::TBevel* Bevel() { return Parts.Bevel; }
  vcl::TImage* Image() { return Parts.Image; }
  TProLabel* StopLabel() { return Parts.Label; }
  TProButton* CancelButton() { return Parts.MainButton; }
  TProButton* HelpButton() { return Parts.HelpButton; }
};

class TProCommonDialog : public vcl::TComponent {
 public:
  explicit TProCommonDialog(vcl::TComponent* owner);
  std::string ClassName() const override { return "TProCommonDialog"; }

  TDialogLanguage Language = dlEnglish;
  TSoundType SoundType = stNoSound;
  int HelpContext = 0;
  vcl::TFont& Font() { return font_; }
  void SetFont(const vcl::TFont& font) { font_.Assign(font); }
  bool ParentFont = true;

  // Called with the window once it shows, inside its modal loop.
  std::function<void(TCommonDialogForm&)> OnShowDialog;

 protected:
  void Run(TCommonDialogForm& form, TMessageDialogParts& parts, bool stop,
           const std::string& caption, const std::string& message, vcl::TAlignment alignment,
           TVerticalAlignment verticalAlignment);
  // What every kind shares once its buttons are set: help context, layout
  // (with or without the second button's place), font, sound, the focused
  // button; then the form shown modally.
  vcl::TModalResult Present(TCommonDialogForm& form, TMessageDialogParts& parts, bool secondButton,
                            TProButton& focused);

 private:
  vcl::TFont font_;
};

class TProInfoDialog : public TProCommonDialog {
 public:
  explicit TProInfoDialog(vcl::TComponent* owner) : TProCommonDialog(owner) {}
  std::string ClassName() const override { return "TProInfoDialog"; }

  std::string Caption;
  std::string InfoMessage;
  vcl::TAlignment Alignment = vcl::TAlignment::taLeftJustify;
  TVerticalAlignment VerticalAlignment = vaCenter;

  // Returns when the user has closed the window.
  void Execute();
};

class TProStopDialog : public TProCommonDialog {
 public:
  explicit TProStopDialog(vcl::TComponent* owner) : TProCommonDialog(owner) {}
  std::string ClassName() const override { return "TProStopDialog"; }

  std::string Caption;
  std::string StopMessage;
  vcl::TAlignment Alignment = vcl::TAlignment::taLeftJustify;
  TVerticalAlignment VerticalAlignment = vaCenter;

  void Execute();
};

// The information window asking a question: "Yes" and "No" stand where OK
// and Help stand, and the answer is returned.
class TProQuestionDialog : public TProCommonDialog {
 public:
  explicit TProQuestionDialog(vcl::TComponent* owner) : TProCommonDialog(owner) {}
  std::string ClassName() const override { return "TProQuestionDialog"; }

  std::string Caption;  // empty: the information caption of Language
  std::string QuestionMessage;
  vcl::TAlignment Alignment = vcl::TAlignment::taLeftJustify;
  TVerticalAlignment VerticalAlignment = vaCenter;

  // True for "Yes"; "No", Escape and the close box answer no. "No" has the
  // focus at first, so that a hasty Enter changes nothing.
  bool Execute();
};

// UTF-8 to the program's ANSI code page for display, as the framework's window
// texts are: a character the code page lacks becomes its best fit, so this
// is never for a file name.
std::string Utf8ToAnsiShown(const std::string& text);

#endif

}  // namespace quillfen::widgets
