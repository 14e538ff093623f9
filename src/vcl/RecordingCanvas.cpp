#include "RecordingCanvas.h"

#include <sstream>
#include <stdexcept>

namespace quillfen::vcl {

std::string TCanvasCall::ToString() const {
  std::ostringstream out;
  out << Op << '(';
  for (size_t i = 0; i < Args.size(); ++i) out << (i ? ", " : "") << Args[i];
  if (!Text.empty()) out << (Args.empty() ? "\"" : ", \"") << Text << '"';
  out << ')';
  return out.str();
}

TRecordingCanvas::TRecordingCanvas() : log_(std::make_shared<Log>()) {}

TRecordingCanvas::TRecordingCanvas(std::shared_ptr<Log> log, int surface)
    : log_(std::move(log)), surface_(surface) {}

TRecordingCanvas::~TRecordingCanvas() {
  if (surface_ == 0) return;
  TCanvasCall call;
  call.Op = "FreeBuffer";
  call.Surface = surface_;
  log_->calls.push_back(std::move(call));
}

std::vector<TCanvasCall> TRecordingCanvas::CallsOf(const std::string& op) const {
  std::vector<TCanvasCall> found;
  for (const auto& call : log_->calls)
    if (call.Op == op) found.push_back(call);
  return found;
}

void TRecordingCanvas::Record(std::string op, std::vector<int> args, std::string text,
                              int sourceSurface) {
  TCanvasCall call;
  call.Op = std::move(op);
  call.Args = std::move(args);
  call.Text = std::move(text);
  call.Surface = surface_;
  call.SourceSurface = sourceSurface;
  call.Pen = Pen;
  call.Brush = Brush;
  call.Font = Font;
  log_->calls.push_back(std::move(call));
  if (log_->failAt != 0 && static_cast<int>(log_->calls.size()) == log_->failAt)
    throw std::runtime_error("recording canvas: injected failure at " + log_->calls.back().ToString());
}

namespace {
std::vector<int> Flatten(const std::vector<TPoint>& points) {
  std::vector<int> args;
  args.reserve(points.size() * 2);
  for (const auto& p : points) {
    args.push_back(p.X);
    args.push_back(p.Y);
  }
  return args;
}
}  // namespace

void TRecordingCanvas::MoveTo(int x, int y) {
  penPos_ = {x, y};
  Record("MoveTo", {x, y});
}

void TRecordingCanvas::LineTo(int x, int y) {
  penPos_ = {x, y};
  Record("LineTo", {x, y});
}

void TRecordingCanvas::Polyline(const std::vector<TPoint>& points) {
  Record("Polyline", Flatten(points));
}

void TRecordingCanvas::Polygon(const std::vector<TPoint>& points) {
  Record("Polygon", Flatten(points));
}

void TRecordingCanvas::Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  Record("Arc", {x1, y1, x2, y2, x3, y3, x4, y4});
}

void TRecordingCanvas::Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  Record("Pie", {x1, y1, x2, y2, x3, y3, x4, y4});
}

void TRecordingCanvas::Ellipse(int x1, int y1, int x2, int y2) {
  Record("Ellipse", {x1, y1, x2, y2});
}

void TRecordingCanvas::Rectangle(int x1, int y1, int x2, int y2) {
  Record("Rectangle", {x1, y1, x2, y2});
}

void TRecordingCanvas::RoundRect(int x1, int y1, int x2, int y2, int cornerWidth,
                                 int cornerHeight) {
  Record("RoundRect", {x1, y1, x2, y2, cornerWidth, cornerHeight});
}

void TRecordingCanvas::FillRect(const TRect& r) {
  Record("FillRect", {r.Left, r.Top, r.Right, r.Bottom});
}

void TRecordingCanvas::FrameRect(const TRect& r) {
  Record("FrameRect", {r.Left, r.Top, r.Right, r.Bottom});
}

void TRecordingCanvas::PatBlt(int x, int y, int width, int height, std::uint32_t rop) {
  Record("PatBlt", {x, y, width, height, static_cast<int>(rop)});
}

void TRecordingCanvas::TextOut(int x, int y, const std::string& text) {
  Record("TextOut", {x, y}, text);
}

void TRecordingCanvas::TextRect(const TRect& r, int x, int y, const std::string& text) {
  Record("TextRect", {r.Left, r.Top, r.Right, r.Bottom, x, y}, text);
}

int TRecordingCanvas::DrawText(const std::string& text, TRect& rect, unsigned format) {
  Record("DrawText", {rect.Left, rect.Top, rect.Right, rect.Bottom, static_cast<int>(format)},
         text);
  const TPoint extent = TextExtent(text);
  if (format & dtCalcRect) {
    rect.Right = rect.Left + extent.X;
    rect.Bottom = rect.Top + extent.Y;
  }
  return extent.Y;
}

TPoint TRecordingCanvas::TextExtent(const std::string& text) {
  return {static_cast<int>(text.size()) * log_->charWidth, log_->charHeight};
}

void TRecordingCanvas::BitBlt(int x, int y, int width, int height, TCanvas& source, int sourceX,
                              int sourceY, std::uint32_t rop) {
  auto* recording = dynamic_cast<TRecordingCanvas*>(&source);
  Record("BitBlt", {x, y, width, height, sourceX, sourceY, static_cast<int>(rop)}, {},
         recording ? recording->surface_ : -1);
}

void TRecordingCanvas::StretchBlt(int x, int y, int width, int height, TCanvas& source,
                                  int sourceX, int sourceY, int sourceWidth, int sourceHeight,
                                  std::uint32_t rop) {
  auto* recording = dynamic_cast<TRecordingCanvas*>(&source);
  Record("StretchBlt",
         {x, y, width, height, sourceX, sourceY, sourceWidth, sourceHeight, static_cast<int>(rop)},
         {}, recording ? recording->surface_ : -1);
}

std::unique_ptr<TCanvas> TRecordingCanvas::CreateBuffer(int width, int height) {
  Record("CreateBuffer", {width, height});
  return std::unique_ptr<TCanvas>(new TRecordingCanvas(log_, log_->nextSurface++));
}

}  // namespace quillfen::vcl
