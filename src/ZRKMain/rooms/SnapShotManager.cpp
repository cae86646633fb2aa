#include "rooms/SnapShotManager.h"

#include "rooms/SnapShotEx.h"
#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

namespace {
SnapShotManager* gManager = nullptr;
unsigned gGeneration = 0;
} // namespace

SnapShotManager::SnapShotManager() { ++gGeneration; }

unsigned SnapShotManager::generation() { return gGeneration; }

SnapShotManager::~SnapShotManager() = default;

SnapShotManager& SnapShotManager::instance()
{
    if (!gManager)
        gManager = new SnapShotManager;
    return *gManager;
}

SnapShotManager* SnapShotManager::instancePtr() { return gManager; }

void SnapShotManager::destroyInstance()
{
    delete gManager;
    gManager = nullptr;
}

void SnapShotManager::createSnapShot(unsigned flags, const std::string& name)
{
    if (mSnapShots.count(name)) {
        writeLog(6, "SnapShotManager", "name exit");
        return;
    }
    mSnapShots[name].reset(new core::SnapShotEx(flags));
}

core::SnapShotEx* SnapShotManager::find(const std::string& name) const
{
    auto it = mSnapShots.find(name);
    if (it == mSnapShots.end()) {
        writeLog(6, "SnapShotManager", "name dosen`t exit");
        return nullptr;
    }
    return it->second.get();
}

} // namespace zrk
} // namespace kavri3D
