#include "rooms/SnapShotManager.h"

#include "rooms/SnapShotEx.h"
#include "services/LogRoutine.h"

KAVRI_SINGLETON_DEFINE(kavri3D::zrk::SnapShotManager);

namespace kavri3D {
namespace zrk {

namespace {
unsigned gGeneration = 0;
} // namespace

SnapShotManager::SnapShotManager() { ++gGeneration; }

unsigned SnapShotManager::generation() { return gGeneration; }

SnapShotManager::~SnapShotManager() = default;

void SnapShotManager::createSnapShot(unsigned flags, const std::string& name)
{
    if (mSnapShots.count(name)) {
        writeLog(kLogTrace, "SnapShotManager", "name exit");
        return;
    }
    mSnapShots[name].reset(new core::SnapShotEx(flags));
}

core::SnapShotEx* SnapShotManager::find(const std::string& name) const
{
    auto it = mSnapShots.find(name);
    if (it == mSnapShots.end()) {
        writeLog(kLogTrace, "SnapShotManager", "name dosen`t exit");
        return nullptr;
    }
    return it->second.get();
}

} // namespace zrk
} // namespace kavri3D
