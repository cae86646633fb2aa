#include "rooms/BasicRoom.h"

#include <CEGUI/CEGUI.h>
#include <Ogre.h>
#include <core/GuiSystem.h>
#include <cstdio>
#include <data/ZRKSession.h>
#include <gui/IGuiAnimator.h>
#include <gui/IGuiManager.h>
#include <scene/GrafixScene.h>
#include <scene/ProductManager.h>
#include <yake/Time.h>

#include "rooms/CeguiWidgets.h"
#include "rooms/RoleManager.h"
#include "services/GameServices.h"
#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

const char* const BasicRoom::kDefaultColours = "tl:FF00FF00 tr:FF00FF00 bl:FF00FF00 br:FF00FF00";

namespace {

// Effect items of every room are numbered in one run-wide sequence.
unsigned gEffectCounter = 1;

// A queue that keeps answering ids every call would hang the frame; no frame needs more.
const int kMaxEventIdsPerFrame = 256;

// Pixels a pop-up's dark copy stands off the number.
const float kShadow = 2.0f;

float now() { return static_cast<float>(yake::native::getTime()); }

void setPlain(CEGUI::Window* w)
{
    w->setProperty("FrameEnabled", "False");
    w->setProperty("BackgroundEnabled", "False");
    w->setProperty("MousePassThroughEnabled", "True");
}

CEGUI::UDim px(float offset) { return CEGUI::UDim(0, offset); }

/// A directional light without shadows on a node of its own under the root, turned to `facing`.
Ogre::Light* createLight(Ogre::SceneManager& sm, const std::string& name, const Ogre::Quaternion& facing,
                         Ogre::SceneNode*& node)
{
    node = sm.getRootSceneNode()->createChildSceneNode(name);
    node->setOrientation(facing);
    Ogre::Light* light = sm.createLight(name);
    light->setType(Ogre::Light::LT_DIRECTIONAL);
    light->setCastShadows(false);
    node->attachObject(light);
    return light;
}

} // namespace

BasicRoom::BasicRoom() = default;

BasicRoom::~BasicRoom()
{
    // A room dropped while its scene is shown takes it down, so no window, light or
    // registration outlives it.
    if (hasScene())
        BasicRoom::destroyScene();
    RoleManager* roles = RoleManager::getSingletonPtr();
    if (roles && roles->getRoom() == this)
        roles->setRoom(nullptr);
}

ZRKSession* BasicRoom::session() { return GameServices::session(); }

core::BasicSite* BasicRoom::getDefaultSite() const { return mScene ? mScene->getDefaultSite() : nullptr; }

CEGUI::Window* BasicRoom::popupWindow(std::size_t index) const
{
    return index < mPopups.size() && CeguiWidgets::alive(mPopups[index].window) ? mPopups[index].window : nullptr;
}

bool BasicRoom::popupInfo(std::size_t index, std::string& text, Ogre::Vector3& anchor, float& showAt) const
{
    if (index >= mPopups.size())
        return false;
    text = mPopups[index].text;
    anchor = mPopups[index].anchor;
    showAt = mPopups[index].showAt;
    return true;
}

void BasicRoom::createScene()
{
    core::GrafixClientState::createScene();
    mScene.reset(new core::GrafixScene(getSceneManager(), getName().empty() ? "room" : getName()));

    if (ZRKSession* s = session()) {
        s->setMsgRoomSceneCallback(this);
        mConnectionSignal = s->subscribeToConnectionSignal(
            [this](core::ISession* from, int state) { onConnectionChanged(from, state); });
    }

    createLights();

    mGuiManager = nullptr;
    mGuiFrameObject = nullptr;
    mGuiManager = GameServices::guiManager();
    if (mGuiManager)
        mGuiFrameObject = mGuiManager->getAnimator();
    else
        writeLog(kLogTrace, "room", "no GUI manager: the GUI is not stepped in " + getName());
}

