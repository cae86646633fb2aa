#include "server/ZRKServerOps.h"

#include <yake/Logger.h>
#include "server/ZRKBattleOps.h"
#include "server/ZRKBoxOps.h"
#include "server/ZRKRoomOps.h"
#include "server/ZRKDataOps.h"
#include "server/ZRKForgeOps.h"
#include "server/ZRKShopOps.h"
#include "server/ZRKLobbyOps.h"
#include "server/ZRKPlayerOps.h"
#include "server/ZRKQuestOps.h"
#include "server/ZRKServerCall.h"
#include "server/ZRKServerCore.h"
#include "server/ZRKSessionOps.h"
#include "server/ZRKSocialOps.h"
#include "server/ZRKWorld.h"

namespace kavri3D {
namespace zrk {

namespace {
using yake::logging::Severity;
const yake::logging::Channel logLine("ZRKGameServer");
} // namespace

ZRKServerOps::ZRKServerOps()
{
    ZRKSessionOps::addTo(*this);
    ZRKDataOps::addTo(*this);
    ZRKPlayerOps::addTo(*this);
    ZRKLobbyOps::addTo(*this);
    ZRKBattleOps::addTo(*this);
    ZRKForgeOps::addTo(*this);
    ZRKShopOps::addTo(*this);
    ZRKBoxOps::addTo(*this);
    ZRKRoomOps::addTo(*this);
    ZRKQuestOps::addTo(*this);
    ZRKSocialOps::addTo(*this);
}

void ZRKServerOps::add(const std::string& op, Handler handler, unsigned flags) { mEntries[op] = Entry{handler, flags}; }

bool ZRKServerOps::isSecret(const std::string& op) const
{
    auto it = mEntries.find(op);
    return it != mEntries.end() && (it->second.flags & Secret);
}

void ZRKServerOps::handle(ZRKServerCall& call) const
{
    auto it = mEntries.find(call.request.op);
    if (it == mEntries.end()) {
        call.error = true;
        call.text = call.server.text("error/unknow_wrong");
        logLine(Severity::Warning, "no handler for the request " + call.request.kind + "::" + call.request.op);
        return;
    }
    const Entry& entry = it->second;
    if (!call.server.isReady()) {
        call.refuse("error/user_net_wrong", "the world is not available");
        return;
    }
    if ((entry.flags & NeedsPlayer) && call.player.empty()) {
        call.refuse("error/srv_not_logged_in", "nobody is logged in");
        return;
    }
    try {
        if (!(entry.flags & Changes)) {
            entry.handler(call);
            return;
        }
        ZRKDatabase::Transaction change(call.world().db());
        if (!change.active()) {
            call.refuse("error/unknow_wrong", "no transaction: " + call.world().db().lastError());
            return;
        }
        entry.handler(call);
        if (call.error)
            return;
        if (!change.commit())
            call.refuse("error/unknow_wrong", "the change could not be kept: " + call.world().db().lastError());
        else if (call.committed)
            call.committed();
    } catch (const std::exception& e) {
        call.refuse("error/unknow_wrong", std::string("the handler failed: ") + e.what());
    }
}

} // namespace zrk
} // namespace kavri3D
