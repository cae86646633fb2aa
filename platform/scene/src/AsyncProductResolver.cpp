#include "scene/AsyncProductResolver.h"

#include <algorithm>
#include <boost/algorithm/string/case_conv.hpp>
#include <fcntl.h>
#include <json/value.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <util/JsonText.h>
#include <yake/Logger.h>
#include <yake/PlayerFiles.h>

#include "scene/ProductManager.h"

namespace kavri3D {
namespace core {

namespace {
using yake::logging::Severity;

// Product files are flat objects; anything deeper is not one of ours.
const int kMaxDepth = 16;

const yake::logging::Channel logLine("product");

std::string lower(const std::string& s) { return boost::algorithm::to_lower_copy(s); }

/// Three numbers into `out`; false (out unchanged) when the value is not that.
bool readTriple(const Json::Value& value, float out[3])
{
    if (!value.isArray() || value.size() != 3)
        return false;
    for (Json::ArrayIndex i = 0; i < 3; ++i)
        if (!value[i].isNumeric())
            return false;
    for (Json::ArrayIndex i = 0; i < 3; ++i)
        out[i] = value[i].asFloat();
    return true;
}

} // namespace

AsyncProductResolver::AsyncProductResolver() = default;

AsyncProductResolver::~AsyncProductResolver()
{
    ProductManager& products = ProductManager::instance();
    if (products.getDocumentResolver() == this)
        products.setDocumentResolver(nullptr, false);
}

std::string AsyncProductResolver::keyToFile(const std::string& key) const
{
    const std::string k = lower(key);
    return isSafeKey(k) ? HttpFileCache::keyToFile(k + ".ss1") : std::string();
}

bool AsyncProductResolver::hitCache(const std::string& key) const
{
    // Only the player's own download counts: another user's file (or a link, a FIFO) planted at
    // the product's name goes, and the product is fetched again.
    const std::string file = keyToFile(key);
    return !file.empty() && yake::PlayerFiles::isPlayersFile(file, true);
}

SceneDocumentPtr AsyncProductResolver::resolve(const std::string& product, bool sync)
{
    const std::string key = lower(product);
    if (!isSafeKey(key)) {
        logLine(Severity::Warning, "product name \"" + product + "\" refused: not a file name");
        return onMissing(product);
    }
    if (hitCache(key))
        return readCached(product);
    if (sync)
        return fetchNow(key, keyToUrl(product)) ? readCached(product) : onMissing(product);
    beginAsyncResolve(product);
    return SceneDocumentPtr();
}

SceneDocumentPtr AsyncProductResolver::readCached(const std::string& product)
{
    SceneDocumentPtr doc = readDocument(keyToFile(product), lower(product));
    return doc ? doc : onMissing(product);
}

bool AsyncProductResolver::beginAsyncResolve(const std::string& product)
{
    return HttpFileCache::resolve(lower(product), keyToUrl(product), product, Completion());
}

void AsyncProductResolver::abortAsyncResolve(const std::string& product) { abort(lower(product)); }

void AsyncProductResolver::abortAll() { HttpFileCache::abortAll(); }

void AsyncProductResolver::notifyCachedFile(const std::string& key, const std::string& file,
                                            const std::string& userValue, bool ok)
{
    const std::string product = userValue.empty() ? key : userValue;
    SceneDocumentPtr doc = ok ? readDocument(file, key) : SceneDocumentPtr();
    if (!doc)
        doc = onMissing(product);
    if (doc)
        ProductManager::instance().getDocumentCache().add(product, doc);
}

SceneDocumentPtr AsyncProductResolver::onMissing(const std::string& product)
{
    SceneDocumentPtr doc(new SceneDocument);
    doc->name = lower(product);
    return doc;
}

SceneDocumentPtr AsyncProductResolver::readDocument(const std::string& file, const std::string& name)
{
    // Read where it stands: a link at its name is never followed, a FIFO never waited on.
    std::string why;
    const int fd = yake::PlayerFiles::open(file, O_RDONLY, &why);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0 || st.st_size <= 0 ||
        static_cast<unsigned long long>(st.st_size) > kMaxDocumentSize) {
        logLine(Severity::Warning, "product file " + file +
                                       (fd < 0            ? " cannot be read: " + why
                                        : st.st_size <= 0 ? std::string(" is empty")
                                                          : std::string(" is too large")));
        if (fd >= 0)
            ::close(fd);
        return SceneDocumentPtr();
    }
    std::string text(static_cast<std::size_t>(st.st_size), '\0');
    const bool whole = ::read(fd, &text[0], text.size()) == static_cast<ssize_t>(text.size());
    ::close(fd);
    if (!whole) {
        logLine(Severity::Warning, "product file " + file + " cannot be read");
        return SceneDocumentPtr();
    }
    Json::Value root;
    std::string errors;
    core::JsonText::Limits limits;
    limits.maxBytes = kMaxDocumentSize;
    limits.maxDepth = kMaxDepth;
    if (!core::JsonText::parse(text, root, errors, limits) || !root.isObject()) {
        logLine(Severity::Warning,
                "product file " + file + " is not a product document" + (errors.empty() ? "" : ": " + errors));
        return SceneDocumentPtr();
    }
    SceneDocumentPtr doc(new SceneDocument);
    doc->name = name;
    const Json::Value& mesh = root["mesh"];
    const Json::Value& shape = root["shape"];
    if (mesh.isString())
        doc->mesh = mesh.asString();
    else if (!mesh.isNull())
        logLine(Severity::Warning, "product " + name + ": \"mesh\" is not a text");
    if (shape.isString() && (shape.asString() == "cube" || shape.asString() == "sphere" || shape.asString() == "arrow"))
        doc->shape = shape.asString();
    else if (!shape.isNull())
        logLine(Severity::Warning, "product " + name + ": \"shape\" is not \"cube\", \"sphere\" or \"arrow\"");
    if (root.isMember("size") && !readTriple(root["size"], doc->size))
        logLine(Severity::Warning, "product " + name + ": \"size\" is not three numbers");
    if (root.isMember("colour") && !readTriple(root["colour"], doc->colour))
        logLine(Severity::Warning, "product " + name + ": \"colour\" is not three numbers");
    for (float& f : doc->size)
        f = std::min(std::max(f, 0.01f), 100.f); // no flat, inverted or absurd shapes
    for (float& c : doc->colour)
        c = std::min(std::max(c, 0.f), 1.f);
    return doc;
}

} // namespace core
} // namespace kavri3D
