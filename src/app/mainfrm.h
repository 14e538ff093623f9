// The main window: the read-me, the project box, "Begin Scan" and
// "Exit Program", and the status line with its gauge. It is the scan's host:
// the scan runs inside btnScanClick and reaches the window through ScanHost.
#pragma once

#include <memory>
#include <string>

#include "Forms.h"
#include "Host.h"
#include "Pipeline.h"
#include "StdCtrls.h"

namespace quillfen::widgets {
class TProStatusBar;
class TrmGauge;
class TProUrlImage;
class TrmBtnEdit;
class TProStopDialog;
class TProInfoDialog;
class TrmBrowseForFolder;
}  // namespace quillfen::widgets

namespace quillfen::app {

class TfrmMain : public vcl::TForm, public ScanHost {
 public:
  // Builds the window from its description; OnCreate runs when the
  // application creates it.
  explicit TfrmMain(vcl::TComponent* owner);
  ~TfrmMain() override;
  std::string ClassName() const override { return "TfrmMain"; }

  widgets::TProStatusBar* status = nullptr;
  widgets::TrmGauge* prog = nullptr;
  vcl::TGroupBox* grpReadme = nullptr;
  vcl::TMemo* Memo1 = nullptr;
  vcl::TGroupBox* grpLink = nullptr;
  widgets::TProUrlImage* vexalink = nullptr;
  widgets::TrmBtnEdit* txtProject = nullptr;
  vcl::TButton* btnScan = nullptr;
  vcl::TButton* btnExit = nullptr;
  vcl::TButton* btnReport = nullptr;
  widgets::TProStopDialog* dlgStop = nullptr;
  widgets::TProInfoDialog* dlgInfo = nullptr;
  widgets::TrmBrowseForFolder* dlgGetProject = nullptr;

  void FormCreate(vcl::TObject* sender);
  void FormCloseQuery(vcl::TObject* sender, bool& canClose);
  void FormClose(vcl::TObject* sender, vcl::TCloseAction& action);
  void txtProjectBtn1Click(vcl::TObject* sender);
  void btnScanClick(vcl::TObject* sender);
  void btnExitClick(vcl::TObject* sender);
  // "Exact Report...": reads the project exactly and shows the report dialog.
  void btnReportClick(vcl::TObject* sender);

  // A folder given on the command line or dropped on the window: validated
  // like one chosen in the browser. A file stands for the folder it is in.
  void OpenProject(const std::string& path);
  bool Busy() const { return reporting_ || (scanner_ && scanner_->Busy()); }

  // ScanHost
  void ReportStop(std::string_view title, std::string_view message) override;
  void ReportInfo(std::string_view title, std::string_view message) override;
  void SetStatus(std::string_view text) override;
  void SetProgress(int percent) override;
  void SetLocked(bool locked) override;
  std::string ProjectFolder() override;
  void ProjectChosen(const std::string& text) override;
  void Import(const StringList& found, const std::string& rtpPath,
              const std::string& projectFolder) override;

 protected:
  void HandleCreated() override;
  void WndProc(vcl::TMessage& message) override;

 private:
  std::unique_ptr<Scanner> scanner_;
  bool reporting_ = false;
};

// The main window once the application created it (null before).
TfrmMain* frmMain();

}  // namespace quillfen::app
