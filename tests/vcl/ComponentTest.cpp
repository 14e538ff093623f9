#include "Classes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Types.h"

using namespace quillfen::vcl;

namespace {

std::vector<std::string>* gLog = nullptr;

// Logs what it hears; names come from the base, which outlives the derived
// part while a component is being freed.
class TProbe : public TComponent {
 public:
  TProbe(TComponent* owner, const std::string& name) : TComponent(nullptr) {
    SetName(name);
    if (owner) owner->InsertComponent(this);
  }
  ~TProbe() override {
    DestroyComponents();
    if (gLog) gLog->push_back("free " + Name());
  }

 protected:
  void Notification(TComponent* component, TOperation operation) override {
    TComponent::Notification(component, operation);
    if (gLog && component != this)
      gLog->push_back(Name() + (operation == TOperation::opInsert ? " +" : " -") +
                      component->Name());
  }
};

}  // namespace

TEST(Component, OwnerKeepsInsertionOrderAndFreesNewestFirst) {
  std::vector<std::string> log;
  {
    TProbe form(nullptr, "form");
    auto* a = new TProbe(&form, "a");
    auto* b = new TProbe(&form, "b");
    new TProbe(a, "a1");
    ASSERT_EQ(form.ComponentCount(), 2);
    EXPECT_EQ(form.Components(0), a);
    EXPECT_EQ(form.Components(1), b);
    EXPECT_EQ(b->ComponentIndex(), 1);
    gLog = &log;
    delete b;  // the removal reaches the whole tree of the owner
    EXPECT_EQ(form.ComponentCount(), 1);
    EXPECT_EQ(log, (std::vector<std::string>{"free b", "a1 -b", "a -b", "form -b"}));
    log.clear();
  }
  EXPECT_EQ(log, (std::vector<std::string>{"free a1", "free a", "free form"}));
  gLog = nullptr;
}

TEST(Component, InsertionIsAnnouncedThroughTheOwnedTree) {
  std::vector<std::string> log;
  TProbe form(nullptr, "form");
  new TProbe(&form, "painter");
  TProbe other(nullptr, "other");
  gLog = &log;
  TProbe* button = new TProbe(&form, "button");
  EXPECT_EQ(log, (std::vector<std::string>{"painter +button", "form +button"}));
  log.clear();
  other.InsertComponent(button);  // a new owner takes it from the old one
  EXPECT_EQ(form.ComponentCount(), 1);
  EXPECT_EQ(button->Owner(), &other);
  EXPECT_EQ(log, (std::vector<std::string>{"painter -button", "form -button", "other +button"}));
  log.clear();
  gLog = nullptr;
}

TEST(Component, NamesAreUniquePerOwnerIgnoringCase) {
  TComponent form(nullptr);
  auto* a = new TComponent(&form);
  auto* b = new TComponent(&form);
  a->SetName("btnScan");
  EXPECT_EQ(form.FindComponent("BTNSCAN"), a);
  EXPECT_THROW(b->SetName("BtnScan"), Exception);
  EXPECT_EQ(b->Name(), "");
  a->SetName("btnScan");  // unchanged: no clash with itself
  EXPECT_EQ(form.FindComponent(""), nullptr);
}
