#pragma once
#include <string>
#include "scene/SceneDocument.h"

namespace kavri3D {
namespace core {

/// Finds the scene document of a product for the product manager.
class SceneDocumentResolver {
public:
    virtual ~SceneDocumentResolver() = default;
    /// With `sync` the document now (a product found nowhere gives what the resolver makes
    /// of it, possibly null); otherwise the document when it is already here, or null while
    /// it is fetched in the background (the product manager receives it when it lands).
    virtual SceneDocumentPtr resolve(const std::string& product, bool sync) = 0;
    /// Ends every background fetch.
    virtual void abortAll() = 0;
};

} // namespace core
} // namespace kavri3D
