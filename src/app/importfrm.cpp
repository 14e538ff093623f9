#include "importfrm.h"

#include <vector>

#include "AppForms.h"
#include "AppServices.h"
#include "Import.h"
#include "ProDlgs.h"
#include "FormLoader.h"
#include "Published.h"

namespace quillfen::app {

using namespace quillfen::vcl;
using namespace quillfen::widgets;

namespace {
TfrmImportFiles* importWindow = nullptr;
}

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

  TAppServices& services = AppServices();
  Importer importer(*services.Files, *services.Reg, *services.Ini, *this);
  if (ShowModal() == mrOk) {
    btnAdd->SetEnabled(false);
    btnClose->SetEnabled(false);
    lstFiles->SetEnabled(false);
    struct Enable {
      TfrmImportFiles& form;
      ~Enable() {
        form.btnAdd->SetEnabled(true);
        form.btnClose->SetEnabled(true);
        form.lstFiles->SetEnabled(true);
      }
    } enable{*this};
    std::vector<std::string> selected;
    for (int i = 0; i < static_cast<int>(lstFiles->Items().size()); ++i)
      if (lstFiles->Selected(i)) selected.push_back(lstFiles->Items()[static_cast<size_t>(i)]);
    importer.CopyFiles(selected, rtpPath, projectFolder);
  }
  if (ckAddHarmony->Checked()) importer.AddHarmonyAfterScan(foundEditorFolder, projectFolder);
  if (ckUpdateINI->Checked()) importer.MarkFullPackage(projectFolder);
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
