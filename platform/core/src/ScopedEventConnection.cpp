#include "core/ScopedEventConnection.h"

#include <utility>

namespace kavri3D {
namespace core {

ScopedEventConnection::ScopedEventConnection(ScopedEventConnection&& other) noexcept
    : mConnection(std::exchange(other.mConnection, CEGUI::Event::Connection()))
{
}

ScopedEventConnection& ScopedEventConnection::operator=(ScopedEventConnection&& other) noexcept
{
    if (this != &other) {
        reset();
        mConnection = std::exchange(other.mConnection, CEGUI::Event::Connection());
    }
    return *this;
}

ScopedEventConnection& ScopedEventConnection::operator=(const CEGUI::Event::Connection& connection)
{
    reset();
    mConnection = connection;
    return *this;
}

void ScopedEventConnection::reset()
{
    if (mConnection.isValid())
        mConnection->disconnect();
    mConnection = CEGUI::Event::Connection();
}

} // namespace core
} // namespace kavri3D
