#pragma once

namespace Ogre {
class SceneNode;
}

namespace kavri3D {
namespace core {

/// The framework's scene chores for code that moves nodes itself.
class DefaultSceneHelper {
public:
    /// A node was moved or turned by hand: its world placement is brought up to date before
    /// the next render (with `parents`, its parents' too). Nothing for null.
    static void notifyNodeMoved(Ogre::SceneNode* node, bool parents);
    /// Test surface: how many moves were told.
    static int movedCount();
};

} // namespace core
} // namespace kavri3D
