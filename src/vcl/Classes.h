// Objects, events and ownership: the part of the framework that needs no window system.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace quillfen::vcl {

class TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject() = default;
  // The framework class name; the XP painter selects controls by it.
  virtual std::string ClassName() const { return "TObject"; }
};

using TNotifyEvent = std::function<void(TObject* sender)>;

enum class TOperation { opInsert, opRemove };

enum TComponentStateFlag : unsigned { csLoading = 1, csDestroying = 2, csDesigning = 4 };

// An owner destroys what it owns, newest first. Insertions into and removals
// from an owner are announced to the owner and, through it, to everything it owns.
class TComponent : public TObject {
 public:
  explicit TComponent(TComponent* owner);
  ~TComponent() override;
  std::string ClassName() const override { return "TComponent"; }

  TComponent* Owner() const { return owner_; }
  int ComponentCount() const { return static_cast<int>(components_.size()); }
  TComponent* Components(int index) const { return components_.at(static_cast<size_t>(index)); }
  int ComponentIndex() const;
  TComponent* FindComponent(const std::string& name) const;  // case-insensitive, as names are

  const std::string& Name() const { return name_; }
  void SetName(const std::string& name);
  int Tag = 0;

  unsigned ComponentState() const { return state_; }
  bool IsLoading() const { return (state_ & csLoading) != 0; }
  bool IsDestroying() const { return (state_ & csDestroying) != 0; }
  bool IsDesigning() const { return (state_ & csDesigning) != 0; }
  // Loading state: set while a stored description is applied, then Loaded().
  void BeginLoading() { state_ |= csLoading; }
  void EndLoading();

  void InsertComponent(TComponent* component);
  void RemoveComponent(TComponent* component);

 protected:
  virtual void Notification(TComponent* component, TOperation operation);
  virtual void Loaded() {}
  // Announces the insertion into the owner again: during TComponent's own
  // constructor the receivers cannot yet see the derived class.
  void AnnounceInsertion();
  // Frees the owned components now; derived destructors call it while their
  // own parts still exist.
  void DestroyComponents();

 private:
  void Insert(TComponent* component);
  void Remove(TComponent* component);

  TComponent* owner_ = nullptr;
  std::vector<TComponent*> components_;
  std::string name_;
  unsigned state_ = 0;
};

}  // namespace quillfen::vcl
