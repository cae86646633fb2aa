#include "core/Updatable.h"

#include <algorithm>
#include <yake/Logger.h>

namespace kavri3D {
namespace core {

void UpdatableManager::add(const UpdatablePtr& u)
{
    if (u)
        mItems.push_back(u);
}

void UpdatableManager::remove(const UpdatablePtr& u)
{
    mItems.erase(std::remove_if(mItems.begin(), mItems.end(),
                                [&](const boost::weak_ptr<Updatable>& w) {
                                    UpdatablePtr p = w.lock();
                                    return !p || p == u;
                                }),
                 mItems.end());
}

void UpdatableManager::update(float dt)
{
    std::vector<boost::weak_ptr<Updatable>> items = mItems; // an update may add or remove
    for (auto& w : items) {
        UpdatablePtr u = w.lock();
        if (!u)
            continue;
        try {
            u->update(dt);
        } catch (const std::exception& e) {
            yake::logging::logger::instance().log(3, "updatable", std::string("update failed: ") + e.what());
        }
    }
    mItems.erase(std::remove_if(mItems.begin(), mItems.end(), [](const boost::weak_ptr<Updatable>& w) { return w.expired(); }),
                 mItems.end());
}

} // namespace core
} // namespace kavri3D
