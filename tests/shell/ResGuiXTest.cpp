// The GUI resource downloader against a file server on this machine: what it fetches, keeps
// and deletes, retries and failures, the client's own index, keys that would leave the GUI
// folders, the lobby's wait, and the resource groups the folders and packs become.
#include <OGRE/OgreLogManager.h>
#include <OGRE/OgreResourceGroupManager.h>
#include <OGRE/OgreRoot.h>
#include <atomic>
#include <core/NetClientManager.h>
#include <filesystem>
#include <gui/IGuiRes.h>
#include <map>
#include <httplib.h>
#include <util/Manifest.h>

#include "events/EventsFixture.h"
#include "events/ExitEvent.h"
#include "services/GameServices.h"
#include "shell/ResGuiX.h"
#include "shell/ResGuiXUpdater.h"
#include "support/LoopbackFiles.h"

using namespace kavri3D;
using namespace kavri3D::zrk;

namespace {

/// The plug-in's resources as the downloader sees them: loading for a few polls.
struct CountingRes : gui::IGuiRes {
    int polls = 0;
    int loadingPolls = 2;
    void loadBaseResources() override {}
    bool isLoading() override { return ++polls <= loadingPolls; }
};

struct ResGuiXFixture : zrktest::EventsFixture {
    std::string program = dir.file("program") + "/";
    std::string published = dir.file("published");
    zrktest::LoopbackFiles files;
    std::atomic<int> flakyAsked{0};
    CountingRes res;
    std::unique_ptr<ResGuiX> resx;
    std::string manifestText;
    core::Manifest manifest;
    std::vector<std::string> answers;

    ResGuiXFixture()
    {
        board.setString("kavri3D/appPath", program);
        // The first ask of a flaky file fails, the second is served.
        files.server.httpServer().Get("/files/installer/latest/files/res/GUIX1/flaky.png",
                                      [this](const httplib::Request&, httplib::Response& r) {
                                          if (++flakyAsked == 1)
                                              r.status = 503;
                                          else
                                              r.set_content("flaky", "image/png");
                                      });
        EXPECT_TRUE(files.start(published, "/files/installer/latest"));
        core::NetClientManager::setRunApplicationPath(files.server.getAddress());
        core::TransportService::instance().clear();
        newResGuiX();
    }
    ~ResGuiXFixture() override
    {
        resx.reset();
        core::TransportService::instance().clear();
        core::NetClientManager::setRunApplicationPath(std::string());
    }
    void newResGuiX()
    {
        resx.reset();
        resx.reset(new ResGuiX);
        resx->setGuiResSource([this]() -> gui::IGuiRes* { return &res; });
    }

    /// A published file, listed in the manifest's folder (with its signature unless `sig`).
    void publish(const std::string& folder, const std::string& name, const std::string& content,
                 const char* sig = nullptr)
    {
        const std::string file = published + "/" + (folder.size() > 7 ? folder.substr(7) + "/" : "") + name;
        zrktest::writeFile(file, content);
        core::FileItem item;
        item.init(file);
        list(folder, name, folder + "/" + name, sig ? sig : item.signature.c_str());
    }
    void list(const std::string& folder, const std::string& name, const std::string& key, const std::string& sig)
    {
        folders[folder] += "<file name=\"" + name + "\" path=\"" + key + "\" sig=\"" + sig + "\"/>";
    }
    void installed(const std::string& path, const std::string& content) { zrktest::writeFile(program + path, content); }
    bool exists(const std::string& path) const { return std::filesystem::exists(program + path); }

    void start()
    {
        std::string xml = "<manifest>";
        for (const auto& f : folders)
            xml += "<folder path=\"" + f.first + "\">" + f.second + "</folder>";
        ASSERT_TRUE(manifest.read(xml + "</manifest>"));
        resx->start(&manifest);
    }
    ResGuiX::Callback answer(const std::string& who)
    {
        return [this, who](bool ok) { answers.push_back(who + (ok ? " ready" : " failed")); };
    }
    /// Frames until the updater has left the frame loop.
    zrktest::FramePump::Waited settle(int limit = 4000)
    {
        // A millisecond for the download's thread, then a frame.
        zrktest::FramePump pump([this] {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            engine.update(0.04f);
            return true;
        });
        engine.update(0.04f);
        return pump.until([this] { return !resx->getUpdater()->isRegistered(); }, limit - 1,
                          "the GUI resources' updater out of the frame loop");
    }
    std::size_t logged(const char* channel, const std::string& text) const { return log.countCaptured(channel, text); }

