#include "core/HttpFileCache.h"

#include <filesystem>
#include <transport/FileServer.h>
#include <transport/TransportService.h>
#include <yake/Logger.h>
#include <yake/PlayerFiles.h>

namespace kavri3D {
namespace core {

namespace {
using yake::logging::Severity;
const yake::logging::Channel logLine("cache");

bool isFile(const std::string& path)
{
    std::error_code ec;
    return !path.empty() && std::filesystem::is_regular_file(path, ec);
}
} // namespace

HttpFileCache::HttpFileCache() = default;

HttpFileCache::~HttpFileCache() { HttpFileCache::abortAll(); }

bool HttpFileCache::create(const std::string& folder)
{
    mFolder = folder;
    if (!mFolder.empty() && mFolder.back() != '/')
        mFolder += '/';
    if (mFolder.empty()) {
        // The working folder is no cache: nothing would be found again or cleaned up.
        logLine(Severity::Error, "no cache folder given");
        mCreated = false;
        return false;
    }
    // The player's alone: the folders it makes are 0700, a link where one should be is refused.
    std::string why;
    mCreated = yake::PlayerFiles::makeFolder(mFolder, &why);
    if (!mCreated)
        logLine(Severity::Error, "cache folder " + mFolder + " cannot be made: " + why);
    return mCreated;
}

void HttpFileCache::destroy()
{
    abortAll();
    mCreated = false;
}

bool HttpFileCache::isSafeKey(const std::string& key) { return FileServer::isPlainPath(key); }

std::string HttpFileCache::keyToFile(const std::string& key) const
{
    if (!mCreated || !isSafeKey(key))
        return std::string();
    return mFolder + key;
}

bool HttpFileCache::hitCache(const std::string& key) const { return isFile(keyToFile(key)); }

bool HttpFileCache::makeParents(const std::string& file) const
{
    const std::string parent = std::filesystem::path(file).parent_path().string();
    std::string why;
    if (yake::PlayerFiles::makeFolder(parent, &why))
        return true;
    logLine(Severity::Error, "folder " + parent + " cannot be made: " + why);
    return false;
}

bool HttpFileCache::resolve(const std::string& key, const std::string& url, Completion done)
{
    return resolve(key, url, std::string(), std::move(done));
}

bool HttpFileCache::resolve(const std::string& key, const std::string& url, const std::string& userValue,
                            Completion done)
{
    if (mFetches.count(key))
        return true;
    const std::string file = keyToFile(key);
    if (!file.empty() && isFile(file))
        return false; // already here: nothing to wait for
    TransportService& transport = TransportService::instance();
    int job = 0;
    if (file.empty() || !makeParents(file)) {
        // Refused here, answered as a failure on a later frame like any other.
        logLine(Severity::Warning,
                "fetch of \"" + key + "\" refused: " + (mCreated ? "not a relative file name" : "no cache folder"));
        job = transport.startJob([this, key] {
            auto it = mFetches.find(key);
            if (it != mFetches.end())
                land(key, it->second.job, false);
        });
    } else {
        job = transport.startTransfer(url, file, [this, key](bool ok, const std::string&) {
            auto it = mFetches.find(key);
            if (it != mFetches.end())
                land(key, it->second.job, ok);
        });
    }
    mFetches[key] = Fetch{job, userValue, std::move(done)};
    return true;
}

void HttpFileCache::land(const std::string& key, int job, bool ok)
{
    auto it = mFetches.find(key);
    if (it == mFetches.end() || it->second.job != job)
        return;
    Fetch fetch = std::move(it->second);
    mFetches.erase(it);
    const std::string file = ok ? keyToFile(key) : std::string();
    // The cache may be told first: a completion may end the requester, not the cache.
    notifyCachedFile(key, keyToFile(key), fetch.userValue, ok);
    if (fetch.done)
        fetch.done(key, file);
}

bool HttpFileCache::fetchNow(const std::string& key, const std::string& url)
{
    const std::string file = keyToFile(key);
    if (file.empty())
        return false;
    if (isFile(file))
        return true;
    std::string error;
    if (!makeParents(file))
        return false;
    if (!TransportService::instance().transferNow(url, file, error)) {
        // The caller shows its placeholder: a slow server holds the frame up a second at most.
        logLine(Severity::Trace, "nothing fetched from " + url + ": " + error);
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
