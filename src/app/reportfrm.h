// The exact report's dialog: the RTP files the game needs (to copy, as the
// import dialog does), the names found nowhere, the counts, and the report
// saved as an HTML page. Created once at start-up and only hidden between
// reports, so the check boxes keep their state.
#pragma once

#include <string>

#include "ExactReport.h"
#include "Forms.h"
#include "Host.h"
#include "StdCtrls.h"

namespace quillfen::vcl {
class TSaveDialog;
}

namespace quillfen::widgets {
class TProStopDialog;
class TProInfoDialog;
class TProQuestionDialog;
}  // namespace quillfen::widgets

namespace quillfen::app {

class TfrmReport : public vcl::TForm, public Reporter {
 public:
  explicit TfrmReport(vcl::TComponent* owner);
  ~TfrmReport() override;
  std::string ClassName() const override { return "TfrmReport"; }

  vcl::TLabel* lblInfo = nullptr;
  vcl::TGroupBox* grpNeeded = nullptr;
  vcl::TListBox* lstNeeded = nullptr;
  vcl::TButton* btnAdd = nullptr;
  vcl::TButton* btnClose = nullptr;
  vcl::TButton* btnSave = nullptr;
  vcl::TGroupBox* grpMissing = nullptr;
  vcl::TListBox* lstMissing = nullptr;
  vcl::TLabel* lblCounts = nullptr;
  vcl::TLabel* lblRtp = nullptr;
  vcl::TLabel* lblProblems = nullptr;
  vcl::TCheckBox* ckUpdateINI = nullptr;
  vcl::TCheckBox* ckAddHarmony = nullptr;
  widgets::TProInfoDialog* dlgInfo = nullptr;
  widgets::TProStopDialog* dlgStop = nullptr;
  widgets::TProQuestionDialog* dlgAsk = nullptr;
  vcl::TSaveDialog* dlgSave = nullptr;

  // Fills the dialog from run, shows it modally and carries out the
  // user's choice as the import dialog does.
  void ShowReport(const TReportRun& run);
  // Fills the lists and texts without showing anything.
  void Fill(const TReportRun& run);

  void btnSaveClick(vcl::TObject* sender);

  void ReportStop(std::string_view title, std::string_view message) override;
  void ReportInfo(std::string_view title, std::string_view message) override;

 private:
  // Before the full-package flag: asks whether to go on while references
  // or names built at run time would fail without the RTP.
  bool MayMarkFullPackage();

  const TReportRun* run_ = nullptr;
};

// The report dialog once the application created it (null before).
TfrmReport* frmReport();

}  // namespace quillfen::app
