#pragma once
#include <map>
#include <string>
#include "scene/SceneDocument.h"

namespace kavri3D {
namespace core {

/// The scene documents read so far, by lower-case product name.
class SceneDocumentCache {
public:
    static std::string keyOf(const std::string& product);

    SceneDocumentPtr find(const std::string& product) const;
    void add(const std::string& product, const SceneDocumentPtr& document);
    void removeAll() { mDocuments.clear(); }
    /// Lets go of the documents nobody else holds (a later lookup reads them again from the
    /// file cache); those still in use stay.
    void maintenance();
    std::size_t size() const { return mDocuments.size(); }

private:
    std::map<std::string, SceneDocumentPtr> mDocuments;
};

} // namespace core
} // namespace kavri3D
