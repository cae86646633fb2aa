#pragma once
#include <boost/shared_ptr.hpp>
#include <boost/weak_ptr.hpp>
#include <vector>

namespace kavri3D {
namespace core {

/// Something the engine updates once per frame while it is registered and alive.
class Updatable {
public:
    virtual ~Updatable() = default;
    virtual void update(float dt) = 0;
};
typedef boost::shared_ptr<Updatable> UpdatablePtr;

/// Holds its updatables weakly: one that is destroyed simply stops being updated.
class UpdatableManager {
public:
    void add(const UpdatablePtr& u);
    void remove(const UpdatablePtr& u);
    void update(float dt);
    std::size_t size() const { return mItems.size(); }

private:
    std::vector<boost::weak_ptr<Updatable>> mItems;
};

} // namespace core
} // namespace kavri3D
