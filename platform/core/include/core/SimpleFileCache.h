#pragma once
#include <string>
#include <core/HttpFileCache.h>

namespace kavri3D {
namespace core {

/// The general download cache, in a folder of its own under the cache path.
class SimpleFileCache : public HttpFileCache {
public:
    /// The cache folder of a name: "kavri3D/cachedPath" + name + "/".
    static std::string getFolder(const std::string& name);
};

} // namespace core
} // namespace kavri3D
