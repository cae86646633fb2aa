#include "core/Updatable.h"

#include <algorithm>
#include <yake/Logger.h>

KAVRI_SINGLETON_DEFINE(kavri3D::core::UpdatableManager);

namespace kavri3D {

namespace {
using yake::logging::Severity;
const yake::logging::Channel logLine("updatable");
} // namespace
namespace core {

Updatable::~Updatable() { unregisterWithUpdatableManager(); }

bool Updatable::registerWithUpdatableManager()
{
    UpdatableManager* m = UpdatableManager::getSingletonPtr();
    if (!m)
        return false;
    m->add(this);
    return true;
}

void Updatable::unregisterWithUpdatableManager()
{
    if (UpdatableManager* m = UpdatableManager::getSingletonPtr())
        m->remove(this);
}

bool Updatable::isRegistered() const
{
    UpdatableManager* m = UpdatableManager::getSingletonPtr();
    return m && m->contains(this);
}

void UpdatableManager::add(Updatable* u)
{
    if (u && !contains(u))
        mItems.push_back(u);
}

void UpdatableManager::remove(Updatable* u)
{
    mItems.erase(std::remove(mItems.begin(), mItems.end(), u), mItems.end());
}

bool UpdatableManager::contains(const Updatable* u) const
{
    return std::find(mItems.begin(), mItems.end(), u) != mItems.end();
}

void UpdatableManager::update(float dt)
{
    std::vector<Updatable*> pass = mItems; // an update may add or remove others
    for (Updatable* u : pass) {
        if (!contains(u))
            continue; // removed (perhaps destroyed) earlier in this pass
        try {
            u->update(dt);
        } catch (const std::exception& e) {
            logLine(Severity::Error, std::string("update failed: ") + e.what());
        }
    }
}

} // namespace core
} // namespace kavri3D
