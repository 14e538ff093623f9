// TSaveDialog: the system's "Save As" window, as a component a form
// description can hold.
#pragma once

#include "WinApi.h"

#include <functional>
#include <optional>
#include <string>

#include "Classes.h"

namespace quillfen::vcl {

enum TOpenOption : unsigned {
  ofOverwritePrompt = 1,  // asks before an existing file is replaced
  ofHideReadOnly = 2,
  ofPathMustExist = 4,
  ofNoChangeDir = 8,  // the program's current folder stays as it was
};

class TSaveDialog : public TComponent {
 public:
  explicit TSaveDialog(TComponent* owner) : TComponent(owner) {}
  std::string ClassName() const override { return "TSaveDialog"; }

  std::string Title;       // empty: the system's "Save As"
  std::string FileName;    // the proposed name; the chosen one after Execute
  std::string Filter;      // "HTML page (*.html)|*.html|All files (*.*)|*.*"
  int FilterIndex = 1;     // one-based, as the system counts
  std::string DefaultExt;  // without the dot; added to a name typed without one
  std::string InitialDir;
  unsigned Options = ofHideReadOnly;

  // Shows the window modally over the form holding the component (else the
  // active window). True, with FileName
  // set, when the user chose a file; false when they cancelled.
  bool Execute();

  // Tests answer in place of the window: the name chosen, or nullopt for
  // cancel. Returns the previous answerer; an empty one shows the window.
  using TAnswer = std::function<std::optional<std::string>(TSaveDialog&)>;
  static TAnswer SetAnswer(TAnswer answer);
};

// The system's filter text: "|" becomes the terminating zero of each part.
std::string SystemFilter(const std::string& filter);

}  // namespace quillfen::vcl
