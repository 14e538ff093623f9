#include "ActnList.h"

#include <algorithm>

namespace quillfen::vcl {

TAction::~TAction() {
  // A client may unregister while it hears of the end: walk a copy.
  const std::vector<TActionClient*> clients = clients_;
  clients_.clear();
  for (TActionClient* client : clients) client->ActionFreed(*this);
}

void TAction::SetCaption(const std::string& value) {
  if (value == caption_) return;
  caption_ = value;
  Changed();
}

void TAction::SetEnabled(bool value) {
  if (value == enabled_) return;
  enabled_ = value;
  Changed();
}

void TAction::SetVisible(bool value) {
  if (value == visible_) return;
  visible_ = value;
  Changed();
}

void TAction::SetHelpContext(int value) {
  if (value == helpContext_) return;
  helpContext_ = value;
  Changed();
}

void TAction::SetImages(TCustomImageList* value) {
  if (value == images_) return;
  images_ = value;
  Changed();
}

void TAction::SetImageIndex(int value) {
  if (value == imageIndex_) return;
  imageIndex_ = value;
  Changed();
}

bool TAction::Execute() {
  if (!OnExecute) return false;
  OnExecute(this);
  return true;
}

void TAction::RegisterClient(TActionClient* client) {
  if (std::find(clients_.begin(), clients_.end(), client) == clients_.end()) clients_.push_back(client);
}

void TAction::UnregisterClient(TActionClient* client) {
  clients_.erase(std::remove(clients_.begin(), clients_.end(), client), clients_.end());
}

void TAction::Changed() {
  const std::vector<TActionClient*> clients = clients_;
  for (TActionClient* client : clients) client->ActionChanged(*this);
}

}  // namespace quillfen::vcl
