#pragma once
#include <util/Singleton.h>
#include <vector>

namespace kavri3D {
namespace core {

/// Something the engine updates once per frame while it is registered. It leaves the
/// manager by itself when it is destroyed, so the manager never calls a dead object.
class Updatable {
public:
    virtual ~Updatable();
    virtual void update(float dt) = 0;

    /// Registers with the engine's updatable manager; false when there is none.
    bool registerWithUpdatableManager();
    void unregisterWithUpdatableManager();
    bool isRegistered() const;
};

class UpdatableManager : public Singleton<UpdatableManager> {
public:
    void add(Updatable* u);
    void remove(Updatable* u);
    bool contains(const Updatable* u) const;
    /// Updates each registered updatable once; one removed during the pass is skipped.
    void update(float dt);
    std::size_t size() const { return mItems.size(); }

private:
    std::vector<Updatable*> mItems;
};

} // namespace core
} // namespace kavri3D

KAVRI_SINGLETON_DECLARE(kavri3D::core::UpdatableManager);
