#pragma once
#include <cstddef>
#include <string>
#include <core/HttpFileCache.h>
#include "scene/SceneDocumentResolver.h"

namespace kavri3D {
namespace core {

/// A document resolver that fetches product files ("<key>.ss1", the key in lower case) into
/// its cache folder and reads them: at once when asked to, otherwise in the background, the
/// document going to the product manager when its file lands. A product found nowhere, or
/// whose file is no product document, gets what onMissing makes of it.
///
/// A product file is a small JSON object: "mesh" (a model), or "shape" ("cube", "sphere"),
/// "size" (three factors of the 100-unit shape) and "colour" (red, green, blue in 0..1).
class AsyncProductResolver : public SceneDocumentResolver, public HttpFileCache {
public:
    /// The largest product file read.
    static constexpr std::size_t kMaxDocumentSize = 64 * 1024;

    AsyncProductResolver();
    /// Leaves the product manager when still installed there.
    ~AsyncProductResolver() override;

    void setCacheFolder(const std::string& folder) { create(folder); }
    /// The address a product is fetched from.
    virtual std::string keyToUrl(const std::string& key) = 0;

    using HttpFileCache::resolve;
    SceneDocumentPtr resolve(const std::string& product, bool sync) override;
    /// Starts the product's background fetch; false when it was refused.
    bool beginAsyncResolve(const std::string& product);
    void abortAsyncResolve(const std::string& product);
    void abortAll() override;
    std::string keyToFile(const std::string& key) const override;
    /// Whether the product's file is in the cache: a plain file of the player's. Anything else
    /// at its name (another user's file, a link, a FIFO) is removed, and the product fetched anew.
    bool hitCache(const std::string& key) const override;

    /// The document in a product file; null (logged) when the file is missing, no plain file
    /// (a link is not followed), too large or not a JSON object. Values of the wrong type are
    /// logged and left at their defaults.
    static SceneDocumentPtr readDocument(const std::string& file, const std::string& name);

protected:
    /// What a product found nowhere shows; the default is the placeholder shape.
    virtual SceneDocumentPtr onMissing(const std::string& product);
    void notifyCachedFile(const std::string& key, const std::string& file, const std::string& userValue,
                          bool ok) override;

private:
    SceneDocumentPtr readCached(const std::string& product);
};

} // namespace core
} // namespace kavri3D
