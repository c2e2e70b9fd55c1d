// The component model: TObject, TPersistent, TComponent and TNotifyEvent.
//
// A TComponent is owned by the component given to its constructor; the owner
// deletes what it owns in its destructor. Components that refer to another
// component register with FreeNotification and are told by Notification(...,
// opRemove) when it is destroyed. Everything here runs on the main thread.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "rtl/sysutils.h"

class TObject {
  public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject() = default;
};

// An event handler taking the sender; an empty one does nothing.
using TNotifyEvent = std::function<void(TObject* Sender)>;

// Calls the handler when it is assigned.
template <class Event, class... Args>
void RaiseEvent(const Event& handler, Args&&... args) {
    if (handler) handler(std::forward<Args>(args)...);
}

// An object with a copy operation. Assign refuses a source it does not know,
// and an empty one, with EConvertError.
class TPersistent : public TObject {
  public:
    virtual void Assign(const TPersistent* Source);
    virtual const char* ClassName() const { return "TPersistent"; }

  protected:
    // Lets the source copy itself into Dest; the default refuses.
    virtual void AssignTo(TPersistent* Dest) const;

  private:
    [[noreturn]] void AssignError(const TPersistent* Source) const;
};

enum class TOperation { opInsert, opRemove };

enum TComponentStateFlag : unsigned {
    csLoading = 1u << 0,
    csDestroying = 1u << 1,
};

class TComponent : public TPersistent {
  public:
    explicit TComponent(TComponent* AOwner);
    ~TComponent() override;

    const char* ClassName() const override { return "TComponent"; }

    TComponent* Owner() const { return owner_; }
    const std::string& Name() const { return name_; }
    void SetName(const std::string& name) { name_ = name; }

    int ComponentCount() const { return static_cast<int>(components_.size()); }
    TComponent* Components(int index) const { return components_.at(index); }
    TComponent* FindComponent(const std::string& name) const;

    unsigned ComponentState() const { return state_; }
    bool Loading() const { return (state_ & csLoading) != 0; }
    bool Destroying() const { return (state_ & csDestroying) != 0; }

    // Puts the component into its loading state; a stored layout is applied
    // while it lasts, and Loaded ends it.
    void BeginLoading() { state_ |= csLoading; }
    // Told when loading has ended; overrides call the inherited one first.
    virtual void Loaded();

    // Asks to be told (by Notification opRemove) when AComponent is destroyed;
    // the registration is mutual, as in the owner relation.
    void FreeNotification(TComponent* AComponent);
    void RemoveFreeNotification(TComponent* AComponent);

    void InsertComponent(TComponent* AComponent);
    void RemoveComponent(TComponent* AComponent);
    // Deletes every owned component, the newest first. A derived destructor
    // that must still see its own overrides while its parts go calls this,
    // after MarkDestroying.
    void DestroyComponents();
    // Puts this component and everything it owns into the destroying state,
    // so that none of them raises events any more; the destructor does it
    // too, but a derived destructor that takes its parts down first must do
    // it before.
    void MarkDestroying();

  protected:
    // Told when a component is inserted into or removed from this owner, or
    // when a component it asked about is destroyed. Passes it on to the owned
    // components.
    virtual void Notification(TComponent* AComponent, TOperation Operation);

  private:
    TComponent* owner_ = nullptr;
    std::string name_;
    std::vector<TComponent*> components_;
    std::vector<TComponent*> freeNotifies_;
    unsigned state_ = 0;
};