    std::map<std::string, std::string> folders;
};

} // namespace

TEST_F(ResGuiXFixture, MissingFilesComeExtraOnesGoAndTheLobbyWaitsUntilTheyAreLoaded)
{
    publish("/files/res/GUIX1", "backdrop.png", "hills");
    publish("/files/res/GUIX1", "lobby.png", "lobby");
    publish("/files/res/PacksX", "pack1.zip", "not read here");
    installed("res/GUIX1/Lobby.PNG", "lobby");   // listed in lower case: kept, not fetched again
    installed("res/GUIX1/old.png", "gone soon"); // no longer listed
    installed("res/GUI/keep.json", "{}");        // not a downloaded folder
    resx->requestResources(answer("login"));
    start();
    EXPECT_FALSE(exists("res/GUIX1/old.png"));
    EXPECT_TRUE(exists("res/GUIX1/Lobby.PNG"));
    EXPECT_TRUE(exists("res/GUI/keep.json"));
    // The folder it had to make is the player's alone.
    EXPECT_EQ(std::filesystem::status(program + "res/PacksX").permissions(), std::filesystem::perms::owner_all);
    EXPECT_EQ(resx->getUpdater()->getFiles(),
              std::vector<std::string>({"/files/res/GUIX1/backdrop.png", "/files/res/PacksX/pack1.zip"}));

    ASSERT_TRUE(settle());
    EXPECT_EQ(zrktest::readFile(program + "res/GUIX1/backdrop.png"), "hills");
    EXPECT_EQ(zrktest::readFile(program + "res/PacksX/pack1.zip"), "not read here");
    EXPECT_FALSE(exists("res/GUIX1/lobby.png"));
    EXPECT_EQ(res.polls, 3); // loading twice, then done
    EXPECT_EQ(answers, std::vector<std::string>({"login ready"}));
    EXPECT_TRUE(resx->lobbyMade());
    EXPECT_FALSE(resx->isVersionInvalid());
    EXPECT_FALSE(win32QuitPosted());

    // A second wait with the lobby there: answered again, nothing made twice.
    resx->requestResources(answer("create"));
    ASSERT_TRUE(settle());
    EXPECT_EQ(answers, std::vector<std::string>({"login ready", "create ready"}));
}

TEST_F(ResGuiXFixture, AFileThatFailsOnceIsFetchedTwiceAndTheRunGoesOn)
{
    publish("/files/res/GUIX1", "flaky.png", "flaky");
    start();
    resx->requestResources(answer("login"));
    ASSERT_TRUE(settle());
    EXPECT_EQ(flakyAsked.load(), 2);
    EXPECT_EQ(logged("ResGuiX", "failed in downloading: /files/res/GUIX1/flaky.png"), 1u);
    EXPECT_EQ(zrktest::readFile(program + "res/GUIX1/flaky.png"), "flaky");
    EXPECT_EQ(answers, std::vector<std::string>({"login ready"}));
}

TEST_F(ResGuiXFixture, TwoFailuresOfferTheQuitBoxAndTheLobbyNeverComes)
{
    list("/files/res/GUIX1", "gone.png", "/files/res/GUIX1/gone.png", "00");
    publish("/files/res/GUIX1", "never.png", "never asked");
    {
        ExitEvent exitEvent{page, dispatcher};
        start();
        resx->requestResources(answer("login"));
        ASSERT_TRUE(settle());
        EXPECT_EQ(logged("ResGuiX", "failed in downloading: /files/res/GUIX1/gone.png"), 2u);
        EXPECT_TRUE(resx->getUpdater()->failed());
        const core::Frame::BoxRecord* box = frame.getOpenMessageBox();
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->text, ZRKLan::getMsg("error/user_net_wrong"));
    }
    EXPECT_FALSE(exists("res/GUIX1/never.png")); // the queue ended at the failure
    EXPECT_TRUE(answers.empty());
    EXPECT_FALSE(resx->lobbyMade());

    // A later wait is kept but never answered: the quit box is the way out.
    resx->requestResources(answer("create"));
    ASSERT_TRUE(settle());
    EXPECT_TRUE(answers.empty());

    // Without an exit event to offer quitting: one line instead of the box.
    frame.cancelMessageBox();
    newResGuiX();
    start();
    ASSERT_TRUE(settle());
    EXPECT_EQ(logged("ResGuiX", "no exit event to offer quitting: " + ZRKLan::getMsg("error/user_net_wrong")), 1u);
}

