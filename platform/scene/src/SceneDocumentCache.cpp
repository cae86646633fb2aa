#include "scene/SceneDocumentCache.h"

#include <boost/algorithm/string/case_conv.hpp>

namespace kavri3D {
namespace core {

std::string SceneDocumentCache::keyOf(const std::string& product) { return boost::algorithm::to_lower_copy(product); }

SceneDocumentPtr SceneDocumentCache::find(const std::string& product) const
{
    auto it = mDocuments.find(keyOf(product));
    return it == mDocuments.end() ? SceneDocumentPtr() : it->second;
}

void SceneDocumentCache::maintenance()
{
    for (auto it = mDocuments.begin(); it != mDocuments.end();)
        if (it->second.use_count() <= 1)
            it = mDocuments.erase(it);
        else
            ++it;
}

void SceneDocumentCache::add(const std::string& product, const SceneDocumentPtr& document)
{
    if (document)
        mDocuments[keyOf(product)] = document;
}

} // namespace core
} // namespace kavri3D
