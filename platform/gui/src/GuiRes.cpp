#include "GuiRes.h"

#include <CEGUI/CEGUI.h>
#include <OGRE/OgreArchive.h>
#include <OGRE/OgreResourceGroupManager.h>
#include <algorithm>

#include "CallCounter.h"
#include "GuiLog.h"

namespace kavri3D {
namespace zrk {
namespace gui {

namespace {
const int kMostGuiGroups = 9;

/// Whether a group was made over a pack (a zip archive).
bool isPackGroup(Ogre::ResourceGroupManager& groups, const std::string& group)
{
    for (const Ogre::ResourceGroupManager::ResourceLocation& location : groups.getResourceLocationList(group))
        if (location.archive && location.archive->getType() == "Zip")
            return true;
    return false;
}
} // namespace

void GuiRes::loadBaseResources()
{
    mCalls.add("loadBaseResources");
    if (!CEGUI::System::getSingletonPtr())
        return;
    try {
        CEGUI::SchemeManager& schemes = CEGUI::SchemeManager::getSingleton();
        if (!schemes.isDefined("TaharezLook"))
            schemes.createFromFile("TaharezLook.scheme");
    } catch (const std::exception& e) {
        guiLog(Severity::Error, "base GUI resources not loaded: ", e.what());
    }
}

void GuiRes::collect()
{
    Ogre::ResourceGroupManager* groups = Ogre::ResourceGroupManager::getSingletonPtr();
    if (!groups)
        return;
    std::vector<std::string> names;
    for (int k = 1; k <= kMostGuiGroups; ++k) {
        const std::string group = "GUIX" + std::to_string(k);
        if (!groups->resourceGroupExists(group))
            break;
        names.push_back(group);
    }
    std::vector<std::string> packs;
    for (const std::string& group : groups->getResourceGroups())
        if (group.compare(0, 4, "GUIX") != 0 && isPackGroup(*groups, group))
            packs.push_back(group);
    std::sort(packs.begin(), packs.end());
    names.insert(names.end(), packs.begin(), packs.end());
    if (names.empty())
        return; // the groups are not there yet
    mCollected = true;
    // Without OGRE's renderer (headless) CEGUI reads plain folders: a folder group is given
    // its folder, a pack (zip) cannot be read there and is left out.
    auto* plain = dynamic_cast<CEGUI::DefaultResourceProvider*>(CEGUI::System::getSingleton().getResourceProvider());
    for (const std::string& group : names) {
        if (plain) {
            if (isPackGroup(*groups, group))
                continue;
            const Ogre::ResourceGroupManager::LocationList& locations = groups->getResourceLocationList(group);
            if (!locations.empty() && locations.front().archive)
                plain->setResourceGroupDirectory(group, locations.front().archive->getName() + "/");
        }
        try {
            Ogre::StringVectorPtr files = groups->findResourceNames(group, "*.imageset");
            std::vector<std::string> sorted(files->begin(), files->end());
            std::sort(sorted.begin(), sorted.end());
            for (const std::string& file : sorted)
                mPending.emplace_back(group, file);
        } catch (const std::exception& e) {
            guiLog(Severity::Error, "GUI resources of ", group, " not listed: ", e.what());
        }
    }
}

bool GuiRes::isLoading()
{
    if (mLoading)
        return true;
    if (!CEGUI::System::getSingletonPtr())
        return false;
    if (!mCollected)
        collect();
    if (mPending.empty())
        return false;
    const std::pair<std::string, std::string> next = mPending.front();
    mPending.erase(mPending.begin());
    try {
        CEGUI::ImageManager::getSingleton().loadImageset(next.second, next.first);
        mLoaded.push_back(next.first + "/" + next.second);
    } catch (const std::exception& e) {
        // A broken imageset leaves its pictures out; the pages keep their plain look.
        guiLog(Severity::Error, "imageset ", next.second, " of ", next.first, " not loaded: ", e.what());
    }
    return true;
}

} // namespace gui
} // namespace zrk
} // namespace kavri3D
