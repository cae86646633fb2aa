#pragma once
#include <map>
#include <set>
#include <string>
#include <scene/AsyncProductResolver.h>

namespace kavri3D {
namespace core {
class Manifest;
}
namespace zrk {

/// The game's data products: a product's key (its file name, lower case, without extension)
/// to its address on the file server, the manifest naming the files that live elsewhere than
/// "/files/data/<key>.ss1". Besides answering requests it fetches the listed products in the
/// background, one per step and only while no other transfer is on its way: first the map
/// products ("mapxs"), then weapons, props, buffs and stars, then everything left.
class ZRKProductResolver : public core::AsyncProductResolver {
public:
    /// The background walk's stages; at this one it is finished.
    static constexpr int kDone = 7;

    /// From the application's manifest.
    ZRKProductResolver();
    /// From this manifest (none: nothing listed).
    explicit ZRKProductResolver(const core::Manifest* manifest);
    ~ZRKProductResolver() override;

    std::string keyToUrl(const std::string& key) override;
    /// One background step: at most one fetch, a bounded look at the list.
    void prefetchStep();
    /// Fetches a listed product now: 1 started, 0 already here, -1 not (or no more) waiting.
    int prefetchNow(const std::string& name);

    int getStage() const { return mStage; }
    std::size_t pendingCount() const { return mPending.size(); }
    const std::map<std::string, std::string>& getFileMap() const { return mFileMap; }

protected:
    /// Logged once per product; the product then shows the placeholder.
    core::SceneDocumentPtr onMissing(const std::string& product) override;

private:
    void buildFileMap(const core::Manifest* manifest);
    /// The program folder's copy of a listed file; empty when it has none.
    std::string programCopy(const std::string& listedPath) const;
    void fetch(const std::string& key);

    std::map<std::string, std::string> mFileMap;
    std::map<std::string, std::string> mPending;
    std::map<std::string, std::string>::iterator mPosition;
    int mStage = 0;
    std::string mAppPath;
    std::set<std::string> mMissing;
};

} // namespace zrk
} // namespace kavri3D
