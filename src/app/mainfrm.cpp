#include "mainfrm.h"

#include <shellapi.h>

#include <algorithm>
#include <cstring>

#include "AppForms.h"
#include "AppServices.h"
#include "ProDlgs.h"
#include "ProStBar.h"
#include "ProUrl.h"
#include "FormLoader.h"
#include "Published.h"
#include "importfrm.h"
#include "Messages.h"
#include "reportfrm.h"
#include "rmBrowseFor.h"
#include "rmBtnEdit.h"
#include "rmGauge.h"

namespace quillfen::app {

using namespace quillfen::vcl;
using namespace quillfen::widgets;

namespace {
TfrmMain* mainWindow = nullptr;

// Without its trailing separators, which the project box adds back; a
// drive root keeps its colon ("C:").
std::string WithoutTrailingSeparators(std::string folder) {
  while (folder.size() > 1 && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
  return folder;
}

// Where the system draws the memo's face in another font (Wine's stand-in
// for MS Sans Serif is wider), its longest lines would wrap out of view:
// the font shrinks a pixel at a time until every given line fits its row.
void FitReadmeLines(TMemo& memo) {
  if (!memo.HandleAllocated()) return;
  HWND window = memo.Handle();
  RECT area{};
  ::SendMessageA(window, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&area));
  TWindowDC dc(window);
  auto fits = [&] {
    TSelectGuard font(dc.get(), static_cast<HGDIOBJ>(memo.Font().Handle()));
    char face[LF_FACESIZE] = {};
    ::GetTextFaceA(dc.get(), LF_FACESIZE, face);
    if (_stricmp(face, memo.Font().Name().c_str()) == 0) return true;
    int widest = 0;
    for (const std::string& line : memo.Lines()) {
      SIZE size{};
      ::GetTextExtentPoint32A(dc.get(), line.c_str(), static_cast<int>(line.size()), &size);
      widest = std::max(widest, static_cast<int>(size.cx));
    }
    return widest <= area.right - area.left;
  };
  constexpr int kSmallestHeight = -9;
  while (memo.Font().Height() < kSmallestHeight && !fits()) memo.Font().SetHeight(memo.Font().Height() + 1);
}
}  // namespace

TfrmMain* frmMain() { return mainWindow; }

TfrmMain::TfrmMain(TComponent* owner) : TForm(owner) {
  TFormHandlers handlers;
  handlers.Notify = {
      {"FormCreate", [this](TObject* s) { FormCreate(s); }},
      {"txtProjectBtn1Click", [this](TObject* s) { txtProjectBtn1Click(s); }},
      {"btnScanClick", [this](TObject* s) { btnScanClick(s); }},
      {"btnExitClick", [this](TObject* s) { btnExitClick(s); }},
      {"btnReportClick", [this](TObject* s) { btnReportClick(s); }}};
  handlers.CloseQuery = {{"FormCloseQuery", [this](TObject* s, bool& c) { FormCloseQuery(s, c); }}};
  handlers.Close = {{"FormClose", [this](TObject* s, TCloseAction& a) { FormClose(s, a); }}};
  LoadFormFromResource(*this, "TFRMMAIN", handlers);

  status = &FindFormComponent<TProStatusBar>(*this, "status");
  prog = &FindFormComponent<TrmGauge>(*this, "prog");
  grpReadme = &FindFormComponent<TGroupBox>(*this, "grpReadme");
  Memo1 = &FindFormComponent<TMemo>(*this, "Memo1");
  grpLink = &FindFormComponent<TGroupBox>(*this, "grpLink");
  vexalink = &FindFormComponent<TProUrlImage>(*this, "vexalink");
  txtProject = &FindFormComponent<TrmBtnEdit>(*this, "txtProject");
  btnScan = &FindFormComponent<TButton>(*this, "btnScan");
  btnExit = &FindFormComponent<TButton>(*this, "btnExit");
  btnReport = &FindFormComponent<TButton>(*this, "btnReport");
  dlgStop = &FindFormComponent<TProStopDialog>(*this, "dlgStop");
  dlgInfo = &FindFormComponent<TProInfoDialog>(*this, "dlgInfo");
  dlgGetProject = &FindFormComponent<TrmBrowseForFolder>(*this, "dlgGetProject");
  if (!mainWindow) mainWindow = this;
}

TfrmMain::~TfrmMain() {
  if (mainWindow == this) mainWindow = nullptr;
}

void TfrmMain::FormCreate(TObject*) {
  TAppServices& services = AppServices();
  scanner_ = std::make_unique<Scanner>(
      ScanEnvironment{*services.Files, *services.Reg, services.ScratchFolder, services.Env}, *this);
  scanner_->LoadToolLocations();
  if (scanner_->BrowserStartFolder()) dlgGetProject->SelectedFolder = *scanner_->BrowserStartFolder();
}

void TfrmMain::FormCloseQuery(TObject*, bool& canClose) {
  if (reporting_) {
    ReportStop(msg::kCannotExitTitle, msg::kCannotExit);
    canClose = false;
    return;
  }
  canClose = !scanner_ || scanner_->CanClose();
}

void TfrmMain::FormClose(TObject*, TCloseAction&) {
  // The scan state goes with the window; nothing can scan after this.
  if (scanner_ && !scanner_->Busy()) scanner_.reset();
}

void TfrmMain::txtProjectBtn1Click(TObject*) {
  if (!scanner_ || scanner_->Busy()) return;
  if (!dlgGetProject->Execute()) return;
  scanner_->ChooseProject(WithoutTrailingSeparators(dlgGetProject->SelectedFolder));
}

void TfrmMain::OpenProject(const std::string& path) {
  if (!scanner_ || scanner_->Busy() || path.empty()) return;
  char full[MAX_PATH * 2];
  DWORD length = ::GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
  std::string folder = length > 0 && length < sizeof full ? std::string(full, length) : path;
  const DWORD attributes = ::GetFileAttributesA(folder.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    const auto slash = folder.find_last_of("\\/");
    if (slash != std::string::npos) folder.erase(slash);
  }
  scanner_->ChooseProject(WithoutTrailingSeparators(folder));
}

void TfrmMain::btnScanClick(TObject*) {
  if (scanner_) scanner_->StartScan();
}

void TfrmMain::btnExitClick(TObject*) { Close(); }

void TfrmMain::btnReportClick(TObject*) {
  TfrmReport* dialog = frmReport();
  if (!scanner_ || Busy() || !dialog) return;
  reporting_ = true;
  SetLocked(true);
  struct Unlock {
    TfrmMain& form;
    ~Unlock() {
      form.reporting_ = false;
      form.SetLocked(false);
      form.SetProgress(0);
    }
  } unlock{*this};
  TAppServices& services = AppServices();
  const std::optional<TReportRun> run =
      RunExactReport(*this, *services.Files, *services.Reg, ProjectFolder(), scanner_->State().rtpPath,
                     services.Env);
  if (run) dialog->ShowReport(*run);
}

void TfrmMain::ReportStop(std::string_view title, std::string_view message) {
  dlgStop->Caption = std::string(title);
  dlgStop->StopMessage = std::string(message);
  dlgStop->Execute();
}

// The main window shows no information of its own; the import dialog does.
void TfrmMain::ReportInfo(std::string_view title, std::string_view message) {
  dlgInfo->Caption = std::string(title);
  dlgInfo->InfoMessage = std::string(message);
  dlgInfo->Execute();
}

void TfrmMain::SetStatus(std::string_view text) {
  status->SetPanelText(0, std::string(text));
  // The scan runs without pumping messages: show the text now.
  Repaint();
}

void TfrmMain::SetProgress(int percent) { prog->SetPercent(percent); }

void TfrmMain::SetLocked(bool locked) {
  btnScan->SetEnabled(!locked);
  btnExit->SetEnabled(!locked);
  txtProject->SetEnabled(!locked);
  btnReport->SetEnabled(!locked);
}

std::string TfrmMain::ProjectFolder() { return txtProject->GetText(); }

void TfrmMain::ProjectChosen(const std::string& text) {
  txtProject->SetText(text);
  btnScan->SetEnabled(true);
  btnReport->SetEnabled(true);
}

void TfrmMain::Import(const StringList& found, const std::string& rtpPath,
                      const std::string& projectFolder) {
  TfrmImportFiles* dialog = frmImportFiles();
  if (!dialog) return;
  dialog->ImportFiles(found, rtpPath, projectFolder, scanner_ ? scanner_->FoundEditorFolder() : "");
}

void TfrmMain::HandleCreated() {
  TForm::HandleCreated();
  ::DragAcceptFiles(Handle(), TRUE);
  // The read-me is measured in its own window, made with the form's.
  FitReadmeLines(*Memo1);
}

void TfrmMain::WndProc(TMessage& m) {
  if (m.Msg == WM_DROPFILES) {
    auto drop = reinterpret_cast<HDROP>(m.WParam);
    char path[MAX_PATH * 2] = {};
    const bool got = ::DragQueryFileA(drop, 0, path, sizeof path) > 0;
    ::DragFinish(drop);
    m.Result = 0;
    if (got && Enabled()) OpenProject(path);
    return;
  }
  TForm::WndProc(m);
}

}  // namespace quillfen::app
