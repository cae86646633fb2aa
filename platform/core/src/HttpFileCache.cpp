#include "core/HttpFileCache.h"

#include <filesystem>
#include <transport/TransportService.h>
#include <unistd.h>
#include <yake/Logger.h>

namespace kavri3D {
namespace core {

namespace {
const char kFilesPart[] = "/files/";

void logLine(unsigned severity, const std::string& text) { yake::logging::logger::instance().log(severity, "cache", text); }

bool isFile(const std::string& path)
{
    std::error_code ec;
    return !path.empty() && std::filesystem::is_regular_file(path, ec);
}
} // namespace

HttpFileCache::HttpFileCache() = default;

HttpFileCache::~HttpFileCache() { abortAll(); }

bool HttpFileCache::create(const std::string& folder)
{
    mFolder = folder;
    if (!mFolder.empty() && mFolder.back() != '/')
        mFolder += '/';
    if (mFolder.empty()) {
        // The working folder is no cache: nothing would be found again or cleaned up.
        logLine(3, "no cache folder given");
        mCreated = false;
        return false;
    }
    std::error_code ec;
    std::filesystem::create_directories(mFolder, ec);
    mCreated = !ec;
    if (ec)
        logLine(3, "cache folder " + mFolder + " cannot be made: " + ec.message());
    return mCreated;
}

void HttpFileCache::destroy()
{
    abortAll();
    mCreated = false;
}

void HttpFileCache::setServedFrom(const std::string& root, const std::string& localFolder)
{
    mServedRoot = root;
    mServedFolder = localFolder;
    if (!mServedFolder.empty() && mServedFolder.back() != '/')
        mServedFolder += '/';
}

std::string HttpFileCache::servedFile(const std::string& url) const
{
    if (url.compare(0, mServedRoot.size(), mServedRoot) != 0)
        return std::string();
    const std::string rest = url.substr(mServedRoot.size());
    if (rest.compare(0, sizeof kFilesPart - 1, kFilesPart) != 0)
        return std::string();
    const std::string below = rest.substr(sizeof kFilesPart - 1);
    // The served folder is the whole server: an address may not climb out of it.
    if (below.empty() || below.find("..") != std::string::npos || below.find('\\') != std::string::npos)
        return std::string();
    return mServedFolder + below;
}

bool HttpFileCache::isSafeKey(const std::string& key)
{
    return !key.empty() && key.find('/') == std::string::npos && key.find('\\') == std::string::npos &&
           key.find("..") == std::string::npos;
}

std::string HttpFileCache::keyToFile(const std::string& key) const
{
    if (!mCreated || !isSafeKey(key))
        return std::string();
    return mFolder + key;
}

bool HttpFileCache::hitCache(const std::string& key) const { return isFile(keyToFile(key)); }

bool HttpFileCache::resolve(const std::string& key, const std::string& url, const std::string& userValue,
                            Completion done)
{
    if (keyToFile(key).empty()) {
        logLine(4, "fetch of \"" + key + "\" refused: " + (mCreated ? "not a file name" : "no cache folder"));
        return false;
    }
    if (mFetches.count(key))
        return true;
    const int job = TransportService::instance().startJob([this, key] { land(key); });
    mFetches[key] = Fetch{job, url, userValue, std::move(done)};
    return true;
}

void HttpFileCache::land(const std::string& key)
{
    auto it = mFetches.find(key);
    if (it == mFetches.end())
        return;
    Fetch fetch = std::move(it->second);
    mFetches.erase(it);
    const std::string file = keyToFile(key);
    const bool ok = hitCache(key) || copyServed(fetch.url, file);
    // The cache may be told first: a completion may end the requester, not the cache.
    notifyCachedFile(key, file, fetch.userValue, ok);
    if (fetch.done)
        fetch.done(key, file, ok);
}

bool HttpFileCache::fetchNow(const std::string& key, const std::string& url)
{
    const std::string file = keyToFile(key);
    if (file.empty())
        return false;
    return isFile(file) || copyServed(url, file);
}

bool HttpFileCache::copyServed(const std::string& url, const std::string& file) const
{
    const std::string source = servedFile(url);
    std::error_code ec;
    if (source.empty() || !isFile(source)) {
        logLine(6, "nothing served at " + url);
        return false;
    }
    const auto size = std::filesystem::file_size(source, ec);
    if (ec || size > kMaxFileSize) {
        logLine(4, "served file " + source + " refused: " + (ec ? ec.message() : std::string("too large")));
        return false;
    }
    // Written beside the file and renamed, so no one reads half a file.
    const std::string part = file + ".part" + std::to_string(::getpid());
    std::filesystem::copy_file(source, part, std::filesystem::copy_options::overwrite_existing, ec);
    if (!ec)
        std::filesystem::rename(part, file, ec);
    if (ec) {
        std::filesystem::remove(part, ec);
        logLine(3, "cannot cache " + source + " as " + file);
        return false;
    }
    return true;
}

void HttpFileCache::abort(const std::string& key)
{
    auto it = mFetches.find(key);
    if (it == mFetches.end())
        return;
    TransportService::instance().cancelJob(it->second.job);
    mFetches.erase(it);
}

void HttpFileCache::abortAll()
{
    for (const auto& f : mFetches)
        TransportService::instance().cancelJob(f.second.job);
    mFetches.clear();
}

} // namespace core
} // namespace kavri3D
