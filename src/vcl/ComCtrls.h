// The status bar.
#pragma once

#include <string>
#include <vector>

#include "Controls.h"

namespace quillfen::vcl {

struct TStatusPanel {
  std::string Text;
  int Width = 50;
};

class TStatusBar : public TWinControl {
 public:
  explicit TStatusBar(TComponent* owner);
  std::string ClassName() const override { return "TStatusBar"; }

  int PanelCount() const { return static_cast<int>(panels_.size()); }
  const TStatusPanel& Panel(int index) const { return panels_.at(static_cast<size_t>(index)); }
  void AddPanel(const std::string& text, int width);
  void SetPanelText(int index, const std::string& text);
  void SetPanelWidth(int index, int width);
  bool SimplePanel() const { return simplePanel_; }
  void SetSimplePanel(bool value);
  const std::string& SimpleText() const { return simpleText_; }
  void SetSimpleText(const std::string& text);
  bool SizeGrip = true;

 protected:
  void CreateParams(TCreateParams& params) override;
  void HandleCreated() override;

 private:
  void UpdatePanels();
  std::vector<TStatusPanel> panels_;
  bool simplePanel_ = false;
  std::string simpleText_;
};

}  // namespace quillfen::vcl
