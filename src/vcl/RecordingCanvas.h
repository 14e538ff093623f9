// A canvas that draws nothing and logs every call with its exact arguments
// and the pen, brush and font in effect, for tests of painting code.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "Canvas.h"

namespace quillfen::vcl {

struct TCanvasCall {
  std::string Op;         // "FillRect", "Pie", ... ; "CreateBuffer" and "FreeBuffer" too
  std::vector<int> Args;  // coordinates in call order; points flattened x, y
  std::string Text;       // the text of text calls
  int Surface = 0;        // 0 for the canvas itself, 1.. for buffers in creation order
  int SourceSurface = -1; // block copies: the source's surface number
  TPenState Pen;
  TBrushState Brush;
  TFontState Font;
  std::string ToString() const;  // "Op(a, b, ...)" for readable failures
};

class TRecordingCanvas final : public TCanvas {
 public:
  TRecordingCanvas();
  ~TRecordingCanvas() override;

  const std::vector<TCanvasCall>& Calls() const { return log_->calls; }
  std::vector<TCanvasCall> CallsOf(const std::string& op) const;
  int Surface() const { return surface_; }
  // The drawing call with this 1-based number (counting all calls) throws,
  // to test the clean-up of painters.
  void FailAtCall(int number) { log_->failAt = number; }
  // The size TextExtent reports per character.
  void SetCharSize(int width, int height) { log_->charWidth = width; log_->charHeight = height; }

  void MoveTo(int x, int y) override;
  void LineTo(int x, int y) override;
  TPoint PenPos() const override { return penPos_; }
  void Polyline(const std::vector<TPoint>& points) override;
  void Polygon(const std::vector<TPoint>& points) override;
  void Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) override;
  void Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) override;
  void Ellipse(int x1, int y1, int x2, int y2) override;
  void Rectangle(int x1, int y1, int x2, int y2) override;
  void RoundRect(int x1, int y1, int x2, int y2, int cornerWidth, int cornerHeight) override;
  void FillRect(const TRect& rect) override;
  void FrameRect(const TRect& rect) override;
  void PatBlt(int x, int y, int width, int height, std::uint32_t rop) override;
  void TextOut(int x, int y, const std::string& text) override;
  void TextRect(const TRect& rect, int x, int y, const std::string& text) override;
  int DrawText(const std::string& text, TRect& rect, unsigned format) override;
  TPoint TextExtent(const std::string& text) override;
  void BitBlt(int x, int y, int width, int height, TCanvas& source, int sourceX, int sourceY,
              std::uint32_t rop) override;
  void StretchBlt(int x, int y, int width, int height, TCanvas& source, int sourceX, int sourceY,
                  int sourceWidth, int sourceHeight, std::uint32_t rop) override;
  std::unique_ptr<TCanvas> CreateBuffer(int width, int height) override;

 private:
  struct Log {
    std::vector<TCanvasCall> calls;
    int failAt = 0;
    int nextSurface = 1;
    int charWidth = 6;
    int charHeight = 13;
  };
  TRecordingCanvas(std::shared_ptr<Log> log, int surface);
  void Record(std::string op, std::vector<int> args, std::string text = {},
              int sourceSurface = -1);

  std::shared_ptr<Log> log_;
  int surface_ = 0;
  TPoint penPos_;
};

}  // namespace quillfen::vcl
