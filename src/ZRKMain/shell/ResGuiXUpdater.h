#pragma once
#include <boost/enable_shared_from_this.hpp>
#include <string>
#include <vector>
#include <core/Updatable.h>

namespace kavri3D {
namespace zrk {
namespace gui {
class IGuiRes;
}
class ResGuiX;

/// Fetches the missing GUI files one by one, one step a frame, then lets the GUI plug-in load
/// them and tells its owner. Each file is tried twice; a second failure ends the downloads and
/// offers the player to quit.
class ResGuiXUpdater : public core::Updatable, public boost::enable_shared_from_this<ResGuiXUpdater> {
public:
    explicit ResGuiXUpdater(ResGuiX* owner);
    ~ResGuiXUpdater() override;

    /// Once a frame while registered; leaves the updatable manager when `step` says so.
    void update(float dt) override;
    /// One step: true to be called again, false when finished.
    bool step();

    void setFiles(const std::vector<std::string>& files);
    bool allDone() const { return mNext < 0 || static_cast<std::size_t>(mNext) >= mFiles.size(); }
    bool failed() const { return mNext == -1; }
    /// One download ended: the local path, empty when it failed.
    void onDownloaded(int index, const std::string& key, const std::string& path);

    const std::vector<std::string>& getFiles() const { return mFiles; }
    int getCurrent() const { return mCurrent; }
    int getNext() const { return mNext; }

private:
    ResGuiX* mOwner;
    gui::IGuiRes* mGuiRes = nullptr;
    std::vector<std::string> mFiles;
    int mCurrent = -1;
    int mNext = -1;
    int mRetries = 1;
};

} // namespace zrk
} // namespace kavri3D
