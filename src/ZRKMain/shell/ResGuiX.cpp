#include "shell/ResGuiX.h"

#include <OGRE/OgreException.h>
#include <OGRE/OgreResourceGroupManager.h>
#include <algorithm>
#include <boost/algorithm/string/case_conv.hpp>
#include <boost/algorithm/string/predicate.hpp>
#include <boost/make_shared.hpp>
#include <core/BlackBoard.h>
#include <data/ZRKServer.h>
#include <filesystem>
#include <fstream>
#include <gui/IEventDispatcher.h>
#include <gui/IGuiManager.h>
#include <set>
#include <util/Manifest.h>
#include <yake/PlayerFiles.h>

#include "services/GameServices.h"
#include "services/LogRoutine.h"
#include "shell/Application.h"
#include "shell/MainFrame.h"
#include "shell/ResGuiXFiles.h"
#include "shell/ResGuiXUpdater.h"
#include "shell/ZRKGuiLoader.h"

namespace kavri3D {
namespace zrk {

namespace {

const char kChannel[] = "resx";
const char kFiles[] = "/files/";
const std::size_t kFilesLength = sizeof kFiles - 1;
// The client's own index among the published files: the module's name, in lower case.
const char kIndexName[] = "zrk_main.xml";
const int kMostGuiGroups = 9;

ResGuiX* gInstance = nullptr;

std::string lower(const std::string& s) { return boost::algorithm::to_lower_copy(s); }

std::string programFolder()
{
    core::BlackBoard* bb = core::BlackBoard::getSingletonPtr();
    std::string folder = bb ? bb->getString("kavri3D/appPath", "") : std::string();
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    return folder;
}

/// The key's path in the program folder ("/files/res/GUIX1/a.png" -> "res/GUIX1/a.png"); empty
/// for a key that is not a plain relative path under "/files/".
std::string localKey(const std::string& key)
{
    if (key.compare(0, kFilesLength, kFiles) != 0)
        return std::string();
    const std::string rest = key.substr(kFilesLength);
    return core::HttpFileCache::isSafeKey(rest) ? rest : std::string();
}

bool isGuiFolder(const std::string& lowerPath)
{
    return boost::algorithm::starts_with(lowerPath, "/files/res/gui") ||
           boost::algorithm::starts_with(lowerPath, "/files/res/packs");
}

bool isDirectory(const std::string& path)
{
    std::error_code ec;
    return std::filesystem::is_directory(path, ec);
}

/// Whether the file looks like a whole zip archive: its first entry's mark at the start and
/// the end of its directory near the end. The engine keeps (leaks) an archive it fails to open,
/// so what is plainly no zip never reaches it.
bool looksLikeZip(const std::string& path)
{
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    const std::streamoff size = in ? static_cast<std::streamoff>(in.tellg()) : 0;
    if (size < 22)
        return false;
    const std::streamoff tail = std::min<std::streamoff>(size, 22 + 65535);
    std::string head(4, '\0'), end(static_cast<std::size_t>(tail), '\0');
    in.seekg(0);
    in.read(&head[0], 4);
    in.seekg(size - tail);
    in.read(&end[0], tail);
    return in && head == std::string("PK\x03\x04", 4) && end.rfind(std::string("PK\x05\x06", 4)) != std::string::npos;
}

} // namespace

ResGuiX::ResGuiX() : mFiles(new ResGuiXFiles)
{
    mUpdater = boost::make_shared<ResGuiXUpdater>(this);
    gInstance = this;
    GameServices::hooks().requestResources = [this](const std::function<void(bool)>& done) {
        requestResources(Callback(done));
    };
}

ResGuiX::~ResGuiX()
{
    GameServices::hooks().requestResources = nullptr;
    // The downloads end first, so no completion reaches the updater as it goes.
    mFiles->destroy();
    mUpdater->unregisterWithUpdatableManager();
    mUpdater.reset();
    if (gInstance == this)
        gInstance = nullptr;
}

ResGuiX* ResGuiX::getInstance() { return gInstance; }

gui::IGuiRes* ResGuiX::createGuiRes() const
{
    if (mGuiResSource)
        return mGuiResSource();
    gui::IGuiRes* res = nullptr;
    ZRKGuiLoader* loader = ZRKGuiLoader::getSingletonPtr();
    return loader && loader->createGuiRes(&res) ? res : nullptr;
}

void ResGuiX::start() { start(Application::manifest()); }

void ResGuiX::start(const core::Manifest* manifest)
{
    mProgramFolder = programFolder();
    mFiles->create(mProgramFolder);
    mExtraFiles.clear();
    std::vector<std::string> queue;
    bool indexChecked = false;
    if (manifest) {
        for (const core::FileFolder& folder : manifest->getFolders()) {
            std::string path = lower(folder.path);
            while (path.size() > 1 && path.back() == '/')
                path.pop_back();
            if (!indexChecked && !mVersionInvalid && path == "/files") {
                checkIndex(folder);
                indexChecked = true;
            }
            if (isGuiFolder(path))
                checkFolder(folder, path, queue);
        }
    }
    if (!mDevelopmentTree) {
        for (const std::string& extra : mExtraFiles) {
            std::error_code ec;
            std::filesystem::remove(mProgramFolder + extra.substr(kFilesLength), ec);
            if (ec)
                writeLog(kLogWarning, kChannel, "cannot delete " + extra + ": " + ec.message());
        }
    }
    if (mVersionInvalid) {
        writeLog(kLogError, kChannel, "invalid client version.");
        if (!mDevelopmentTree) {
            // The game ends at once: nothing more is fetched and the lobby is never made, so
            // nothing logs in behind the box.
            Application::endRunWithBox("error/client_version");
            return;
        }
    }
    mUpdater->setFiles(mDevelopmentTree ? std::vector<std::string>() : queue);
    mUpdater->registerWithUpdatableManager();
}

void ResGuiX::checkIndex(const core::FileFolder& folder)
{
    for (const core::FileItem& item : folder.items) {
        if (lower(item.name) != kIndexName)
            continue;
        const std::string local = localKey(item.path);
        if (local.empty()) {
            writeLog(kLogWarning, kChannel, "kavri.manifest: index key \"" + item.path + "\" refused");
            return;
        }
        core::FileItem mine = item;
        if (mine.init(mProgramFolder + local) && !core::FileItem::sameSignature(mine.signature, item.signature))
            mVersionInvalid = true;
        return;
    }
}

void ResGuiX::checkFolder(const core::FileFolder& folder, const std::string& path, std::vector<std::string>& queue)
{
    // The folder keeps the manifest's letter case on disk; only the tests above use lower case.
    std::string folderPath = folder.path;
    while (folderPath.size() > 1 && folderPath.back() == '/')
        folderPath.pop_back();
    const std::string localFolder = localKey(folderPath);
    if (localFolder.empty() || !ResGuiXFiles::inGuiFolder(localFolder)) {
        writeLog(kLogWarning, kChannel, "kavri.manifest: folder \"" + folder.path + "\" refused");
        return;
    }
    // Keys that would land elsewhere than their folder (its letter case included) are never queued.
    std::vector<core::FileItem> items;
    for (const core::FileItem& item : folder.items) {
        const std::string local = localKey(item.path);
        if (local.empty() || local.compare(0, localFolder.size() + 1, localFolder + "/") != 0 ||
            local.find('/', localFolder.size() + 1) != std::string::npos) {
            writeLog(kLogWarning, kChannel, "kavri.manifest: key \"" + item.path + "\" refused");
            continue;
        }
        items.push_back(item);
    }
    const std::string disk = mProgramFolder + localFolder;
    if (!isDirectory(disk)) {
        // Made as every folder the game makes: the player's alone, never through a link.
        std::string why;
        if (!yake::PlayerFiles::makeFolder(disk, &why)) {
            writeLog(kLogError, kChannel, "GUI folder " + disk + " cannot be made: " + why);
            return;
        }
        for (const core::FileItem& item : items)
            queue.push_back(item.path);
        return;
    }
    core::FileIndex index = core::buildIndex(items);
    std::error_code ec;
    for (std::filesystem::directory_iterator it(disk, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        std::error_code typeError;
        if (it->is_directory(typeError)) {
            if (name == ".svn")
                mDevelopmentTree = true;
            continue;
        }
        if (!it->is_regular_file(typeError))
            continue;
        const std::string lowerName = lower(name);
        auto found = index.find(lowerName);
        if (found == index.end()) {
            mExtraFiles.push_back(folderPath + "/" + name);
            continue;
        }
        if (boost::algorithm::ends_with(lowerName, ".zip")) {
            core::FileItem mine = found->second;
            if (mine.init(it->path().string()) &&
                !core::FileItem::sameSignature(mine.signature, found->second.signature))
                mVersionInvalid = true;
        }
        index.erase(found);
    }
    if (ec)
        writeLog(kLogWarning, kChannel, "GUI folder " + disk + " not read whole: " + ec.message());
    for (const auto& left : index)
        queue.push_back(left.second.path);
}

void ResGuiX::requestResources(const Callback& done)
{
    mResourcesWanted = true;
    if (mUpdater && !mUpdater->isRegistered() && mUpdater->allDone()) {
        // Finished already: registered again, its next step runs the finish again.
        mUpdater->unregisterWithUpdatableManager();
        mUpdater->registerWithUpdatableManager();
    }
    mCallback = done;
}

void ResGuiX::registerResourceGroups()
{
    if (mGroupsRegistered)
        return;
    Ogre::ResourceGroupManager* groups = Ogre::ResourceGroupManager::getSingletonPtr();
    if (!groups)
        return;
    mGroupsRegistered = true;
    if (mProgramFolder.empty())
        mProgramFolder = programFolder();
    for (int k = 1; k <= kMostGuiGroups; ++k) {
        const std::string group = "GUIX" + std::to_string(k);
        const std::string folder = mProgramFolder + "res/" + group;
        if (!isDirectory(folder))
            break;
        try {
            if (groups->resourceGroupExists(group) && groups->isResourceGroupInitialised(group))
                continue;
            groups->addResourceLocation(folder, "FileSystem", group, true);
            groups->initialiseResourceGroup(group);
        } catch (const Ogre::Exception& e) {
            writeLog(kLogError, kChannel, "GUI resources " + group + " skipped: " + e.getDescription());
        }
    }
    const std::string packs = mProgramFolder + "res/PacksX";
    std::set<std::string> added;
    bool damaged = false;
    std::error_code ec;
    if (isDirectory(packs)) {
        for (std::filesystem::directory_iterator it(packs, ec), end; !ec && it != end; it.increment(ec)) {
            std::error_code typeError;
            if (!it->is_regular_file(typeError))
                continue;
            const std::string name = it->path().filename().string();
            const std::string upper = boost::algorithm::to_upper_copy(name);
            if (!boost::algorithm::ends_with(upper, ".ZIP"))
                continue;
            const std::string group = upper.substr(0, 6);
            if (!looksLikeZip(packs + "/" + name)) {
                writeLog(kLogError, kChannel, "pack " + name + " skipped: not a zip archive");
                damaged = true;
                continue;
            }
            try {
                if (groups->resourceGroupExists(group) && groups->isResourceGroupInitialised(group))
                    continue;
                // Added under its real name: the disk knows no other.
                groups->addResourceLocation(packs + "/" + name, "Zip", group, true);
                added.insert(group);
            } catch (const Ogre::Exception& e) {
                writeLog(kLogError, kChannel, "pack " + name + " skipped: " + e.getDescription());
                damaged = true;
            }
        }
    }
    for (const std::string& group : added) { // ascending by name
        try {
            groups->initialiseResourceGroup(group);
            mPackGroups.push_back(group);
        } catch (const Ogre::Exception& e) {
            writeLog(kLogError, kChannel, "pack group " + group + " skipped: " + e.getDescription());
            damaged = true;
        }
    }
    // The game cannot be whole without it: the player is told, and the run ends.
    if (damaged && !Application::runFailed())
        Application::endRunWithBox("error/pack_damaged");
}

void ResGuiX::finish(bool failed)
{
    if (ZRKServer* server = getZRKServer())
        server->onGuiReady();
    if (!mLobbyMade && mResourcesWanted) {
        mLobbyMade = true;
        if (MainFrame* frame = dynamic_cast<MainFrame*>(Application::mainFrame()))
            frame->createLobbyPanels();
    }
    if (mCallback) {
        Callback done = mCallback;
        mCallback.clear();
        try {
            done(!failed);
        } catch (const std::exception& e) {
            writeLog(kLogError, "ResGuiX", std::string("resources callback failed: ") + e.what());
        }
    }
}

} // namespace zrk
} // namespace kavri3D