void BasicRoom::createLights()
{
    try {
        Ogre::SceneManager* sm = getSceneManager();
        if (!sm) {
            writeLog(kLogTrace, "room", "no scene: no lights in " + getName());
            return;
        }
        if (mMainLightsEnabled) {
            const std::string prefix = (getName().empty() ? std::string("room") : getName()) + "/";
            const Ogre::ColourValue diffuse(1.f, 1.f, 0.8f, 1.f), specular(1.f, 1.f, 1.f, 1.f);
            // The main light shines into the scene (-Z), the back light out of it: its node
            // makes an exact half turn about the up axis.
            mMainLight = createLight(*sm, prefix + "mainLight", Ogre::Quaternion::IDENTITY, mMainLightNode);
            mBackLight = createLight(*sm, prefix + "backLight", Ogre::Quaternion(0, 0, 1, 0), mBackLightNode);
            for (Ogre::Light* light : {mMainLight, mBackLight}) {
                light->setDiffuseColour(diffuse);
                light->setSpecularColour(specular);
            }
        }
        sm->setAmbientLight(Ogre::ColourValue(1.f, 1.f, 0.8f, 1.f));
    } catch (const std::exception& e) {
        writeLog(kLogError, "room", "Failed in creating MainLight.");
        writeLog(kLogTrace, "room", e.what());
    }
}

void BasicRoom::destroyLights()
{
    Ogre::SceneManager* sm = getSceneManager();
    for (Ogre::Light** light : {&mMainLight, &mBackLight}) {
        if (*light && sm)
            sm->destroyLight(*light);
        *light = nullptr;
    }
    for (Ogre::SceneNode** node : {&mMainLightNode, &mBackLightNode}) {
        if (*node && sm)
            sm->destroySceneNode(*node);
        *node = nullptr;
    }
}

void BasicRoom::destroyScene()
{
    mGuiManager = nullptr;
    mGuiFrameObject = nullptr;
    mConnectionSignal = boost::signals2::connection();
    if (ZRKSession* s = session())
        s->setMsgRoomSceneCallback(nullptr);
    clearPopups();
    clearEffects();
    destroyLights();
    mScene.reset();
    core::GrafixClientState::destroyScene();
}

void BasicRoom::onFrame(float dt)
{
    core::GrafixClientState::onFrame(dt);
    if (mScene)
        mScene->update(dt);
    if (!mPrefetchSuspended)
        GameServices::tickPrefetch();
    const float t = now();
    try {
        updatePopups(t);
    } catch (const std::exception& e) {
        writeLog(kLogError, "room", std::string("pop-ups not updated: ") + e.what());
    }
    updateEffects(t);
    // A product still missing is only a mark: kept small on screen however near the camera.
    if (core::BasicSite* site = getDefaultSite())
        if (Ogre::Camera* camera = getCamera())
            if (Ogre::Viewport* view = camera->getViewport())
                site->fitPlaceholders(*camera, static_cast<float>(view->getActualHeight()));
    pumpGui(dt);
}

void BasicRoom::pumpGui(float dt)
{
    if (!mGuiFrameObject || !mGuiManager)
        return;
    try {
        if (gui::IEventIdQueue* queue = mGuiManager->getEventIdQueue()) {
            int handled = 0;
            for (int id = queue->next(dt); id != 0 && handled < kMaxEventIdsPerFrame; id = queue->next(dt), ++handled)
                queue->handle(id);
        }
        mGuiFrameObject->update(dt);
    } catch (const std::exception& e) {
        writeLog(kLogError, "room", std::string("GUI step failed: ") + e.what());
    }
}

// Pop-ups.

void BasicRoom::showNumber(int value) { showNumber(value, Ogre::Vector3::ZERO); }

void BasicRoom::showNumber(int value, const Ogre::Vector3& anchor) { showNumber(value, kDefaultColours, anchor); }

void BasicRoom::showNumber(int value, const std::string& colours) { showNumber(value, colours, 0.0f); }

void BasicRoom::showNumber(int value, const std::string& colours, float yOffset)
{
    showNumberEx(value, colours, Ogre::Vector3::ZERO, yOffset, 0.0f);
}

