#include "importfrm.h"

#include <optional>
#include <vector>

#include "AppForms.h"
#include "AppServices.h"
#include "Import.h"
#include "Messages.h"
#include "ProDlgs.h"
#include "FormLoader.h"
#include "Published.h"
#include "TextDecode.h"

namespace quillfen::app {

using namespace quillfen::vcl;
using namespace quillfen::widgets;

namespace {

TfrmImportFiles* importWindow = nullptr;

constexpr char kUnnameable[] =
    "' could not be copied: its name has characters that the system's code page cannot write!";

}  // namespace

TfrmImportFiles* frmImportFiles() { return importWindow; }

TfrmImportFiles::TfrmImportFiles(TComponent* owner) : TForm(owner) {
  LoadFormFromResource(*this, "TFRMIMPORTFILES", {});
  lblInfo = &FindFormComponent<TLabel>(*this, "lblInfo");
  grpFound = &FindFormComponent<TGroupBox>(*this, "grpFound");
  lstFiles = &FindFormComponent<TListBox>(*this, "lstFiles");
  btnAdd = &FindFormComponent<TButton>(*this, "btnAdd");
  btnClose = &FindFormComponent<TButton>(*this, "btnClose");
  ckUpdateINI = &FindFormComponent<TCheckBox>(*this, "ckUpdateINI");
  ckAddHarmony = &FindFormComponent<TCheckBox>(*this, "ckAddHarmony");
  dlgInfo = &FindFormComponent<TProInfoDialog>(*this, "dlgInfo");
  dlgStop = &FindFormComponent<TProStopDialog>(*this, "dlgStop");
  if (!importWindow) importWindow = this;
  // The window exists from the start, hidden, like the main window.
  Handle();
}

TfrmImportFiles::~TfrmImportFiles() {
  if (importWindow == this) importWindow = nullptr;
}

void TfrmImportFiles::ImportFiles(const StringList& found, const std::string& rtpPath,
                                  const std::string& projectFolder,
                                  const std::string& foundEditorFolder) {
  lstFiles->Clear();
  for (const std::string& entry : found.Items()) lstFiles->Add(entry);
  const TModalResult result = ShowModal();
  CarryOutImport(
      {lstFiles, {btnAdd, btnClose, lstFiles}, ckAddHarmony, ckUpdateINI, foundEditorFolder, true, {}}, result,
      *this, rtpPath, projectFolder);
}

void CarryOutImport(const TImportChoice& choice, TModalResult result, Reporter& reporter,
                    const std::string& rtpPath, const std::string& projectFolder,
                    const std::function<bool()>& mayMarkFullPackage) {
  TAppServices& services = AppServices();
  Importer importer(*services.Files, *services.Reg, *services.Ini, reporter);
  if (result == mrOk) {
    for (TControl* control : choice.locked) control->SetEnabled(false);
    struct Enable {
      const TImportChoice& choice;
      ~Enable() {
        for (TControl* control : choice.locked) control->SetEnabled(true);
      }
    } enable{choice};
    std::vector<std::string> selected;
    TListBox& files = *choice.files;
    for (int i = 0; i < files.Count(); ++i) {
      if (!files.Selected(i)) continue;
      const auto at = static_cast<std::size_t>(i);
      if (at >= choice.utf8Entries.size()) {
        selected.push_back(files.Item(i));
      } else if (std::optional<std::string> name = AnsiFromUtf8(choice.utf8Entries[at])) {
        selected.push_back(std::move(*name));
      } else {
        // A near name would be another file, or none: said instead.
        reporter.ReportStop(msg::kCopyFileTitle, "The file '" + rtpPath + files.Item(i) + kUnnameable);
      }
    }
    importer.CopyFiles(selected, rtpPath, projectFolder);
  }
  if (choice.addHarmony->Checked()) {
    if (choice.scanKeyFirst) {
      importer.AddHarmonyAfterScan(choice.editorFolder, projectFolder);
    } else {
      importer.AddHarmonyFrom(choice.editorFolder, projectFolder);
    }
  }
  if (choice.updateIni->Checked() && (!mayMarkFullPackage || mayMarkFullPackage()))
    importer.MarkFullPackage(projectFolder);
}

void TfrmImportFiles::ReportStop(std::string_view title, std::string_view message) {
  dlgStop->Caption = std::string(title);
  dlgStop->StopMessage = std::string(message);
  dlgStop->Execute();
}

void TfrmImportFiles::ReportInfo(std::string_view title, std::string_view message) {
  dlgInfo->Caption = std::string(title);
  dlgInfo->InfoMessage = std::string(message);
  dlgInfo->Execute();
}

}  // namespace quillfen::app
