#include "Classes.h"

#include <algorithm>
#include <cctype>

#include "Types.h"

namespace quillfen::vcl {

namespace {
bool SameName(const std::string& a, const std::string& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
           return std::tolower(x) == std::tolower(y);
         });
}
}  // namespace

TComponent::TComponent(TComponent* owner) {
  if (owner) owner->InsertComponent(this);
}

TComponent::~TComponent() {
  state_ |= csDestroying;
  DestroyComponents();
  if (owner_) owner_->RemoveComponent(this);
}

void TComponent::DestroyComponents() {
  while (!components_.empty()) {
    TComponent* last = components_.back();
    Remove(last);
    delete last;
  }
}

int TComponent::ComponentIndex() const {
  if (!owner_) return -1;
  auto& siblings = owner_->components_;
  return static_cast<int>(std::find(siblings.begin(), siblings.end(), this) - siblings.begin());
}

TComponent* TComponent::FindComponent(const std::string& name) const {
  if (name.empty()) return nullptr;
  for (TComponent* c : components_)
    if (SameName(c->name_, name)) return c;
  return nullptr;
}

void TComponent::SetName(const std::string& name) {
  if (name == name_) return;
  if (owner_ && !name.empty()) {
    TComponent* other = owner_->FindComponent(name);
    if (other && other != this)
      throw Exception("A component named " + name + " already exists");
  }
  name_ = name;
}

void TComponent::EndLoading() {
  state_ &= ~static_cast<unsigned>(csLoading);
  Loaded();
}

void TComponent::InsertComponent(TComponent* component) {
  if (!component || component->owner_ == this) return;
  if (component->owner_) component->owner_->RemoveComponent(component);
  Insert(component);
  Notification(component, TOperation::opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
  if (!component || component->owner_ != this) return;
  Notification(component, TOperation::opRemove);
  Remove(component);
}

void TComponent::AnnounceInsertion() {
  if (owner_) owner_->Notification(this, TOperation::opInsert);
}

void TComponent::Insert(TComponent* component) {
  components_.push_back(component);
  component->owner_ = this;
}

void TComponent::Remove(TComponent* component) {
  components_.erase(std::remove(components_.begin(), components_.end(), component),
                    components_.end());
  component->owner_ = nullptr;
}

void TComponent::Notification(TComponent* component, TOperation operation) {
  // Newest first; a receiver may free components, so re-check the bound each step.
  for (size_t i = components_.size(); i-- > 0;) {
    if (i >= components_.size()) {
      if (components_.empty()) break;
      i = components_.size() - 1;
    }
    components_[i]->Notification(component, operation);
  }
}

}  // namespace quillfen::vcl
