#include "rooms/GuiPicture.h"

#include <CEGUI/CEGUI.h>
#include <CEGUI/RendererModules/Ogre/Renderer.h>
#include <Ogre.h>
#include <gui/IGuiManager.h>

#include "rooms/CeguiWidgets.h"
#include "rooms/SnapShotEx.h"
#include "rooms/SnapShotManager.h"
#include "services/GameServices.h"
#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

namespace {
CEGUI::OgreRenderer* ogreRenderer()
{
    CEGUI::System* system = CEGUI::System::getSingletonPtr();
    return system ? dynamic_cast<CEGUI::OgreRenderer*>(system->getRenderer()) : nullptr;
}
} // namespace

GuiPicture::~GuiPicture() { takeBack(); }

bool GuiPicture::give(const std::string& snapshotName, const std::string& imageName, gui::IGuiManager* manager)
{
    return give(SnapShotManager::instance().find(snapshotName), imageName, manager);
}

bool GuiPicture::give(core::SnapShotEx* snapshot, const std::string& imageName, gui::IGuiManager* manager)
{
    takeBack();
    Ogre::Texture* texture = snapshot ? snapshot->getTexture() : nullptr;
    CEGUI::OgreRenderer* renderer = ogreRenderer();
    if (!texture || !renderer)
        return false;
    try {
        const CEGUI::String name = CeguiWidgets::utf8(texture->getName());
        if (renderer->isTextureDefined(name))
            renderer->destroyTexture(name);
        Ogre::TexturePtr shared =
            Ogre::TextureManager::getSingleton().getByName(texture->getName(), texture->getGroup());
        CEGUI::Texture& gui = renderer->createTexture(name, shared, false);
        mTextureName = texture->getName();
        mImageName = imageName;
        if (manager)
            manager->setImage(CeguiWidgets::utf8(imageName), &gui);
        return true;
    } catch (const std::exception& e) {
        writeLog(kLogError, "SnapShotManager", "picture " + imageName + " not handed to the GUI: " + e.what());
        takeBack();
        return false;
    }
}

void GuiPicture::takeBack()
{
    if (!mImageName.empty()) {
        // The manager asked anew: the one given the image may have been unloaded since, and
        // its images with it.
        if (gui::IGuiManager* manager = GameServices::guiManager()) {
            try {
                manager->setImage(CeguiWidgets::utf8(mImageName), nullptr);
            } catch (const std::exception& e) {
                writeLog(kLogError, "SnapShotManager", "image " + mImageName + " not taken back: " + e.what());
            }
        }
        mImageName.clear();
    }
    if (!mTextureName.empty()) {
        CEGUI::OgreRenderer* renderer = ogreRenderer();
        const CEGUI::String name = CeguiWidgets::utf8(mTextureName);
        if (renderer && renderer->isTextureDefined(name))
            renderer->destroyTexture(name);
        mTextureName.clear();
    }
}

void GuiPicture::frame(core::SnapShotEx* snapshot, const Ogre::Vector3& eye, const Ogre::Vector3& target,
                       const Ogre::ColourValue& background)
{
    if (!snapshot)
        return;
    if (Ogre::Viewport* view = snapshot->getViewport())
        view->setBackgroundColour(background);
    Ogre::Camera* camera = snapshot->getCamera();
    Ogre::SceneNode* node = camera ? camera->getParentSceneNode() : nullptr;
    if (!node)
        return;
    node->setPosition(eye);
    node->lookAt(target, Ogre::Node::TS_WORLD);
}

} // namespace zrk
} // namespace kavri3D
