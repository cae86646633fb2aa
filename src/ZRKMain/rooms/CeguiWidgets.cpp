#include "rooms/CeguiWidgets.h"

#include <CEGUI/CEGUI.h>
#include <vector>
#include <CEGUI/RendererModules/Ogre/Renderer.h>
#include <Ogre.h>
#include <core/GraphicsSystem.h>
#include <text/CeguiText.h>

namespace kavri3D {
namespace zrk {

CEGUI::String CeguiWidgets::utf8(const std::string& text) { return gui::toCeguiString(text); }

CEGUI::String CeguiWidgets::widgetType(const char* widget)
{
    const CEGUI::String own = CEGUI::String("Kavri3DLook/") + widget;
    CEGUI::WindowFactoryManager& f = CEGUI::WindowFactoryManager::getSingleton();
    return f.isFactoryPresent(own) || f.isFalagardMappedType(own) ? own : CEGUI::String("TaharezLook/") + widget;
}

std::string CeguiWidgets::imageName(const std::string& imageset, const std::string& image)
{
    return imageset + "/" + image;
}

void CeguiWidgets::setDefaultCursor(const std::string& imageset, const std::string& image)
{
    CEGUI::System* system = CEGUI::System::getSingletonPtr();
    CEGUI::ImageManager* images = CEGUI::ImageManager::getSingletonPtr();
    if (!system || !images)
        return;
    CEGUI::MouseCursor& cursor = system->getDefaultGUIContext().getMouseCursor();
    if (imageset.empty()) {
        cursor.setDefaultImage(nullptr);
        return;
    }
    // The game's look when its set is loaded, else the framework's own picture of that name.
    CEGUI::String name = utf8(imageName(imageset, image));
    if (!images->isDefined(name))
        name = utf8(imageName("TaharezLook", image));
    cursor.setDefaultImage(images->isDefined(name) ? &images->get(name) : nullptr);
}

bool CeguiWidgets::alive(const CEGUI::Window* window)
{
    return window && CEGUI::WindowManager::getSingletonPtr() && CEGUI::WindowManager::getSingleton().isAlive(window);
}

void CeguiWidgets::destroy(CEGUI::Window*& window)
{
    if (alive(window))
        CEGUI::WindowManager::getSingleton().destroyWindow(window);
    window = nullptr;
}

CEGUI::Window* CeguiWidgets::child(CEGUI::Window* parent, const std::string& path)
{
    const CEGUI::String name = utf8(path);
    return alive(parent) && parent->isChild(name) ? parent->getChild(name) : nullptr;
}

bool CeguiWidgets::setImage(CEGUI::Window* window, const std::string& image)
{
    if (!alive(window))
        return false;
    CEGUI::ImageManager* images = CEGUI::ImageManager::getSingletonPtr();
    const CEGUI::String name = utf8(image);
    const bool known = images && !image.empty() && images->isDefined(name);
    window->setProperty("Image", known ? name : CEGUI::String());
    return known;
}

const char* const CeguiWidgets::kGroup = "General";

void CeguiWidgets::loadImageset(const std::string& file)
{
    CEGUI::ImageManager::getSingleton().loadImageset(utf8(file), kGroup);
}

std::string CeguiWidgets::addImageFile(const std::string& imageset, const std::string& file)
{
    const std::string image = imageName(imageset, "full_image");
    // A picture only the fuller codec reads brings it in now (the engine starts without it).
    if (core::GraphicsSystem* graphics = core::GraphicsSystem::getSingletonPtr())
        graphics->preparePictureCodec(file);
    CEGUI::System* system = CEGUI::System::getSingletonPtr();
    if (!system || !dynamic_cast<CEGUI::OgreRenderer*>(system->getRenderer())) {
        // No engine under the GUI (the tests' own renderer): the GUI reads the file itself.
        try {
            CEGUI::ImageManager::getSingleton().addFromImageFile(utf8(image), utf8(file), kGroup);
        } catch (const std::exception&) {
            destroyImageset(imageset); // a texture made before the failure goes too
            throw;
        }
        return image;
    }
    // Read where the GUI reads its files, decoded by the engine, which lets go of the pixels
    // once they are on the texture.
    CEGUI::ResourceProvider* files = system->getResourceProvider();
    CEGUI::RawDataContainer data;
    files->loadRawDataContainer(utf8(file), data, kGroup);
    Ogre::Image picture;
    try {
        Ogre::DataStreamPtr stream(new Ogre::MemoryDataStream(data.getDataPtr(), data.getSize(), false, true));
        std::string type = file.substr(file.find_last_of('.') + 1);
        Ogre::StringUtil::toLowerCase(type);
        picture.load(stream, type);
    } catch (...) {
        files->unloadRawDataContainer(data);
        throw;
    }
    files->unloadRawDataContainer(data);
    addPicture(image, picture.getPixelBox());
    return image;
}

void CeguiWidgets::addPicture(const std::string& image, const Ogre::PixelBox& pixels)
{
    CEGUI::System& system = CEGUI::System::getSingleton();
    const CEGUI::String name = utf8(image);
    const CEGUI::Sizef size(static_cast<float>(pixels.getWidth()), static_cast<float>(pixels.getHeight()));
    CEGUI::Texture* texture = nullptr;
    if (auto* ogre = dynamic_cast<CEGUI::OgreRenderer*>(system.getRenderer())) {
        Ogre::TextureManager& textures = Ogre::TextureManager::getSingleton();
        Ogre::TexturePtr engineTexture =
            textures.createManual(image, kGroup, Ogre::TEX_TYPE_2D, pixels.getWidth(), pixels.getHeight(), 0,
                                  Ogre::PF_BYTE_RGBA, Ogre::TU_STATIC_WRITE_ONLY);
        try {
            engineTexture->getBuffer()->blitFromMemory(pixels);
            // Owned by the GUI's texture from here: it goes when that one does.
            texture = &ogre->createTexture(name, engineTexture, true);
        } catch (...) {
            textures.remove(engineTexture);
            throw;
        }
    } else if (pixels.format == Ogre::PF_BYTE_RGBA && pixels.isConsecutive()) {
        texture = &system.getRenderer()->createTexture(name);
        texture->loadFromMemory(pixels.data, size, CEGUI::Texture::PF_RGBA);
    } else {
        throw CEGUI::InvalidRequestException("picture " + name + ": only RGBA pixels without the engine");
    }
    try {
        auto& picture = static_cast<CEGUI::BasicImage&>(CEGUI::ImageManager::getSingleton().create("BasicImage", name));
        picture.setTexture(texture);
        picture.setArea(CEGUI::Rectf(CEGUI::Vector2f(0, 0), size));
    } catch (...) {
        system.getRenderer()->destroyTexture(*texture);
        throw;
    }
}

void CeguiWidgets::letGoOfImages(const std::string& imageset)
{
    CEGUI::System* system = CEGUI::System::getSingletonPtr();
    CEGUI::Window* root = system ? system->getDefaultGUIContext().getRootWindow() : nullptr;
    if (!root || imageset.empty())
        return;
    const CEGUI::String prefix = utf8(imageset + "/");
    std::vector<CEGUI::Window*> open{root};
    while (!open.empty()) {
        CEGUI::Window* w = open.back();
        open.pop_back();
        if (w->isPropertyPresent("Image") && w->getProperty("Image").compare(0, prefix.length(), prefix) == 0)
            w->setProperty("Image", CEGUI::String());
        for (std::size_t i = 0; i < w->getChildCount(); ++i)
            open.push_back(w->getChildAtIdx(i));
    }
}

void CeguiWidgets::destroyImageset(const std::string& imageset)
{
    CEGUI::ImageManager* images = CEGUI::ImageManager::getSingletonPtr();
    CEGUI::System* system = CEGUI::System::getSingletonPtr();
    if (!images || !system || imageset.empty())
        return;
    letGoOfImages(imageset);
    images->destroyImageCollection(utf8(imageset), false);
    // A set from a file made its texture under the set's name, a picture under its image's.
    CEGUI::Renderer* renderer = system->getRenderer();
    for (const std::string& texture : {imageset, imageName(imageset, "full_image")})
        if (renderer->isTextureDefined(utf8(texture)))
            renderer->destroyTexture(utf8(texture));
}

} // namespace zrk
} // namespace kavri3D