void BasicRoom::showNumber(int value, const std::string& colours, const Ogre::Vector3& anchor)
{
    showNumberEx(value, colours, anchor, 0.0f, 0.0f);
}

void BasicRoom::showNumberEx(int value, const std::string& colours, const Ogre::Vector3& anchor, float yOffset,
                             float delay)
{
    showNumberEx(nullptr, value, colours, anchor, yOffset, delay);
}

void BasicRoom::showNumberEx(CEGUI::Window* image, int value, const std::string& colours, const Ogre::Vector3& anchor,
                             float yOffset, float delay)
{
    showText(image, (value >= 1 ? "+" : "") + std::to_string(value), colours, anchor, yOffset, delay);
}

void BasicRoom::showText(CEGUI::Window* image, const std::string& text, const std::string& colours,
                         const Ogre::Vector3& anchor, float yOffset, float delay)
{
    core::GuiSystem* guiSystem = core::GuiSystem::getSingletonPtr();
    CEGUI::Window* sheet = guiSystem ? guiSystem->getRootWindow() : nullptr;
    if (!CEGUI::System::getSingletonPtr() || !CeguiWidgets::alive(sheet)) {
        writeLog(kLogTrace, "room", "no GUI sheet: pop-up \"" + text + "\" not shown");
        return;
    }
    CEGUI::Window* outer = nullptr;
    try {
        CEGUI::WindowManager& wm = CEGUI::WindowManager::getSingleton();
        outer = wm.createWindow(CeguiWidgets::widgetType("StaticImage"));
        setPlain(outer);
        CEGUI::Window* label = wm.createWindow(CeguiWidgets::widgetType("StaticText"));
        setPlain(label);
        CEGUI::FontManager& fonts = CEGUI::FontManager::getSingleton();
        if (fonts.isDefined("ArialBlack-30"))
            label->setFont("ArialBlack-30");
        label->setProperty("TextColours", CeguiWidgets::utf8(colours));
        label->setText(CeguiWidgets::utf8(text));
        const CEGUI::Font* font = label->getFont(true);
        const float w =
            font ? static_cast<float>(static_cast<int>(font->getTextExtent(label->getText(), 1.0f)) + 10) : 10.f;
        const float h = font ? font->getLineSpacing(1.0f) : 20.f;
        // A dark copy a little below and to the right: the number reads on a blast of its own
        // colour as on the sky.
        CEGUI::Window* shadow = wm.createWindow(CeguiWidgets::widgetType("StaticText"));
        setPlain(shadow);
        shadow->setFont(label->getFont());
        shadow->setProperty("TextColours", "tl:E0000000 tr:E0000000 bl:E0000000 br:E0000000");
        shadow->setText(label->getText());
        shadow->setSize(CEGUI::USize(px(w), px(h)));
        shadow->setClippedByParent(false);
        if (CeguiWidgets::alive(image)) {
            setPlain(image);
            image->setSize(CEGUI::USize(px(h), px(h)));
            outer->addChild(image);
            shadow->setPosition(CEGUI::UVector2(px(h + 5 + kShadow), px(kShadow)));
            label->setPosition(CEGUI::UVector2(px(h + 5), px(0)));
            label->setSize(CEGUI::USize(px(w), px(h)));
            label->setClippedByParent(false);
            outer->setSize(CEGUI::USize(px(w + h + 5 + kShadow), px(h + kShadow)));
            image->addChild(label);
            image->addChild(shadow);
        } else {
            shadow->setPosition(CEGUI::UVector2(px(kShadow), px(kShadow)));
            label->setSize(CEGUI::USize(px(w), px(h)));
            outer->setSize(CEGUI::USize(px(w + kShadow), px(h + kShadow)));
            outer->addChild(label);
            outer->addChild(shadow);
        }
        shadow->moveToBack(); // drawn under the number
        sheet->addChild(outer);
        if (delay > 0.001f)
            outer->hide();
    } catch (const std::exception& e) {
        writeLog(kLogError, "room", std::string("pop-up not shown: ") + e.what());
        CeguiWidgets::destroy(outer);
        return;
    }
    mPopups.push_back(TextPopup{outer, anchor, anchor != Ogre::Vector3::ZERO, now() + delay, yOffset, text});
}

