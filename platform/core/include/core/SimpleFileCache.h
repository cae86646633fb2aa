#pragma once
#include <string>

namespace kavri3D {
namespace core {

/// A download cache in one folder.
class SimpleFileCache {
public:
    /// The cache folder of a name: "kavri3D/cachedPath" + name + "/".
    static std::string getFolder(const std::string& name);
    /// Makes the folder; false when it cannot be made.
    bool create(const std::string& folder);
    void destroy();
    void setPriority(int priority) { mPriority = priority; }
    int getPriority() const { return mPriority; }
    const std::string& folder() const { return mFolder; }
    bool isCreated() const { return mCreated; }

private:
    std::string mFolder;
    int mPriority = 0;
    bool mCreated = false;
};

} // namespace core
} // namespace kavri3D