TEST_F(ResGuiXFixture, ADevelopmentTreeKeepsEverythingFetchesNothingAndPlaysOnDespiteTheIndex)
{
    std::filesystem::create_directories(program + "res/GUIX1/.svn");
    installed("res/GUIX1/mine.png", "work in progress");
    installed("zrk_main.xml", "<index>mine</index>");
    publish("/files", "zrk_main.xml", "<index>published</index>");
    publish("/files/res/GUIX1", "new.png", "new");
    resx->requestResources(answer("login"));
    start();
    EXPECT_TRUE(resx->isDevelopmentTree());
    EXPECT_TRUE(resx->isVersionInvalid());
    EXPECT_EQ(logged("resx", "invalid client version."), 1u);
    EXPECT_FALSE(win32QuitPosted());
    EXPECT_TRUE(exists("res/GUIX1/mine.png"));
    EXPECT_TRUE(resx->getUpdater()->getFiles().empty());
    ASSERT_TRUE(settle());
    EXPECT_FALSE(exists("res/GUIX1/new.png"));
    EXPECT_EQ(answers, std::vector<std::string>({"login ready"}));
}

TEST_F(ResGuiXFixture, AnIndexOrPackThatDiffersFromTheManifestEndsTheGame)
{
    installed("zrk_main.xml", "<index>this client</index>");
    publish("/files", "ZRK_Main.xml", "<index>this client</index>");
    start();
    EXPECT_FALSE(resx->isVersionInvalid()); // the same, whatever the letter case of its name

    folders.clear();
    installed("zrk_main.xml", "<index>an older client</index>");
    publish("/files", "zrk_main.xml", "<index>this client</index>");
    newResGuiX();
    start();
    EXPECT_TRUE(resx->isVersionInvalid());
    EXPECT_EQ(logged("resx", "invalid client version."), 1u);
    // The player is told why; the box closed, the run ends, and with exit code 1.
    ASSERT_NE(lastBox(), nullptr);
    EXPECT_EQ(lastBox()->textKey, "error/client_version");
    EXPECT_TRUE(lastBox()->open);
    EXPECT_FALSE(win32QuitPosted());
    EXPECT_TRUE(Application::runFailed());
    EXPECT_TRUE(frame.pressMessageBoxButton(0));
    EXPECT_TRUE(win32QuitPosted());

    win32ClearMessages();
    folders.clear();
    installed("zrk_main.xml", "<index>this client</index>");
    installed("res/PacksX/PACK1.ZIP", "an older pack");
    publish("/files", "zrk_main.xml", "<index>this client</index>");
    publish("/files/res/PacksX", "pack1.zip", "this pack");
    newResGuiX();
    start();
    EXPECT_TRUE(resx->isVersionInvalid());
    ASSERT_NE(lastBox(), nullptr);
    EXPECT_EQ(lastBox()->textKey, "error/client_version");
    EXPECT_TRUE(frame.pressMessageBoxButton(0));
    EXPECT_TRUE(win32QuitPosted());
}

TEST_F(ResGuiXFixture, KeysThatWouldLeaveTheGuiFoldersAreNeverQueuedNorDeleted)
{
    installed("victim.txt", "mine");
    installed("res/GUI/data.json", "{}");
    for (const char* key :
         {"/files/res/GUIX1/../../victim.txt", "/files/res/GUIX1/a\\b.png", "/files/res/GUIX1//x.png", "/etc/passwd",
          "/files/res/GUIX1/sub/deep.png", "/files/data/box1.ss1", "/files/res/GUIX1/", "/files/res/guix1/x.png"})
        list("/files/res/GUIX1", "x.png", key, "00");
    list("/files/res/GUIX1/../../", "victim.txt", "/files/victim.txt", "00");
    list("/files/res/GUI/../..", "victim.txt", "/files/victim.txt", "00");
    start();
    EXPECT_TRUE(resx->getUpdater()->getFiles().empty());
    EXPECT_EQ(log.countCaptured("resx", "kavri.manifest: key \"/files/res/GUIX1/../../victim.txt\" refused"), 1u);
    EXPECT_EQ(log.countCaptured("resx", "kavri.manifest: folder \"/files/res/GUIX1/../../\" refused"), 1u);
    ASSERT_TRUE(settle());
    EXPECT_EQ(zrktest::readFile(program + "victim.txt"), "mine");
    EXPECT_TRUE(exists("res/GUI/data.json"));
}

