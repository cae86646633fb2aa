#include "scene/ProductManager.h"

#include <Ogre.h>

#include "scene/SceneDocumentResolver.h"

namespace kavri3D {
namespace core {

ProductManager& ProductManager::instance()
{
    static ProductManager manager;
    return manager;
}

ProductManager::DocumentPtr ProductManager::meshDocument(const std::string& product)
{
    if (product.empty() || !Ogre::ResourceGroupManager::getSingletonPtr())
        return DocumentPtr();
    try {
        if (!Ogre::ResourceGroupManager::getSingleton().resourceExistsInAnyGroup(product + ".mesh"))
            return DocumentPtr();
    } catch (const std::exception&) {
        return DocumentPtr();
    }
    addDocument(product, product + ".mesh");
    return mDocuments.find(product);
}

ProductManager::DocumentPtr ProductManager::lookup(const std::string& product, bool load)
{
    if (DocumentPtr doc = mDocuments.find(product))
        return doc;
    if (!load)
        return DocumentPtr();
    if (DocumentPtr doc = meshDocument(product))
        return doc;
    if (!mResolver || !mResolverActive)
        return DocumentPtr();
    DocumentPtr doc = mResolver->resolve(product, false);
    mDocuments.add(product, doc);
    return doc;
}

ProductManager::DocumentPtr ProductManager::resolveNow(const std::string& product)
{
    if (DocumentPtr doc = mDocuments.find(product))
        return doc;
    if (DocumentPtr doc = meshDocument(product))
        return doc;
    if (!mResolver)
        return DocumentPtr();
    DocumentPtr doc = mResolver->resolve(product, true);
    mDocuments.add(product, doc);
    return doc;
}

void ProductManager::addDocument(const std::string& product, const std::string& mesh)
{
    DocumentPtr doc(new Document);
    doc->name = SceneDocumentCache::keyOf(product);
    doc->mesh = mesh;
    mDocuments.add(product, doc);
}

void ProductManager::addDocument(const DocumentPtr& document)
{
    if (document)
        mDocuments.add(document->name, document);
}

void ProductManager::setDocumentResolver(SceneDocumentResolver* resolver, bool active)
{
    mResolver = resolver;
    mResolverActive = resolver && active;
}

} // namespace core
} // namespace kavri3D
