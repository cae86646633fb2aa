#include "rooms/CreateCharRoom.h"

#include <Ogre.h>
#include <algorithm>
#include <core/AudioManager.h>
#include <core/BlackBoard.h>
#include <core/ClientStateTable.h>
#include <gui/EventId.h>
#include <gui/IEventDispatcher.h>
#include <gui/IGuiManager.h>
#include <json/value.h>
#include <misc/Equipment.h>
#include <scene/BasicSite.h>
#include <scene/DefaultProductResolver.h>
#include <scene/SceneDocumentCache.h>
#include <util/StringConv.h>

#include "rooms/BackgroundScene.h"
#include "rooms/RoleManager.h"
#include "rooms/ZRKRoleRes.h"
#include "services/GameServices.h"
#include "services/LogRoutine.h"

KAVRI_SINGLETON_DEFINE(kavri3D::zrk::CreateCharRoom);

namespace kavri3D {
namespace zrk {

const float CreateCharRoom::kCameraPosition[3] = {-11.984f, 14.7f, 90.024f};
const float CreateCharRoom::kCameraTarget[3] = {-12.257f, 13.116f, 79.52f};
const char* const CreateCharRoom::kSceneItem = "loading_scence";
const char* const CreateCharRoom::kMusicFile = "music_bg0.mp3";

namespace {
// The music plays as this kind of sound, at the volume of channel 0.
const int kMusicKind = 6;
// The camera looks this far above the figure's feet.
const float kLookLift = 2.0f;
const char* const kPreviewRole = "createchar";

/// Entry i of "Loading1ST"; false when it is missing or no vector.
bool placeFromDocument(unsigned i, float out[3])
{
    const ZRKRoleRes* res = GameServices::roleResources();
    const Json::Value& doc = res ? res->getDefState() : Json::Value::nullSingleton();
    if (!doc.isObject() || !doc["Loading1ST"].isArray() || doc["Loading1ST"].size() <= i)
        return false;
    const Json::Value& entry = doc["Loading1ST"][i];
    return entry.isString() && core::parseVector3(entry.asString(), out);
}
} // namespace

CreateCharRoom::CreateCharRoom() { setName(core::ClientStateTable::kCreateChar); }

CreateCharRoom::~CreateCharRoom()
{
    // The base can only take down its own part; the figure and the music go here.
    if (hasScene())
        CreateCharRoom::destroyScene();
}

void CreateCharRoom::createScene()
{
    BasicRoom::createScene();
    // The portraits are not shown while a character is made; a scene never built stays unbuilt.
    if (BackgroundScene* background = BackgroundScene::getSingletonPtr())
        background->destroyScene();
    mOwnGuiManager = GameServices::guiManager();
    mOwnAnimator = mOwnGuiManager ? mOwnGuiManager->getAnimator() : nullptr;

    core::BasicSite* site = getDefaultSite();
    if (site) {
        core::EquipmentList items;
        items.push_back(core::Equipment(kSceneItem));
        site->loadItems(items);
        site->getDesc().setRealVal("loader/frame", 999999.0);
    }
    lockCamera(true);
    placeCamera();
    if (site)
        mLoadConnection = site->subscribeToLoadSignal([this](const std::string& item) { onSceneLoaded(item); });
    else
        writeLog(kLogWarning, "room", "no default site: the creation scene does not load");

    if (core::AudioManager* audio = core::AudioManager::getSingletonPtr()) {
        core::BlackBoard* board = core::BlackBoard::getSingletonPtr();
        const std::string path = (board ? board->getString("kavri3D/appPath", "") : std::string()) + kMusicFile;
        mMusicId = audio->playSound(path, kMusicKind, core::DefaultAudioHelper::getVolume(0));
        GameServices::followSound(mMusicId, true);
    }
}

void CreateCharRoom::placeCamera()
{
    float position[3], target[3];
    if (!placeFromDocument(0, position) || !placeFromDocument(1, target)) {
        std::copy(kCameraPosition, kCameraPosition + 3, position);
        std::copy(kCameraTarget, kCameraTarget + 3, target);
    }
    std::copy(target, target + 3, mTarget);
    Ogre::Camera* camera = getCamera();
    Ogre::SceneNode* node = camera ? camera->getParentSceneNode() : nullptr;
    if (!node)
        return;
    node->setOrientation(Ogre::Quaternion::IDENTITY);
    node->setPosition(position[0], position[1], position[2]);
    node->setFixedYawAxis(true, Ogre::Vector3::UNIT_Y);
    node->lookAt(Ogre::Vector3(target[0], target[1] + kLookLift, target[2]), Ogre::Node::TS_WORLD);
}

void CreateCharRoom::onSceneLoaded(const std::string&)
{
    if (!hasScene() || !getScene())
        return;
    mSceneLoaded = true;
    RoleManager& roles = RoleManager::instance();
    roles.setRoom(this);
    ZRKRolePtr role = roles.createRole(kPreviewRole, getScene());
    role->setPosition(mTarget[0], mTarget[1], mTarget[2]);
    gui::IEventDispatcher* dispatcher = mOwnGuiManager ? mOwnGuiManager->getEventDispatcher() : nullptr;
    if (!dispatcher) {
        writeLog(kLogWarning, "room", "no GUI manager: the creation screen is not shown");
        return;
    }
    try {
        dispatcher->raise(gui::EventId::CreateCharSceneReady);
    } catch (const std::exception& e) {
        writeLog(kLogError, "room", std::string("the creation screen could not be told: ") + e.what());
    }
}

void CreateCharRoom::onFrame(float dt)
{
    if (mSceneLoaded) {
        RoleManager& roles = RoleManager::instance();
        roles.update(dt);
        if (ZRKRolePtr role = roles.getRole(kPreviewRole))
            role->update();
    }
    BasicRoom::onFrame(dt);
}

void CreateCharRoom::destroyScene()
{
    mLoadConnection = boost::signals2::connection();
    if (mMusicId != -1) {
        if (core::AudioManager* audio = core::AudioManager::getSingletonPtr())
            audio->destroySound(static_cast<int>(mMusicId));
        GameServices::followSound(mMusicId, false);
        mMusicId = -1;
    }
    if (RoleManager* roles = RoleManager::getSingletonPtr())
        roles->removeRole(kPreviewRole);
    BasicRoom::destroyScene();
    if (core::SceneDocumentCache* documents = core::DefaultProductResolver::getDocumentCache()) {
        documents->maintenance();
        if (documents->size() != 0)
            writeLog(kLogError, "ZRKLand", "using documents in cache.");
    }
    mSceneLoaded = false;
    mOwnGuiManager = nullptr;
    mOwnAnimator = nullptr;
}

} // namespace zrk
} // namespace kavri3D
