#pragma once
#include <string>

namespace kavri3D {
namespace core {

/// A scene the main frame shows behind the GUI; rooms enter theirs and leave it again.
class SceneInstance {
public:
    explicit SceneInstance(const std::string& name = std::string()) : mName(name) {}
    virtual ~SceneInstance() = default;
    const std::string& getName() const { return mName; }

private:
    std::string mName;
};

} // namespace core
} // namespace kavri3D
