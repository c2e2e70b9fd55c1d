#include "rtl/classes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Records every notice it is given, and its own destruction.
class Probe : public TComponent {
  public:
    Probe(TComponent* owner, const std::string& name, std::vector<std::string>* log)
        : TComponent(owner), log_(log) {
        SetName(name);
    }
    ~Probe() override { log_->push_back("free " + Name()); }
    void Loaded() override {
        TComponent::Loaded();
        log_->push_back("loaded " + Name());
    }

  protected:
    void Notification(TComponent* c, TOperation op) override {
        TComponent::Notification(c, op);
        if (!Destroying())
            log_->push_back(Name() + (op == TOperation::opRemove ? " removed " : " inserted ") +
                            c->Name());
    }

  private:
    std::vector<std::string>* log_;
};

class Other : public TPersistent {
  public:
    const char* ClassName() const override { return "TOther"; }
};

TEST(Component, OwnerFreesWhatItOwnsNewestFirst) {
    std::vector<std::string> log;
    auto* owner = new Probe(nullptr, "form", &log);
    new Probe(owner, "a", &log);
    new Probe(owner, "b", &log);
    EXPECT_EQ(owner->ComponentCount(), 2);
    EXPECT_EQ(owner->FindComponent("b")->Owner(), owner);
    log.clear();
    delete owner;
    EXPECT_EQ(log, (std::vector<std::string>{"free form", "free b", "free a"}));
}

TEST(Component, SiblingsHearOfInsertAndRemoveThroughTheOwner) {
    std::vector<std::string> log;
    Probe owner(nullptr, "form", &log);
    owner.InsertComponent(new Probe(nullptr, "a", &log));
    auto* b = new Probe(nullptr, "b", &log);
    owner.InsertComponent(b);
    EXPECT_EQ(log,
              (std::vector<std::string>{"form inserted a", "a inserted b", "form inserted b"}));
    log.clear();
    delete b;
    EXPECT_EQ(log, (std::vector<std::string>{"free b", "a removed b", "form removed b"}));
    EXPECT_EQ(owner.ComponentCount(), 1);
}

TEST(Component, FreeNotificationTellsAComponentOfAnotherOwner) {
    std::vector<std::string> log;
    Probe formA(nullptr, "formA", &log);
    Probe formB(nullptr, "formB", &log);
    auto* watcher = new Probe(&formA, "watcher", &log);
    auto* target = new Probe(&formB, "target", &log);
    watcher->FreeNotification(target);
    log.clear();
    delete target;
    EXPECT_EQ(log, (std::vector<std::string>{"free target", "watcher removed target",
                                             "formB removed target"}));

    // A registration that was taken back tells nothing.
    auto* second = new Probe(&formB, "second", &log);
    watcher->FreeNotification(second);
    watcher->RemoveFreeNotification(second);
    log.clear();
    delete second;
    EXPECT_EQ(log, (std::vector<std::string>{"free second", "formB removed second"}));

    // The watcher going first leaves nothing dangling in the other's list.
    auto* third = new Probe(&formB, "third", &log);
    watcher->FreeNotification(third);
    delete watcher;
    log.clear();
    delete third;
    EXPECT_EQ(log, (std::vector<std::string>{"free third", "formB removed third"}));
}

TEST(Component, MarkDestroyingReachesEverythingOwned) {
    std::vector<std::string> log;
    Probe form(nullptr, "form", &log);
    auto* panel = new Probe(&form, "panel", &log);
    auto* inner = new Probe(panel, "inner", &log);
    EXPECT_FALSE(inner->Destroying());
    form.MarkDestroying();
    EXPECT_TRUE(form.Destroying());
    EXPECT_TRUE(panel->Destroying());
    EXPECT_TRUE(inner->Destroying());
}

TEST(Component, LoadingStateEndsWithLoaded) {
    std::vector<std::string> log;
    Probe c(nullptr, "c", &log);
    EXPECT_FALSE(c.Loading());
    c.BeginLoading();
    EXPECT_TRUE(c.Loading());
    c.Loaded();
    EXPECT_FALSE(c.Loading());
    EXPECT_EQ(log.back(), "loaded c");
}

TEST(Persistent, AssignRefusesAnEmptyOrUnknownSource) {
    Other a;
    Other b;
    try {
        a.Assign(nullptr);
        FAIL() << "an empty source was taken";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Cannot assign a nil to a TOther");
    }
    try {
        a.Assign(&b);
        FAIL() << "an unknown source was taken";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Cannot assign a TOther to a TOther");
    }
}

TEST(InOutError, CodesChooseTheirMessages) {
    EXPECT_EQ(EInOutError(2).Message(), "File not found");
    EXPECT_EQ(EInOutError(5).Message(), "File access denied");
    EXPECT_EQ(EInOutError(101).Message(), "Disk full");
    EXPECT_EQ(EInOutError(32).Message(), "I/O error 32");
    EXPECT_EQ(EInOutError(32).ErrorCode(), 32);
}

}  // namespace
