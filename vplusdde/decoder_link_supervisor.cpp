// The decoder link's health and its repair steps; see the header.
#include "vplusdde/decoder_link_supervisor.h"

#include <utility>

#include "dde/dde_cli_item.h"
#include "dde/dde_client_conv.h"
#include "dde/dde_client_item.h"
#include "dde/dde_error.h"
#include "dde/dde_mgr.h"

DecoderLinkSupervisor::DecoderLinkSupervisor(TDdeClientConv& conv, TDdeClientItem& item,
                                             Target target, Report report)
    : conv_(conv), item_(item), target_(std::move(target)), report_(std::move(report)) {}

bool DecoderLinkSupervisor::Healthy() const {
    if (!conv_.IsOpen() || !conv_.PartnerAlive() || item_.DdeItem() != target_.item) return false;
    const TDdeCliItem* link = conv_.ItemLinkOf(&item_);
    return link != nullptr && link->Name() == target_.item && link->WarmLinkStarted();
}

bool DecoderLinkSupervisor::AtWork() const {
    const TDdeMgr* manager = TDdeMgr::Current();
    return stepping_ || conv_.Busy() || (manager != nullptr && manager->InCallback());
}

void DecoderLinkSupervisor::Tick() {
    if (AtWork() || Healthy()) return;
    stepping_ = true;
    struct Done {
        bool& stepping;
        ~Done() { stepping = false; }
    } done{stepping_};
    Step();
}

void DecoderLinkSupervisor::Step() {
    if (conv_.IsOpen()) {
        if (conv_.PartnerAlive()) {
            item_.SetDdeItem(target_.item);
            return;
        }
        // As if the decoder had said goodbye: some systems do not tell. A
        // decoder already back is joined in this same step, not a check later.
        conv_.CloseConversation();
    }
    if (DdeManager().NeedsRenewal() && !Renew()) return;
    // A failed open let the item's link go; a link that stayed is started by
    // the open itself, and if the decoder refused it the next tick names it.
    const bool named = item_.DdeItem() == target_.item;
    if (conv_.Rejoin(target_.service, target_.topic) && !named) item_.SetDdeItem(target_.item);
}

bool DecoderLinkSupervisor::Renew() {
    try {
        DdeManager().Renew();
        renewalReported_ = false;
        return true;
    } catch (const EDdeError&) {
        if (!renewalReported_) {
            renewalReported_ = true;
            if (report_) report_(std::current_exception());
        }
        return false;
    }
}
