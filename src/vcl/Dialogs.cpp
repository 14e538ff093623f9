#include "Dialogs.h"

#include <commdlg.h>

#include <vector>

#include "Controls.h"

namespace quillfen::vcl {

namespace {
// The window the dialog stays in front of: the visible form holding the
// component, else the active window.
HWND OwnerWindow(TComponent* owner) {
  auto* control = dynamic_cast<TWinControl*>(owner);
  if (control && control->HandleAllocated() && ::IsWindowVisible(control->Handle())) return control->Handle();
  return ::GetActiveWindow();
}

TSaveDialog::TAnswer& Answerer() {
  static TSaveDialog::TAnswer answer;
  return answer;
}
}  // namespace

std::string SystemFilter(const std::string& filter) {
  if (filter.empty()) return {};
  std::string out = filter;
  for (char& c : out) c = c == '|' ? '\0' : c;
  // Two zeros end the list.
  out.push_back('\0');
  out.push_back('\0');
  return out;
}

TSaveDialog::TAnswer TSaveDialog::SetAnswer(TAnswer answer) {
  TAnswer previous = std::move(Answerer());
  Answerer() = std::move(answer);
  return previous;
}

bool TSaveDialog::Execute() {
  if (Answerer()) {
    std::optional<std::string> chosen = Answerer()(*this);
    if (chosen) FileName = *chosen;
    return chosen.has_value();
  }
  std::vector<char> name(MAX_PATH * 4, '\0');
  FileName.copy(name.data(), name.size() - 1);
  const std::string filter = SystemFilter(Filter);
  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = OwnerWindow(Owner());
  dialog.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
  dialog.nFilterIndex = static_cast<DWORD>(FilterIndex);
  dialog.lpstrFile = name.data();
  dialog.nMaxFile = static_cast<DWORD>(name.size());
  dialog.lpstrInitialDir = InitialDir.empty() ? nullptr : InitialDir.c_str();
  dialog.lpstrTitle = Title.empty() ? nullptr : Title.c_str();
  dialog.lpstrDefExt = DefaultExt.empty() ? nullptr : DefaultExt.c_str();
  dialog.Flags = OFN_EXPLORER | OFN_ENABLESIZING;
  if (Options & ofOverwritePrompt) dialog.Flags |= OFN_OVERWRITEPROMPT;
  if (Options & ofHideReadOnly) dialog.Flags |= OFN_HIDEREADONLY;
  if (Options & ofPathMustExist) dialog.Flags |= OFN_PATHMUSTEXIST;
  if (Options & ofNoChangeDir) dialog.Flags |= OFN_NOCHANGEDIR;
  if (!::GetSaveFileNameA(&dialog)) return false;
  FileName = name.data();
  FilterIndex = static_cast<int>(dialog.nFilterIndex);
  return true;
}

}  // namespace quillfen::vcl
