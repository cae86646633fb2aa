#pragma once
#include <map>
#include <memory>
#include <string>
#include <util/Singleton.h>

namespace kavri3D {
namespace core {
class SnapShotEx;
}

namespace zrk {

/// The snapshots by name. Created on first use, deleted (with every snapshot) by
/// destroyInstance when the main frame goes.
class SnapShotManager : public Singleton<SnapShotManager> {
public:
    static SnapShotManager& instance() { return makeSingleton(); }
    static void destroyInstance() { dropSingleton(); }
    /// Counts the registries made: a holder of snapshot pointers checks its registry (and
    /// so its snapshots) is still the live one.
    static unsigned generation();

    /// A name already taken is logged and left as it is.
    void createSnapShot(unsigned flags, const std::string& name);
    /// Null (and a log line) when there is no snapshot of that name.
    core::SnapShotEx* find(const std::string& name) const;
    std::size_t size() const { return mSnapShots.size(); }

private:
    friend class Singleton<SnapShotManager>;
    SnapShotManager();
    ~SnapShotManager();
    SnapShotManager(const SnapShotManager&) = delete;
    SnapShotManager& operator=(const SnapShotManager&) = delete;

    std::map<std::string, std::unique_ptr<core::SnapShotEx>> mSnapShots;
};

} // namespace zrk
} // namespace kavri3D

KAVRI_SINGLETON_DECLARE(kavri3D::zrk::SnapShotManager);
