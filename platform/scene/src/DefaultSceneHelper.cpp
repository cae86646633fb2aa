#include "scene/DefaultSceneHelper.h"

#include <OgreSceneNode.h>
#include <atomic>

namespace kavri3D {
namespace core {

namespace {
std::atomic<int> gMoves{0};
}

void DefaultSceneHelper::notifyNodeMoved(Ogre::SceneNode* node, bool parents)
{
    if (!node)
        return;
    node->needUpdate(parents);
    ++gMoves;
}

int DefaultSceneHelper::movedCount() { return gMoves; }

} // namespace core
} // namespace kavri3D
