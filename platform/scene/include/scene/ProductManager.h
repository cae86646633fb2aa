#pragma once
#include <boost/shared_ptr.hpp>
#include <string>
#include "scene/SceneDocument.h"
#include "scene/SceneDocumentCache.h"

namespace kavri3D {
namespace core {

class SceneDocumentResolver;

/// The scene documents (effects, furniture, prize boxes) the client knows, by product name
/// (letter case does not count). A product whose "<name>.mesh" is in a resource group
/// counts as known too; others come from the installed document resolver.
class ProductManager {
public:
    typedef SceneDocument Document;
    typedef SceneDocumentPtr DocumentPtr;

    static ProductManager& instance();

    /// The product's document; null while it is not known. With `load` the mesh-backed
    /// document is made when the mesh is there, and otherwise the resolver is asked in the
    /// background: the document is here once its fetch has landed.
    DocumentPtr lookup(const std::string& product, bool load);
    /// The product's document now, asking the resolver to fetch it at once when needed;
    /// null when there is no resolver and nothing is known.
    DocumentPtr resolveNow(const std::string& product);
    /// A fetched product (the resolver, and tests, hand them over).
    void addDocument(const std::string& product, const std::string& mesh);
    void addDocument(const DocumentPtr& document);
    void clear() { mDocuments.removeAll(); }
    std::size_t size() const { return mDocuments.size(); }
    SceneDocumentCache& getDocumentCache() { return mDocuments; }

    /// Installs the resolver asked for unknown products (null uninstalls). With `active`
    /// false it is kept but not asked. The resolver stays its owner's.
    void setDocumentResolver(SceneDocumentResolver* resolver, bool active);
    SceneDocumentResolver* getDocumentResolver() const { return mResolver; }

private:
    DocumentPtr meshDocument(const std::string& product);

    SceneDocumentCache mDocuments;
    SceneDocumentResolver* mResolver = nullptr;
    bool mResolverActive = false;
};

} // namespace core
} // namespace kavri3D
