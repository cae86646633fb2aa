#pragma once
#include <string>
#include "scene/SceneDocument.h"

namespace kavri3D {
namespace core {

class SceneDocumentCache;

/// The framework's way to a product's document: what the product manager knows, else what
/// its installed resolver finds.
class DefaultProductResolver {
public:
    /// With `sync` the document now (null only without any resolver); otherwise as the
    /// product manager's lookup: null until the background fetch has landed.
    static SceneDocumentPtr resolve(const std::string& product, const std::string& hint, bool sync);
    /// The documents read so far.
    static SceneDocumentCache* getDocumentCache();
};

} // namespace core
} // namespace kavri3D
