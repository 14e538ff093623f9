// Actions: one command's caption, state, image and handler, shared by the
// controls that link to it. A linked control follows every change.
#pragma once

#include "WinApi.h"

#include <string>
#include <vector>

#include "Classes.h"
#include "ImgList.h"

namespace quillfen::vcl {

class TAction;

// What a control implements to follow an action.
class TActionClient {
 public:
  virtual void ActionChanged(TAction& action) = 0;
  // The action is being destroyed; the client must forget it.
  virtual void ActionFreed(TAction& action) = 0;

 protected:
  ~TActionClient() = default;
};

class TAction : public TComponent {
 public:
  explicit TAction(TComponent* owner) : TComponent(owner) {}
  ~TAction() override;
  std::string ClassName() const override { return "TAction"; }

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& value);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value);
  bool Visible() const { return visible_; }
  void SetVisible(bool value);
  int HelpContext() const { return helpContext_; }
  void SetHelpContext(int value);
  // The picture: image ImageIndex of Images (borrowed), -1 for none.
  TCustomImageList* Images() const { return images_; }
  void SetImages(TCustomImageList* value);
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int value);

  TNotifyEvent OnExecute;
  // Runs OnExecute; false when there is none.
  bool Execute();

  void RegisterClient(TActionClient* client);
  void UnregisterClient(TActionClient* client);

 private:
  void Changed();
  std::string caption_;
  bool enabled_ = true;
  bool visible_ = true;
  int helpContext_ = 0;
  TCustomImageList* images_ = nullptr;
  int imageIndex_ = -1;
  std::vector<TActionClient*> clients_;
};

}  // namespace quillfen::vcl
