// TDdeMgr: the process-wide owner of the program's DDE instance and of the
// callback through which DDEML reports to the program. It routes a warm
// link's data notices and a server's disconnect to the client conversation
// they belong to (found through the conversation's user handle), and answers
// outside programs under the program's own service name (the executable's
// file name up to its first "."), accepting a conversation whose topic is one
// of the program's window captions (at most 64 at once) and offering nothing
// on it.
//
// Exactly one exists at a time, made at start-up before any window and
// destroyed last; client conversations reach it through Current(). It owns
// its server conversation records. Everything runs on the main thread: DDEML
// calls the callback only there, while it takes messages or waits inside a
// synchronous transaction.
//
// Throws: the constructor raises EDdeError when the DDE instance cannot be
// made. The callback never throws: what an event handler raises under it is
// handed to ErrorReport, because it must not unwind into DDEML.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dde/dde_string_handle.h"
#include "platform/ddeml.h"
#include "platform/seam.h"
#include "rtl/classes.h"

class TDdeSrvrConv;

class TDdeMgr : public TComponent {
  public:
    // Makes the DDE instance on ddeml and registers the service name taken
    // from exeFileName (a path or a bare file name).
    TDdeMgr(TComponent* AOwner, const std::string& exeFileName,
            IDdeml& ddeml = Seam<IDdeml>::Get());
    ~TDdeMgr() override;

    const char* ClassName() const override { return "TDdeMgr"; }

    // The manager while one exists, else nullptr.
    static TDdeMgr* Current();

    IDdeml& Ddeml() const { return ddeml_; }
    std::uint32_t DdeInstId() const { return instance_; }
    const std::string& AppName() const { return appName_; }
    std::uintptr_t AppNameHandle() const { return appNameHandle_.Get(); }

    // How the manager learns the captions of the program's windows, which an
    // outside program may name as topic. The window toolkit sets it at
    // start-up; until then, and once it is taken down again (nullptr), no
    // topic is accepted. Called from the callback on the main thread; it must
    // not throw (a throw refuses the connect). Whoever sets it takes it down
    // before the windows it reads go: the callback lives on until the end.
    using WindowCaptionsHook = std::function<std::vector<std::string>()>;
    void SetWindowCaptions(WindowCaptionsHook hook) { windowCaptions_ = std::move(hook); }

    // The callback handed to DdeInitializeA.
    std::uintptr_t DdeManagerCallback(std::uint32_t type, std::uint32_t format,
                                      std::uintptr_t conversation, std::uintptr_t hsz1,
                                      std::uintptr_t hsz2, std::uintptr_t data,
                                      std::uintptr_t data1, std::uintptr_t data2);

    // A conversation this instance could not end (DdeDisconnect failed):
    // wine 8 then keeps it, and never again connects the instance to that
    // service and topic. The next open of a client conversation renews the
    // instance first.
    void NoteStaleConversation() { stale_ = true; }
    bool HoldsStaleConversation() const { return stale_; }
    // A stale conversation is held, or a renewal failed and left no instance:
    // nothing links until Renew succeeds.
    bool NeedsRenewal() const { return stale_ || instance_ == 0; }
    // Ends the instance (if any) and makes a new one, the service name
    // registered again. Every conversation goes with the old one, outside
    // programs' included; call only while no client conversation is open and
    // never from inside the callback. Raises EDdeError when the new instance
    // cannot be made; the manager is then without one until a later Renew.
    void Renew();
    // The callback is running (DDEML is inside the program's callback).
    bool InCallback() const { return callbackDepth_ > 0; }

    // The conversations outside programs hold with this program.
    int ServerConvCount() const { return static_cast<int>(serverConvs_.size()); }
    const TDdeSrvrConv& ServerConv(int index) const { return *serverConvs_.at(index); }

  private:
    std::uintptr_t Dispatch(std::uint32_t type, std::uintptr_t conversation, std::uintptr_t hsz1,
                            std::uintptr_t hsz2, std::uintptr_t data, std::uintptr_t data1);
    bool AcceptsConnect(std::uintptr_t topic, std::uintptr_t service);
    std::uintptr_t WildConnect(std::uintptr_t topic, std::uintptr_t service);
    void ConfirmConnect(std::uintptr_t conversation, std::uintptr_t topic);
    std::string QueryString(std::uintptr_t hsz);
    bool IsWindowCaption(const std::string& topic) const;
    TDdeSrvrConv* FindServerConv(std::uintptr_t userHandle) const;
    void RemoveServerConv(TDdeSrvrConv* record);

    IDdeml& ddeml_;
    std::string appName_;
    DdeStringHandle appNameHandle_;
    std::vector<std::unique_ptr<TDdeSrvrConv>> serverConvs_;
    std::uint32_t instance_ = 0;
    bool stale_ = false;
    int callbackDepth_ = 0;

    void Initialize();
    void Uninitialize();
    WindowCaptionsHook windowCaptions_;
};

// The program's own service name: the file name without its directory, cut
// before its first ".".
std::string DdeServiceNameOf(const std::string& exeFileName);

// The text of EDdeError for a DDEML error code.
std::string DdeErrorMessage(std::uint32_t code);

// DDE names compare without regard to case (ASCII and the code page 1252
// letters).
bool SameDdeName(const std::string& a, const std::string& b);