TEST_F(ResGuiXFixture, AGuiFolderThatCannotBeMadeQueuesNothingAndTheRunGoesOn)
{
    installed("res/PacksX", "a file where the folder would be");
    publish("/files/res/PacksX/Sub", "pack.zip", "pack");
    publish("/files/res/GUIX1", "a.png", "a");
    resx->requestResources(answer("login"));
    start();
    EXPECT_EQ(resx->getUpdater()->getFiles(), std::vector<std::string>({"/files/res/GUIX1/a.png"}));
    ASSERT_TRUE(settle());
    EXPECT_EQ(answers, std::vector<std::string>({"login ready"}));
    EXPECT_EQ(zrktest::readFile(program + "res/PacksX"), "a file where the folder would be");
}

TEST_F(ResGuiXFixture, FilesAlreadyThereWhenTheirTurnComesNeedNoDownload)
{
    publish("/files/res/GUIX1", "a.png", "a");
    publish("/files/res/GUIX1", "b.png", "b");
    start();
    ASSERT_EQ(resx->getUpdater()->getFiles().size(), 2u);
    installed("res/GUIX1/a.png", "a");
    installed("res/GUIX1/b.png", "b");
    ResGuiXUpdater& updater = *resx->getUpdater();
    EXPECT_TRUE(updater.step());
    EXPECT_TRUE(updater.step());
    EXPECT_TRUE(updater.allDone());
    EXPECT_FALSE(updater.failed());
    EXPECT_TRUE(zrktest::transportIdle());
}

TEST_F(ResGuiXFixture, TheEventsWaitThroughTheServicesHookOnlyWhileTheDownloaderLives)
{
    bool ready = false;
    EXPECT_TRUE(GameServices::requestResources([&](bool ok) { ready = ok; }));
    start();
    ASSERT_TRUE(settle());
    EXPECT_TRUE(ready);
    resx.reset();
    EXPECT_FALSE(GameServices::requestResources([](bool) {}));
}

// The resource groups: GUIX folders until the first gap, one group per six-letter pack prefix.
TEST_F(ResGuiXFixture, FoldersUpToTheFirstGapAndPacksByPrefixBecomeResourceGroups)
{
    Ogre::LogManager* logs = Ogre::LogManager::getSingletonPtr() ? nullptr : new Ogre::LogManager;
    if (logs)
        logs->createLog(dir.file("ogre.log"), true, false, true);
    std::unique_ptr<Ogre::Root> root(Ogre::Root::getSingletonPtr() ? nullptr : new Ogre::Root("", "", ""));
    Ogre::ResourceGroupManager& groups = Ogre::ResourceGroupManager::getSingleton();
    const std::string pack = zrktest::readFile(zrktest::binFolder() + "/res/PacksX/lobby1.zip");
    installed("res/GUIX1/a.imageset", "x");
    installed("res/GUIX2/b.imageset", "x");
    installed("res/GUIX4/d.imageset", "x"); // after the gap
    installed("res/PacksX/bundle_a.zip", pack);
    installed("res/PacksX/BUNDLE_B.ZIP", pack); // shares "BUNDLE"
    installed("res/PacksX/extras.zip", pack);   // lower case, added under its own name
    installed("res/PacksX/broken.zip", "not a zip");
    installed("res/PacksX/notes.txt", "not a pack");
    resx->registerResourceGroups();
    EXPECT_TRUE(groups.isResourceGroupInitialised("GUIX1"));
    EXPECT_TRUE(groups.isResourceGroupInitialised("GUIX2"));
    EXPECT_FALSE(groups.resourceGroupExists("GUIX4"));
    EXPECT_EQ(resx->getPackGroups(), std::vector<std::string>({"BUNDLE", "EXTRAS"}));
    EXPECT_EQ(groups.getResourceLocationList("BUNDLE").size(), 2u);
    EXPECT_TRUE(groups.resourceExists("EXTRAS", "Lobby1.imageset"));
    EXPECT_FALSE(groups.resourceGroupExists("BROKEN") && groups.isResourceGroupInitialised("BROKEN"));
    EXPECT_EQ(log.countCaptured("resx", "pack broken.zip skipped: not a zip archive"), 1u);
    // A damaged pack is told in a box, and the run is to end with exit code 1.
    ASSERT_NE(lastBox(), nullptr);
    EXPECT_EQ(lastBox()->textKey, "error/pack_damaged");
    EXPECT_TRUE(Application::runFailed());
    resx->registerResourceGroups(); // once only
    for (const char* group : {"GUIX1", "GUIX2", "BUNDLE", "EXTRAS", "BROKEN"})
        if (groups.resourceGroupExists(group))
            groups.destroyResourceGroup(group);
    root.reset();
    delete logs;
}
