#pragma once
#include <string>
#include "scene/SceneDocument.h"

namespace Ogre {
class SceneManager;
class SceneNode;
} // namespace Ogre

namespace kavri3D {
namespace core {

/// Puts one part of a figure (or one scene item) into the scene: the item's own mesh when a
/// resource group has "<item>.mesh", otherwise a simple shape sized, placed and coloured by
/// the part's slot, so that a dressed character is visible before its models are there.
class PartShapes {
public:
    /// The slot a part sits in: its kind when it names one, else a slot word found in the
    /// item name ("boy_hair_01" is hair), else "body" for the bare look and "other".
    static std::string slotOf(const std::string& kind, const std::string& item);
    /// A child node of `parent` carrying the part's entity (named `entityName`); null (with a
    /// log line) when OGRE refuses it.
    static Ogre::SceneNode* attach(Ogre::SceneManager* scene, Ogre::SceneNode* parent, const std::string& entityName,
                                   const std::string& item, const std::string& kind);
    /// A child node of `parent` carrying the document's shape in its size and colour, standing
    /// on the node's origin; null (with a log line) when OGRE refuses it.
    static Ogre::SceneNode* attachShape(Ogre::SceneManager* scene, Ogre::SceneNode* parent,
                                        const std::string& entityName, const SceneDocument& document);
    /// A name no other node or entity of the process has, made from `base`: entity names are
    /// global to an OGRE scene, and nodes made without a name all have the empty one.
    static std::string uniqueName(const std::string& base);
    /// Destroys the node made by attach, its entities and its child nodes.
    static void detach(Ogre::SceneManager* scene, Ogre::SceneNode* node);
};

} // namespace core
} // namespace kavri3D
