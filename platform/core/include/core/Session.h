#pragma once
#include <boost/shared_ptr.hpp>
#include <string>
#include <util/XmlConfigHelper.h>

namespace kavri3D {
namespace core {

/// The game session as the framework sees it; the game-data library realises it.
class ISession {
public:
    virtual ~ISession() = default;
    virtual bool isOnline() const = 0;
    /// Changes the client state by name, with a parameter text.
    virtual void teleportAdv(const std::string& state, const std::string& params = std::string()) = 0;
    /// Ends the online session; the framework quits afterwards.
    virtual void goDead() = 0;
    virtual XmlConfigHelper& getSettings() = 0;
    /// The player's user id and session id; empty before log-in.
    virtual std::string getUID() const { return std::string(); }
    virtual std::string getSID() const { return std::string(); }
    /// Called once per frame by the framework.
    virtual void update(float dt) {}
};

typedef boost::shared_ptr<ISession> SessionPtr;

} // namespace core
} // namespace kavri3D
