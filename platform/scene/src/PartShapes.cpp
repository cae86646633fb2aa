#include "scene/PartShapes.h"

#include <Ogre.h>
#include <algorithm>
#include <cstdint>
#include <yake/Logger.h>

namespace kavri3D {
namespace core {

namespace {
using yake::logging::Severity;
const yake::logging::Channel logLine("scene");

struct Shape {
    const char* slot;
    bool sphere;
    float scale[3];  // of the 100-unit prefab
    float offset[3]; // from the figure's feet
    float colour[3];

    Ogre::Vector3 scaleVector() const { return Ogre::Vector3(scale[0], scale[1], scale[2]); }
    Ogre::Vector3 offsetVector() const { return Ogre::Vector3(offset[0], offset[1], offset[2]); }
    Ogre::ColourValue colourValue() const { return Ogre::ColourValue(colour[0], colour[1], colour[2]); }
};

// A figure about 85 units tall: shoes, body, coat, arms, back, face and hair.
const Shape kShapes[] = {
    {"body", false, {0.30f, 0.50f, 0.18f}, {0, 33, 0}, {0.85f, 0.70f, 0.55f}},
    {"suite", false, {0.36f, 0.56f, 0.24f}, {0, 36, 0}, {0.20f, 0.35f, 0.85f}},
    {"coat", false, {0.36f, 0.32f, 0.24f}, {0, 46, 0}, {0.85f, 0.20f, 0.20f}},
    {"shoes", false, {0.34f, 0.09f, 0.26f}, {0, 4.5f, 2}, {0.25f, 0.15f, 0.10f}},
    {"glove", false, {0.56f, 0.08f, 0.10f}, {0, 50, 0}, {0.95f, 0.85f, 0.30f}},
    {"hand", false, {0.10f, 0.30f, 0.10f}, {24, 38, 6}, {0.60f, 0.60f, 0.65f}},
    {"back", false, {0.26f, 0.30f, 0.08f}, {0, 48, -16}, {0.30f, 0.70f, 0.30f}},
    {"face", true, {0.24f, 0.24f, 0.24f}, {0, 72, 0}, {1.00f, 0.82f, 0.65f}},
    {"hair", true, {0.27f, 0.14f, 0.27f}, {0, 80, -1}, {0.35f, 0.20f, 0.08f}},
    {"eye", true, {0.14f, 0.04f, 0.04f}, {0, 74, 11}, {0.10f, 0.10f, 0.10f}},
    {"mouth", true, {0.08f, 0.03f, 0.03f}, {0, 66, 11}, {0.80f, 0.20f, 0.25f}},
    {"bracelet", true, {0.08f, 0.08f, 0.08f}, {-24, 40, 4}, {0.95f, 0.80f, 0.20f}},
    {"ring", true, {0.05f, 0.05f, 0.05f}, {24, 28, 6}, {0.95f, 0.80f, 0.20f}},
    {"effect", true, {0.20f, 0.20f, 0.20f}, {0, 10, 0}, {1.00f, 0.60f, 0.10f}},
    {"other", true, {0.10f, 0.10f, 0.10f}, {0, 90, 0}, {0.80f, 0.80f, 0.80f}},
};

// Equipment kinds and item-name words to the slot their shape is drawn in; checked in order.
const char* const kSlotWords[][2] = {
    {"suite", "suite"}, {"coat", "coat"}, {"shoes", "shoes"},       {"glove", "glove"}, {"hand", "hand"},
    {"back", "back"},   {"hair", "hair"}, {"face", "face"},         {"looks", "face"},  {"eye", "eye"},
    {"mouth", "mouth"}, {"ring", "ring"}, {"bracelet", "bracelet"}, {"eff", "effect"},  {"body", "body"},
    {"boy", "body"},    {"girl", "body"},
};

const Shape& shapeOf(const std::string& slot)
{
    for (const Shape& s : kShapes)
        if (slot == s.slot)
            return s;
    return kShapes[sizeof kShapes / sizeof kShapes[0] - 1];
}

// Tints that set one item of a slot apart from another (two hair choices look different).
const float kTints[][3] = {{1.0f, 1.0f, 1.0f},    {0.95f, 0.35f, 0.30f}, {0.30f, 0.55f, 0.95f},
                           {0.35f, 0.85f, 0.40f}, {0.95f, 0.80f, 0.25f}, {0.70f, 0.40f, 0.90f}};

/// FNV-1a: the same item gets the same tint on every run.
std::size_t itemHash(const std::string& item)
{
    std::uint32_t h = 2166136261u;
    for (unsigned char c : item) {
        h ^= c;
        h *= 16777619u;
    }
    return h;
}

std::string materialFor(const Shape& shape, const std::string& item)
{
    const std::string name = std::string("kavri/part/") + shape.slot + "/" + item;
    Ogre::MaterialManager& mm = Ogre::MaterialManager::getSingleton();
    if (mm.resourceExists(name, Ogre::RGN_DEFAULT))
        return name;
    // The slot's colour, shaded by the item: a quarter of its own tint and a lighter or darker
    // step. Skin keeps its hue and changes only a little.
    const std::size_t h = itemHash(item);
    const bool skin = std::string(shape.slot) == "face" || std::string(shape.slot) == "body";
    const float* tint = kTints[h % (sizeof kTints / sizeof kTints[0])];
    const float share = skin ? 0.0f : 0.25f;
    const float step =
        skin ? 0.9f + 0.05f * static_cast<float>((h >> 8) % 5) : 0.7f + 0.1f * static_cast<float>((h >> 8) % 5);
    Ogre::ColourValue colour = shape.colourValue();
    for (int c = 0; c < 3; ++c)
        colour.ptr()[c] = std::min(1.0f, ((1.0f - share) * colour.ptr()[c] + share * tint[c]) * step);
    Ogre::MaterialPtr m = mm.create(name, Ogre::RGN_DEFAULT);
    Ogre::Pass* pass = m->getTechnique(0)->getPass(0);
    pass->setDiffuse(colour);
    pass->setAmbient(colour * 0.6f);
    pass->setSpecular(Ogre::ColourValue(0.2f, 0.2f, 0.2f));
    if (std::string(shape.slot) == "effect")
        pass->setSelfIllumination(colour * 0.5f);
    return name;
}

bool meshAvailable(const std::string& mesh)
{
    try {
        return !mesh.empty() && Ogre::ResourceGroupManager::getSingleton().resourceExistsInAnyGroup(mesh);
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace

std::string PartShapes::uniqueName(const std::string& base)
{
    static unsigned long serial = 0; // process-wide: a name never comes back
    return base + "#" + std::to_string(++serial);
}

std::string PartShapes::slotOf(const std::string& kind, const std::string& item)
{
    for (const std::string& text : {kind, item}) {
        if (text.empty())
            continue;
        for (const auto& word : kSlotWords)
            if (text.find(word[0]) != std::string::npos)
                return word[1];
    }
    return "other";
}

Ogre::SceneNode* PartShapes::attach(Ogre::SceneManager* scene, Ogre::SceneNode* parent, const std::string& entityName,
                                    const std::string& item, const std::string& kind)
{
    if (!scene || !parent)
        return nullptr;
    Ogre::SceneNode* node = nullptr;
    try {
        node = parent->createChildSceneNode();
        Ogre::Entity* entity = nullptr;
        if (meshAvailable(item + ".mesh")) {
            entity = scene->createEntity(entityName, item + ".mesh");
        } else {
            const Shape& shape = shapeOf(slotOf(kind, item));
            entity = scene->createEntity(entityName,
                                         shape.sphere ? Ogre::SceneManager::PT_SPHERE : Ogre::SceneManager::PT_CUBE);
            entity->setMaterialName(materialFor(shape, item));
            node->setPosition(shape.offsetVector());
            node->setScale(shape.scaleVector());
        }
        node->attachObject(entity);
        return node;
    } catch (const std::exception& e) {
        logLine(Severity::Error, "part " + item + " not shown: " + e.what());
        detach(scene, node);
        return nullptr;
    }
}

namespace {
/// A flat arrow in the 100-unit box of the prefabs, pointing along +z: a shaft and a head,
/// 16 units thick. Made once.
std::string arrowMesh()
{
    const std::string name = "kavri/shape/arrow";
    Ogre::MeshManager& meshes = Ogre::MeshManager::getSingleton();
    if (meshes.resourceExists(name, Ogre::RGN_DEFAULT))
        return name;
    // The outline, counter-clockwise seen from above (x right, z towards the viewer's back).
    const float outline[][2] = {{-10, -50}, {10, -50}, {10, 5}, {35, 5}, {0, 50}, {-35, 5}, {-10, 5}};
    const int n = sizeof outline / sizeof outline[0];
    Ogre::ManualObject shape("kavri/shape/arrow/build");
    shape.begin("BaseWhite", Ogre::RenderOperation::OT_TRIANGLE_LIST);
    const auto quad = [&shape](const Ogre::Vector3& a, const Ogre::Vector3& b, const Ogre::Vector3& c,
                               const Ogre::Vector3& d) {
        const Ogre::Vector3 normal = (b - a).crossProduct(c - a).normalisedCopy();
        for (const Ogre::Vector3& p : {a, b, c, a, c, d}) {
            shape.position(p);
            shape.normal(normal);
        }
    };
    // Top and bottom: the shaft, then the head.
    for (float y : {8.0f, -8.0f}) {
        const bool top = y > 0;
        const auto at = [y](int i, const float(*o)[2]) { return Ogre::Vector3(o[i][0], y, o[i][1]); };
        const int shaft[4] = {0, 1, 2, 6};
        const int head[4] = {3, 4, 5, 5};
        if (top) {
            quad(at(shaft[0], outline), at(shaft[3], outline), at(shaft[2], outline), at(shaft[1], outline));
            quad(at(head[0], outline), at(head[2], outline), at(head[1], outline), at(head[1], outline));
        } else {
            quad(at(shaft[0], outline), at(shaft[1], outline), at(shaft[2], outline), at(shaft[3], outline));
            quad(at(head[0], outline), at(head[1], outline), at(head[2], outline), at(head[2], outline));
        }
    }
    for (int i = 0; i < n; ++i) {
        const int j = (i + 1) % n;
        const Ogre::Vector3 a(outline[i][0], -8, outline[i][1]), b(outline[j][0], -8, outline[j][1]);
        quad(a, a + Ogre::Vector3(0, 16, 0), b + Ogre::Vector3(0, 16, 0), b);
    }
    shape.end();
    shape.convertToMesh(name);
    return name;
}
} // namespace

Ogre::SceneNode* PartShapes::attachShape(Ogre::SceneManager* scene, Ogre::SceneNode* parent,
                                         const std::string& entityName, const SceneDocument& document)
{
    if (!scene || !parent)
        return nullptr;
    Ogre::SceneNode* node = nullptr;
    try {
        node = parent->createChildSceneNode();
        const bool sphere = document.shape == "sphere";
        Ogre::Entity* entity =
            document.shape == "arrow"
                ? scene->createEntity(entityName, arrowMesh())
                : scene->createEntity(entityName, sphere ? Ogre::SceneManager::PT_SPHERE : Ogre::SceneManager::PT_CUBE);
        // One material per product: its colour is the product's own.
        const std::string material = "kavri/product/" + document.name;
        Ogre::MaterialManager& mm = Ogre::MaterialManager::getSingleton();
        if (!mm.resourceExists(material, Ogre::RGN_DEFAULT)) {
            const Ogre::ColourValue colour(document.colour[0], document.colour[1], document.colour[2]);
            Ogre::Pass* pass = mm.create(material, Ogre::RGN_DEFAULT)->getTechnique(0)->getPass(0);
            pass->setDiffuse(colour);
            pass->setAmbient(colour * 0.6f);
            pass->setSpecular(Ogre::ColourValue(0.2f, 0.2f, 0.2f));
        }
        entity->setMaterialName(material);
        const Ogre::Vector3 size(document.size[0], document.size[1], document.size[2]);
        node->setScale(size);
        // The prefabs are centred: half the height up, so the shape stands on the origin.
        node->setPosition(0, 50 * size.y, 0);
        node->attachObject(entity);
        return node;
    } catch (const std::exception& e) {
        logLine(Severity::Error, "product " + document.name + " not shown: " + e.what());
        detach(scene, node);
        return nullptr;
    }
}

void PartShapes::detach(Ogre::SceneManager* scene, Ogre::SceneNode* node)
{
    if (!scene || !node)
        return;
    const Ogre::SceneNode::ChildNodeMap children = node->getChildren(); // destroying a child edits the list
    for (Ogre::Node* child : children)
        detach(scene, static_cast<Ogre::SceneNode*>(child));
    while (node->numAttachedObjects() > 0) {
        Ogre::MovableObject* object = node->detachObject(static_cast<unsigned short>(0));
        scene->destroyMovableObject(object);
    }
    scene->destroySceneNode(node);
}

} // namespace core
} // namespace kavri3D
