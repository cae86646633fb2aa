#pragma once
#include <boost/any.hpp>
#include <map>
#include <memory>
#include <string>
#include <util/Singleton.h>

namespace kavri3D {
namespace core {

/// The physics world: a bag of properties ("stepsize") the simulation reads.
class PhysicsWorld {
public:
    void setProperty(const std::string& name, const boost::any& value) { mProps[name] = value; }
    const boost::any* getProperty(const std::string& name) const
    {
        auto it = mProps.find(name);
        return it == mProps.end() ? nullptr : &it->second;
    }

private:
    std::map<std::string, boost::any> mProps;
};

class PhysicsManager : public Singleton<PhysicsManager> {
public:
    PhysicsManager() : mWorld(new PhysicsWorld) {}
    void setTimeFactor(float f) { mTimeFactor = f; }
    float getTimeFactor() const { return mTimeFactor; }
    PhysicsWorld* getPhysicsWorld() { return mWorld.get(); }

private:
    float mTimeFactor = 1.0f;
    std::unique_ptr<PhysicsWorld> mWorld;
};

} // namespace core
} // namespace kavri3D

KAVRI_SINGLETON_DECLARE(kavri3D::core::PhysicsManager);
