#include "scene/DefaultProductResolver.h"

#include "scene/ProductManager.h"

namespace kavri3D {
namespace core {

SceneDocumentPtr DefaultProductResolver::resolve(const std::string& product, const std::string&, bool sync)
{
    ProductManager& products = ProductManager::instance();
    return sync ? products.resolveNow(product) : products.lookup(product, true);
}

SceneDocumentCache* DefaultProductResolver::getDocumentCache()
{
    return &ProductManager::instance().getDocumentCache();
}

} // namespace core
} // namespace kavri3D
