#include "shell/FlashCallbacks.h"

#include <sstream>
#include <string>
#include <core/NetClientManager.h>
#include <core/Session.h>
#include <hikari/HikariPane.h>

#include "services/GameServices.h"

namespace kavri3D {
namespace zrk {

namespace {
typedef Hikari::FlashValue (*FlashCallback)(Hikari::FlashControl*, const std::vector<Hikari::FlashValue>&);
struct FlashBinding {
    const char* name;
    FlashCallback callback;
};
const FlashBinding kFlashBindings[] = {
    {"teleport", &FlashCallbacks::teleport}, {"refresh", &FlashCallbacks::refresh},
    {"uid", &FlashCallbacks::uid},           {"sid", &FlashCallbacks::sid},
    {"userInfo", &FlashCallbacks::userInfo}, {"getHostUrl", &FlashCallbacks::hostUrl}};
} // namespace

void FlashCallbacks::bind(core::HikariPane* pane)
{
    Hikari::FlashControl* flash = pane ? pane->getFlash() : nullptr;
    if (!flash)
        return;
    for (const FlashBinding& b : kFlashBindings)
        flash->bind(b.name, b.callback);
}

void FlashCallbacks::unbind(core::HikariPane* pane)
{
    Hikari::FlashControl* flash = pane ? pane->getFlash() : nullptr;
    if (!flash)
        return;
    for (const FlashBinding& b : kFlashBindings)
        flash->unbind(b.name);
}

Hikari::FlashValue FlashCallbacks::teleport(Hikari::FlashControl*, const std::vector<Hikari::FlashValue>& args)
{
    if (!args.empty())
        args.front().getString(); // the movie names a place; the game does not follow it
    return Hikari::FlashValue();
}

Hikari::FlashValue FlashCallbacks::refresh(Hikari::FlashControl* caller, const std::vector<Hikari::FlashValue>& args)
{
    return teleport(caller, args);
}

Hikari::FlashValue FlashCallbacks::uid(Hikari::FlashControl*, const std::vector<Hikari::FlashValue>&)
{
    core::ISession* s = GameServices::coreSession();
    return Hikari::FlashValue(s ? s->getUID() : std::string());
}

Hikari::FlashValue FlashCallbacks::sid(Hikari::FlashControl*, const std::vector<Hikari::FlashValue>&)
{
    core::ISession* s = GameServices::coreSession();
    return Hikari::FlashValue(s ? s->getSID() : std::string());
}

Hikari::FlashValue FlashCallbacks::userInfo(Hikari::FlashControl*, const std::vector<Hikari::FlashValue>&)
{
    std::ostringstream os;
    os << "<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"yes\"?>";
    os << "<user>";
    os << "</user>";
    return Hikari::FlashValue(os.str());
}

Hikari::FlashValue FlashCallbacks::hostUrl(Hikari::FlashControl*, const std::vector<Hikari::FlashValue>&)
{
    core::NetClientManager* net = core::NetClientManager::getSingletonPtr();
    return Hikari::FlashValue(net ? net->getApplicationPath() + "/" : std::string());
}

} // namespace zrk
} // namespace kavri3D
