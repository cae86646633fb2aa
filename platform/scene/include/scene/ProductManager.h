#pragma once
#include <boost/shared_ptr.hpp>
#include <map>
#include <string>

namespace kavri3D {
namespace core {

/// The scene documents (effects, furniture) the client has fetched, by product name. A
/// document names the mesh it shows; a product whose "<name>.mesh" is in a resource group
/// counts as fetched too.
class ProductManager {
public:
    struct Document {
        std::string name;
        std::string mesh; // empty: drawn as a placeholder shape
    };
    typedef boost::shared_ptr<Document> DocumentPtr;

    static ProductManager& instance();

    /// The product's document; null while it has not been fetched. `load` asks for the
    /// mesh-backed document to be made when the mesh is there.
    DocumentPtr lookup(const std::string& product, bool load);
    /// A fetched product (the resolver, and tests, hand them over).
    void addDocument(const std::string& product, const std::string& mesh);
    void clear() { mDocuments.clear(); }
    std::size_t size() const { return mDocuments.size(); }

private:
    std::map<std::string, DocumentPtr> mDocuments;
};

} // namespace core
} // namespace kavri3D
