#include "reportfrm.h"

#include <algorithm>

#include "AppForms.h"
#include "AppServices.h"
#include "Dialogs.h"
#include "FileStream.h"
#include "FormLoader.h"
#include "GdiCanvas.h"
#include "ProDlgs.h"
#include "Published.h"
#include "Summary.h"
#include "TextDecode.h"
#include "importfrm.h"

namespace quillfen::app {

using namespace quillfen::vcl;
using namespace quillfen::widgets;

namespace {

TfrmReport* reportWindow = nullptr;

constexpr char kFilesRemainTitle[] = "Files Still Missing";
constexpr char kSaveFailedTitle[] = "Could Not Save Report";

// Wide enough to scroll to the end of the longest item.
int ItemsWidth(TListBox& list) {
  TWindowDC dc(list.Handle());
  TGdiCanvas canvas(dc.get());
  canvas.Font = list.Font().State();
  int widest = 0;
  for (const std::string& item : list.Items()) widest = std::max(widest, canvas.TextWidth(item));
  constexpr int kMargin = 6;  // the list's own inner margin and a little air
  return widest + kMargin;
}

std::string Counted(const char* caption, std::size_t count) {
  return std::string(caption) + " (" + std::to_string(count) + ")";
}

std::string RtpLine(const TReportRun& run) {
  const char* engine = run.report.is2003 ? "RPG Maker 2003" : "RPG Maker 2000";
  if (run.rtp.folder.empty())
    return std::string("RTP of ") + engine + ": not found; what the project lacks counts as missing";
  return std::string("RTP of ") + engine + ": " + run.rtp.folder + " (from " + run.rtp.source + ")";
}

std::string ProblemsLine(const report::Report& report) {
  if (report.problems.empty()) return {};
  std::string line = "Damaged: " + report::ProblemText(report.problems.front());
  if (report.problems.size() > 1)
    line += " (and " + std::to_string(report.problems.size() - 1) + " more; the saved report lists all)";
  return line;
}

}  // namespace

TfrmReport* frmReport() { return reportWindow; }

TfrmReport::TfrmReport(TComponent* owner) : TForm(owner) {
  TFormHandlers handlers;
  handlers.Notify = {{"btnSaveClick", [this](TObject* s) { btnSaveClick(s); }}};
  LoadFormFromResource(*this, "TFRMREPORT", handlers);
  lblInfo = &FindFormComponent<TLabel>(*this, "lblInfo");
  grpNeeded = &FindFormComponent<TGroupBox>(*this, "grpNeeded");
  lstNeeded = &FindFormComponent<TListBox>(*this, "lstNeeded");
  btnAdd = &FindFormComponent<TButton>(*this, "btnAdd");
  btnClose = &FindFormComponent<TButton>(*this, "btnClose");
  btnSave = &FindFormComponent<TButton>(*this, "btnSave");
  grpMissing = &FindFormComponent<TGroupBox>(*this, "grpMissing");
  lstMissing = &FindFormComponent<TListBox>(*this, "lstMissing");
  lblCounts = &FindFormComponent<TLabel>(*this, "lblCounts");
  lblRtp = &FindFormComponent<TLabel>(*this, "lblRtp");
  lblProblems = &FindFormComponent<TLabel>(*this, "lblProblems");
  ckUpdateINI = &FindFormComponent<TCheckBox>(*this, "ckUpdateINI");
  ckAddHarmony = &FindFormComponent<TCheckBox>(*this, "ckAddHarmony");
  dlgInfo = &FindFormComponent<TProInfoDialog>(*this, "dlgInfo");
  dlgStop = &FindFormComponent<TProStopDialog>(*this, "dlgStop");
  dlgAsk = &FindFormComponent<TProQuestionDialog>(*this, "dlgAsk");
  dlgSave = &FindFormComponent<TSaveDialog>(*this, "dlgSave");
  if (!reportWindow) reportWindow = this;
  // The window exists from the start, hidden, like the import dialog.
  Handle();
}

TfrmReport::~TfrmReport() {
  if (reportWindow == this) reportWindow = nullptr;
}

void TfrmReport::Fill(const TReportRun& run) {
  run_ = &run;
  const report::Report& r = run.report;
  // The report's names are UTF-8, the lists' texts ANSI.
  lstNeeded->Clear();
  for (const std::string& entry : r.needed) lstNeeded->Add(AnsiShownFromUtf8(entry));
  for (int i = 0; i < lstNeeded->Count(); ++i) lstNeeded->SetSelected(i, true);
  lstMissing->Clear();
  for (const report::MissingPlace& place : report::MissingPlaces(r, run.options.fold))
    lstMissing->Add(AnsiShownFromUtf8(report::MissingLine(place)));
  // A place can be long: the list scrolls sideways to show all of it.
  lstMissing->SetScrollWidth(ItemsWidth(*lstMissing));
  grpNeeded->SetCaption(Counted("Needed from the RTP", r.needed.size()));
  grpMissing->SetCaption(Counted("Found Nowhere", r.missing.size()));
  lblCounts->SetCaption(report::CountsLine(report::CountOf(r)));
  lblRtp->SetCaption(RtpLine(run));
  lblProblems->SetCaption(ProblemsLine(r));
}

void TfrmReport::ShowReport(const TReportRun& run) {
  Fill(run);
  struct Forget {
    const TReportRun*& run;
    ~Forget() { run = nullptr; }
  } forget{run_};
  const TModalResult result = ShowModal();
  CarryOutImport({lstNeeded, {btnAdd, btnClose, btnSave, lstNeeded}, ckAddHarmony, ckUpdateINI,
                  run.rtp.editorFolder, run.rtp.fromScan, run.report.needed},
                 result, *this, run.rtp.folder, run.projectFolder, [this] { return MayMarkFullPackage(); });
}

bool TfrmReport::MayMarkFullPackage() {
  if (!run_) return true;
  // The project as it is now, after the copies.
  const report::Remaining remaining =
      report::RemainingWithoutRtp(*AppServices().Files, run_->options, run_->collected);
  if (!remaining.Any()) return true;
  dlgAsk->Caption = kFilesRemainTitle;
  dlgAsk->QuestionMessage = report::RemainingQuestion(remaining);
  return dlgAsk->Execute();
}

void TfrmReport::btnSaveClick(TObject*) {
  if (!run_) return;
  dlgSave->InitialDir = run_->projectFolder;
  if (!dlgSave->Execute()) return;
  try {
    FileWriterStream page(AppServices().Files->OpenWrite(dlgSave->FileName));
    WriteReportPage(page, *run_);
    page.Close();
  } catch (const std::exception&) {
    ReportStop(kSaveFailedTitle, "The report could not be saved to '" + dlgSave->FileName + "'!");
  }
}

void TfrmReport::ReportStop(std::string_view title, std::string_view message) {
  dlgStop->Caption = std::string(title);
  dlgStop->StopMessage = std::string(message);
  dlgStop->Execute();
}

void TfrmReport::ReportInfo(std::string_view title, std::string_view message) {
  dlgInfo->Caption = std::string(title);
  dlgInfo->InfoMessage = std::string(message);
  dlgInfo->Execute();
}

}  // namespace quillfen::app
