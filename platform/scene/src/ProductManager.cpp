#include "scene/ProductManager.h"

#include <Ogre.h>

namespace kavri3D {
namespace core {

ProductManager& ProductManager::instance()
{
    static ProductManager manager;
    return manager;
}

ProductManager::DocumentPtr ProductManager::lookup(const std::string& product, bool load)
{
    auto it = mDocuments.find(product);
    if (it != mDocuments.end())
        return it->second;
    if (!load || product.empty() || !Ogre::ResourceGroupManager::getSingletonPtr())
        return DocumentPtr();
    try {
        if (!Ogre::ResourceGroupManager::getSingleton().resourceExistsInAnyGroup(product + ".mesh"))
            return DocumentPtr();
    } catch (const std::exception&) {
        return DocumentPtr();
    }
    addDocument(product, product + ".mesh");
    return mDocuments[product];
}

void ProductManager::addDocument(const std::string& product, const std::string& mesh)
{
    DocumentPtr doc(new Document);
    doc->name = product;
    doc->mesh = mesh;
    mDocuments[product] = doc;
}

} // namespace core
} // namespace kavri3D
