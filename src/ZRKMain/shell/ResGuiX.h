#pragma once
#include <boost/function.hpp>
#include <boost/shared_ptr.hpp>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kavri3D {
namespace core {
class Manifest;
struct FileFolder;
} // namespace core
namespace zrk {
namespace gui {
class IGuiRes;
}
class ResGuiXFiles;
class ResGuiXUpdater;

/// Keeps the GUI's resource files up to date with the installation's manifest: at start it
/// checks that this client is the published version (else the game ends), deletes GUI files
/// no longer listed and queues the missing ones; when all are present it registers them as
/// resource groups ("GUIX1".."GUIX9", one per pack prefix), lets the GUI plug-in load them,
/// makes the lobby panels and tells whoever waits for them.
class ResGuiX {
public:
    /// true: every GUI resource file is present.
    typedef boost::function<void(bool)> Callback;
    typedef std::function<gui::IGuiRes*()> GuiResSource;

    /// Records the one live instance and registers with the services' resource hook.
    ResGuiX();
    ~ResGuiX();
    ResGuiX(const ResGuiX&) = delete;
    ResGuiX& operator=(const ResGuiX&) = delete;
    static ResGuiX* getInstance();

    /// Compares the application's manifest with the program folder and starts the downloads.
    void start();
    /// The same against this manifest (null: an empty one).
    void start(const core::Manifest* manifest);
    /// Marks the resources wanted and keeps the callback (replacing any earlier one); a
    /// finished updater runs its finish again.
    void requestResources(const Callback& done);

    /// The plug-in's resources object; the GUI plug-in's loader unless a test gives another.
    void setGuiResSource(GuiResSource source) { mGuiResSource = std::move(source); }
    gui::IGuiRes* createGuiRes() const;

    /// Adds the GUI folders and packs as resource groups, once (nothing without OGRE).
    void registerResourceGroups();
    /// All files present (or a development tree): the game server is told, the lobby made
    /// when wanted, the waiting callback called.
    void finish(bool failed);

    ResGuiXFiles& getFiles() { return *mFiles; }
    const boost::shared_ptr<ResGuiXUpdater>& getUpdater() const { return mUpdater; }
    bool isDevelopmentTree() const { return mDevelopmentTree; }
    bool isVersionInvalid() const { return mVersionInvalid; }
    bool groupsRegistered() const { return mGroupsRegistered; }
    bool lobbyMade() const { return mLobbyMade; }
    bool resourcesWanted() const { return mResourcesWanted; }
    /// The GUI files found on disk that the manifest does not list (deleted unless in a
    /// development tree).
    const std::vector<std::string>& getExtraFiles() const { return mExtraFiles; }
    /// The resource groups the packs were added under, by name.
    const std::vector<std::string>& getPackGroups() const { return mPackGroups; }

private:
    /// One manifest folder against its local folder; missing keys go to `queue`.
    void checkFolder(const core::FileFolder& folder, const std::string& path, std::vector<std::string>& queue);
    /// The index check of the folder "/files": the client's own index against the manifest's.
    void checkIndex(const core::FileFolder& folder);

    std::unique_ptr<ResGuiXFiles> mFiles;
    boost::shared_ptr<ResGuiXUpdater> mUpdater;
    Callback mCallback;
    GuiResSource mGuiResSource;
    std::string mProgramFolder;
    std::vector<std::string> mExtraFiles;
    std::vector<std::string> mPackGroups;
    bool mGroupsRegistered = false;
    bool mLobbyMade = false;
    bool mResourcesWanted = false;
    bool mVersionInvalid = false;
    bool mDevelopmentTree = false;
};

} // namespace zrk
} // namespace kavri3D
