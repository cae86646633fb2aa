#pragma once
#include <CEGUI/Event.h>

namespace kavri3D {
namespace core {

/// One subscription to a CEGUI event that ends when its holder goes or another subscription
/// takes its place (CEGUI's own scoped connection ends its subscription whenever it is copied
/// and cannot live in a container). Ending after the window is gone is harmless.
class ScopedEventConnection {
public:
    ScopedEventConnection() = default;
    ScopedEventConnection(const CEGUI::Event::Connection& connection) : mConnection(connection) {}
    ScopedEventConnection(ScopedEventConnection&& other) noexcept;
    ScopedEventConnection& operator=(ScopedEventConnection&& other) noexcept;
    /// Ends the subscription held so far and holds this one.
    ScopedEventConnection& operator=(const CEGUI::Event::Connection& connection);
    ScopedEventConnection(const ScopedEventConnection&) = delete;
    ScopedEventConnection& operator=(const ScopedEventConnection&) = delete;
    ~ScopedEventConnection() { reset(); }

    /// Ends the subscription now.
    void reset();
    /// Lets the subscription go without ending it: inside the event it is subscribed to (the
    /// window's own destruction), where ending it would pull it from under the event's feet; the
    /// window ends it as it goes.
    void release() { mConnection = CEGUI::Event::Connection(); }
    bool connected() const { return mConnection.isValid() && mConnection->connected(); }

private:
    CEGUI::Event::Connection mConnection;
};

} // namespace core
} // namespace kavri3D