void BasicRoom::updatePopups(float t)
{
    std::size_t expiredAtFront = 0;
    bool metLive = false;
    for (TextPopup& p : mPopups) {
        if (t - p.showAt > kPopupSeconds) {
            CeguiWidgets::destroy(p.window);
            if (!metLive)
                ++expiredAtFront;
        } else {
            metLive = true;
            if (t - p.showAt > 0.001f && CeguiWidgets::alive(p.window))
                p.window->show();
        }
    }
    mPopups.erase(mPopups.begin(), mPopups.begin() + static_cast<std::ptrdiff_t>(expiredAtFront));
    if (mPopups.empty())
        return;

    Ogre::Camera* camera = getCamera();
    core::GuiSystem* guiSystem = core::GuiSystem::getSingletonPtr();
    if (!camera || !guiSystem || !CeguiWidgets::alive(guiSystem->getRootWindow()))
        return; // the texts keep their places for this frame
    float screenW = 800, screenH = 600;
    const CEGUI::Rectf sheet = guiSystem->getRootWindow()->getUnclippedOuterRect().get();
    screenW = static_cast<float>(static_cast<int>(sheet.getWidth() + 0.5f));
    screenH = static_cast<float>(static_cast<int>(sheet.getHeight() + 0.5f));

    for (TextPopup& p : mPopups) {
        if (!CeguiWidgets::alive(p.window))
            continue;
        float fx = 0.5f, fy = 0.5f;
        if (p.anchored) {
            if (!camera->isVisible(p.anchor)) {
                p.window->setPosition(CEGUI::UVector2(CEGUI::UDim(-1, 0), CEGUI::UDim(-1, 0)));
                continue;
            }
            const Ogre::Vector4 clip = camera->getProjectionMatrix() *
                                       (camera->getViewMatrix() * Ogre::Vector4(p.anchor.x, p.anchor.y, p.anchor.z, 1));
            fx = 0.5f * (clip.x / clip.w) + 0.5f;
            fy = 0.5f * (clip.y / clip.w) + 0.5f;
        }
        if (screenW != 0 && screenH != 0) {
            const float wr = p.window->getWidth().d_offset / screenW;
            const float hr = p.window->getHeight().d_offset / screenH;
            fx -= wr / 2;
            fy += p.yOffset + hr + 0.1f * (t - p.showAt);
        }
        p.window->setPosition(CEGUI::UVector2(CEGUI::UDim(fx, 0), CEGUI::UDim(1 - fy, 0)));
    }
}

void BasicRoom::clearPopups()
{
    for (TextPopup& p : mPopups)
        CeguiWidgets::destroy(p.window);
    mPopups.clear();
}

// Scene effects.

long BasicRoom::addSceneEffect(const std::string& tag, const std::string& resource, float lifetime,
                               const Ogre::Quaternion& orientation, const Ogre::Vector3& scale,
                               const Ogre::Vector3& position)
{
    SceneEffect e;
    e.orientation = orientation;
    e.position = position;
    e.scale = scale;
    e.tag = tag;
    e.resource = resource;
    return addEffect(e, lifetime);
}

long BasicRoom::addSceneEffect(const std::string& resource, float lifetime, const Ogre::Quaternion& orientation,
                               const Ogre::Vector3& scale, const Ogre::Vector3& position)
{
    return addSceneEffect(std::string(), resource, lifetime, orientation, scale, position);
}

long BasicRoom::addSceneEffectAtNode(const std::string& tag, const std::string& resource, float lifetime,
                                     const std::string& nodeName, bool follow)
{
    Ogre::SceneNode* node = findNode(nodeName);
    if (!node)
        return -1;
    SceneEffect e;
    e.orientation = node->_getDerivedOrientation();
    e.position = node->_getDerivedPosition();
    e.scale = node->_getDerivedScale();
    if (follow)
        e.followNode = nodeName;
    e.tag = tag;
    e.resource = resource;
    return addEffect(e, lifetime);
}

