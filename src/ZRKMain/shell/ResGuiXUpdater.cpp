#include "shell/ResGuiXUpdater.h"

#include <boost/weak_ptr.hpp>
#include <core/GraphicsSystem.h>
#include <gui/EventId.h>
#include <gui/IEventDispatcher.h>
#include <gui/IGuiManager.h>
#include <gui/IGuiRes.h>
#include <lan/ZRKLan.h>

#include "events/ExitEvent.h"
#include "services/GameServices.h"
#include "services/LogRoutine.h"
#include "shell/Application.h"
#include "shell/ResGuiX.h"
#include "shell/ResGuiXFiles.h"

namespace kavri3D {
namespace zrk {

namespace {
const char kFiles[] = "/files/";
const std::size_t kFilesLength = sizeof kFiles - 1;
} // namespace

ResGuiXUpdater::ResGuiXUpdater(ResGuiX* owner) : mOwner(owner) {}

ResGuiXUpdater::~ResGuiXUpdater() = default;

void ResGuiXUpdater::setFiles(const std::vector<std::string>& files)
{
    mFiles = files;
    mCurrent = -1;
    mNext = 0;
    mRetries = 1;
}

void ResGuiXUpdater::update(float)
{
    // The log-in screen comes first: its first frame does not wait for the lobby's pictures.
    core::GraphicsSystem* graphics = core::GraphicsSystem::getSingletonPtr();
    if (graphics && !graphics->isHeadless() && graphics->getFramesRendered() == 0)
        return;
    bool again = false;
    try {
        again = step();
    } catch (const std::exception& e) {
        writeLog(kLogError, "ResGuiX", std::string("update failed: ") + e.what());
    }
    if (!again)
        unregisterWithUpdatableManager();
}

bool ResGuiXUpdater::step()
{
    if (!allDone()) {
        if (mCurrent != mNext) {
            mCurrent = mNext;
            const std::string& key = mFiles[static_cast<std::size_t>(mNext)];
            const std::string local = key.compare(0, kFilesLength, kFiles) == 0 ? key.substr(kFilesLength) : key;
            const int index = mNext;
            boost::weak_ptr<ResGuiXUpdater> self = shared_from_this();
            const bool waiting =
                mOwner->getFiles().resolve(local, Application::getInstallerUrl() + key,
                                           [self, index, key](const std::string&, const std::string& path) {
                                               if (boost::shared_ptr<ResGuiXUpdater> me = self.lock())
                                                   me->onDownloaded(index, key, path);
                                           });
            if (!waiting) {
                // Already there: done at once, no completion to wait for.
                mRetries = 1;
                ++mNext;
            }
        }
        return true;
    }
    if (failed() && !mOwner->isDevelopmentTree())
        return false;
    if (!mGuiRes) {
        mGuiRes = mOwner->createGuiRes();
        mOwner->registerResourceGroups();
    }
    if (!mGuiRes) {
        mOwner->finish(failed());
        return false;
    }
    if (mGuiRes->isLoading())
        return true;
    gui::IGuiManager* manager = GameServices::guiManager();
    if (gui::IEventDispatcher* events = manager ? manager->getEventDispatcher() : nullptr)
        events->raise(gui::EventId::GuiResourcesReady);
    mOwner->finish(failed());
    return false;
}

void ResGuiXUpdater::onDownloaded(int index, const std::string& key, const std::string& path)
{
    if (index != mNext)
        return; // an answer for a file no longer waited for
    if (!path.empty()) {
        mRetries = 1;
        ++mNext;
        return;
    }
    writeLog(kLogError, "ResGuiX", "failed in downloading: " + key);
    if (mRetries >= 1) {
        --mRetries;
        mCurrent = mNext - 1; // the next step asks for the same file again
        return;
    }
    mNext = -1;
    if (mOwner->isDevelopmentTree())
        return;
    if (ExitEvent* exit = ExitEvent::instance())
        exit->showQuitBox(ZRKLan::getMsg("error/user_net_wrong"));
    else
        writeLog(kLogError, "ResGuiX", "no exit event to offer quitting: " + ZRKLan::getMsg("error/user_net_wrong"));
}

} // namespace zrk
} // namespace kavri3D
