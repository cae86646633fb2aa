#include "data/MsgClientManager.h"

#include "data/ZRKSession.h"

namespace kavri3D {
namespace core {

MsgClientManager& MsgClientManager::getSingleton()
{
    static MsgClientManager manager; // holds nothing: it only asks the live session
    return manager;
}

MsgClient* MsgClientManager::getActiveClient()
{
    zrk::ZRKSession* session = zrk::ZRKSession::getSingletonPtr();
    return session ? session->getMsgClient() : nullptr;
}

} // namespace core
} // namespace kavri3D
