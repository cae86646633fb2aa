#include "battle/BattleRadar.h"

#include <cmath>
#include <Ogre.h>
#include <gui/IBattlePanel.h>
#include <land/ZRKLand.h>
#include "battle/BattleRoom.h"
#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

namespace {
const char* const kChannel = "room";
}

void BattleRadar::load()
{
    ZRKLand* land = mRoom.getLand();
    if (mLoaded || !land)
        return;
    core::XmlConfigHelper radar = land->getRadarConfig();
    mMin = yake::math::Vector3(radar.getRealVal("radar/box/<xmlattr>/x0", 0.0f),
                               radar.getRealVal("radar/box/<xmlattr>/y0", 0.0f),
                               radar.getRealVal("radar/box/<xmlattr>/z0", 0.0f));
    mMax = yake::math::Vector3(radar.getRealVal("radar/box/<xmlattr>/x1", 0.0f),
                               radar.getRealVal("radar/box/<xmlattr>/y1", 0.0f),
                               radar.getRealVal("radar/box/<xmlattr>/z1", 0.0f));
    const float w = radar.getRealVal("image/<xmlattr>/w", 0.0f), h = radar.getRealVal("image/<xmlattr>/h", 0.0f);
    mImageWidth = std::isfinite(w) && std::fabs(w) < 1e6f ? static_cast<int>(w) : 0;
    mImageHeight = std::isfinite(h) && std::fabs(h) < 1e6f ? static_cast<int>(h) : 0;
    if (gui::IBattlePanel* panel = mRoom.getBattleScreen()) {
        panel->setRadarSize(w, h);
        panel->setRadarScale(3.0f);
    }
    setMapImage(radar.getStringVal("image", ""));
    mLoaded = true;
}

void BattleRadar::setMapImage(const std::string& name)
{
    resetMap();
    mMaterial = "kavri3D/zrk/map";
    mTexture = name;
    if (!Ogre::MaterialManager::getSingletonPtr())
        return;
    try {
        Ogre::MaterialPtr material = Ogre::MaterialManager::getSingleton().getByName(mMaterial);
        Ogre::Technique* technique = material ? material->getTechnique(0) : nullptr;
        Ogre::Pass* pass = technique ? technique->getPass(0) : nullptr;
        if (!pass)
            return;
        if (pass->getNumTextureUnitStates() == 0)
            pass->createTextureUnitState(name);
        else
            pass->getTextureUnitState(0)->setTextureName(name);
    } catch (const std::exception& e) {
        writeLog(kLogWarning, kChannel, "radar map " + name + " not shown: " + e.what());
    }
}

void BattleRadar::resetMap()
{
    if (!mMaterial.empty()) {
        if (Ogre::MaterialManager::getSingletonPtr()) {
            try {
                Ogre::MaterialPtr material = Ogre::MaterialManager::getSingleton().getByName(mMaterial);
                Ogre::Technique* technique = material ? material->getTechnique(0) : nullptr;
                Ogre::Pass* pass = technique ? technique->getPass(0) : nullptr;
                if (pass && pass->getNumTextureUnitStates() > 0)
                    pass->getTextureUnitState(0)->setTextureName("empty.png");
            } catch (const std::exception& e) {
                writeLog(kLogWarning, kChannel, std::string("radar map not reset: ") + e.what());
            }
        }
        mMaterial.clear();
    }
    if (!mTexture.empty()) {
        if (Ogre::TextureManager* textures = Ogre::TextureManager::getSingletonPtr()) {
            try {
                Ogre::TexturePtr texture = textures->getByName(mTexture);
                if (texture) {
                    texture->unload();
                    textures->remove(texture);
                }
            } catch (const std::exception& e) {
                writeLog(kLogWarning, kChannel, std::string("radar picture not released: ") + e.what());
            }
        }
        mTexture.clear();
    }
}

bool BattleRadar::project(yake::math::Vector3& p) const
{
    const float dx = mMax.x - mMin.x, dz = mMax.z - mMin.z;
    if (!mLoaded || dx == 0.0f || dz == 0.0f)
        return false;
    const float x = (p.x - mMin.x) / dx * static_cast<float>(mImageWidth);
    const float y = (p.z - mMin.z) / dz * static_cast<float>(mImageHeight);
    p.x = x;
    p.y = y;
    return true;
}

} // namespace zrk
} // namespace kavri3D