long BasicRoom::addEffect(SceneEffect effect, float lifetime)
{
    effect.expiry = lifetime <= 0 ? lifetime : now() + lifetime;
    effect.itemId = -1;
    if (!placeEffect(effect)) {
        removeEffectItem(effect);
        return -1;
    }
    mSceneEffects.push_back(effect);
    return effect.itemId;
}

bool BasicRoom::placeEffect(SceneEffect& effect)
{
    core::BasicSite* site = getDefaultSite();
    if (!site)
        return false;
    if (effect.itemId != -1)
        return true;
    core::ProductManager::DocumentPtr doc = core::ProductManager::instance().lookup(effect.resource, true);
    if (!doc) {
        GameServices::prefetchNow(effect.resource);
        return false;
    }
    char name[32];
    std::snprintf(name, sizeof name, "__event_eff%08X", gEffectCounter);
    ++gEffectCounter;
    effect.itemName = name;
    effect.itemId = site->addRoomOrFurnish(effect.itemName, doc, std::string(), false);
    if (effect.itemId == -1)
        return false;
    return applyTransform(effect, false);
}

Ogre::SceneNode* BasicRoom::findNode(const std::string& name) const
{
    Ogre::SceneManager* sm = getSceneManager();
    try {
        return sm && !name.empty() && sm->hasSceneNode(name) ? sm->getSceneNode(name) : nullptr;
    } catch (const std::exception&) {
        return nullptr;
    }
}

bool BasicRoom::applyTransform(SceneEffect& effect, bool follow)
{
    if (effect.itemId == -1)
        return false;
    if (follow && !effect.followNode.empty()) {
        Ogre::SceneNode* node = findNode(effect.followNode);
        if (!node)
            return false;
        effect.orientation = node->_getDerivedOrientation();
        effect.position = node->_getDerivedPosition();
        effect.scale = node->_getDerivedScale();
    }
    core::BasicSite* site = getDefaultSite();
    if (Ogre::SceneNode* item = site ? site->getItemNode(effect.itemId, std::string()) : nullptr) {
        item->setOrientation(effect.orientation);
        item->setScale(effect.scale);
        item->setPosition(effect.position);
    }
    return true;
}

void BasicRoom::removeEffectItem(SceneEffect& effect)
{
    core::BasicSite* site = getDefaultSite();
    if (effect.itemId != -1 && site)
        site->remove(effect.itemId);
    effect.resource.clear();
    effect.itemName.clear();
    effect.itemId = -1;
}

void BasicRoom::updateEffects(float t)
{
    for (auto it = mSceneEffects.begin(); it != mSceneEffects.end();) {
        const bool expired = it->expiry > 0 && it->expiry < t;
        // A followed node that is gone takes its effect with it, as expiry does.
        const bool lostNode = !expired && !it->followNode.empty() && !it->resource.empty() && it->itemId != -1 &&
                              !applyTransform(*it, true);
        if (expired || lostNode) {
            removeEffectItem(*it);
            it = mSceneEffects.erase(it);
        } else {
            ++it;
        }
    }
}

void BasicRoom::removeSceneEffect(long itemId)
{
    for (auto it = mSceneEffects.begin(); it != mSceneEffects.end(); ++it)
        if (it->itemId == itemId) {
            removeEffectItem(*it);
            mSceneEffects.erase(it);
            return;
        }
}

void BasicRoom::removeSceneEffectsByTag(const std::string& tag)
{
    for (auto it = mSceneEffects.begin(); it != mSceneEffects.end();) {
        if (it->tag == tag) {
            removeEffectItem(*it);
            it = mSceneEffects.erase(it);
        } else {
            ++it;
        }
    }
}

void BasicRoom::clearEffects()
{
    for (SceneEffect& e : mSceneEffects)
        removeEffectItem(e);
    mSceneEffects.clear();
}

} // namespace zrk
} // namespace kavri3D
