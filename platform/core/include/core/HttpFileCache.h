#pragma once
#include <cstddef>
#include <functional>
#include <map>
#include <string>

namespace kavri3D {
namespace core {

/// A download cache in one folder: a key is downloaded from an address (HTTP or HTTPS, through
/// the transport service) into its file in the folder, and lands on a later frame.
///
/// A key is a file name or a relative path of plain segments ("res/GUIX1/a.png"); a key with
/// "..", "." or empty segments, a backslash or a leading "/" is refused, so nothing lands
/// outside the folder. Each fetch is answered once, on the main thread, from the transport
/// service's pump; a fetch aborted (or a cache gone) is never answered.
class HttpFileCache {
public:
    /// After a fetch: the key and its local file; the file is empty when the fetch failed.
    typedef std::function<void(const std::string& key, const std::string& file)> Completion;

    HttpFileCache();
    /// Ends its fetches: no completion runs after the cache is gone.
    virtual ~HttpFileCache();
    HttpFileCache(const HttpFileCache&) = delete;
    HttpFileCache& operator=(const HttpFileCache&) = delete;

    /// Makes the folder (a trailing "/" is added); false when it cannot be made.
    virtual bool create(const std::string& folder);
    /// Ends the fetches (none is answered after); the folder and its files stay.
    virtual void destroy();
    bool isCreated() const { return mCreated; }
    const std::string& folder() const { return mFolder; }
    void setPriority(int priority) { mPriority = priority; }
    int getPriority() const { return mPriority; }

    /// Whether the key is a relative path of plain segments that stays in the folder.
    static bool isSafeKey(const std::string& key);
    /// The key's file in the folder; empty for a refused key or without a folder.
    virtual std::string keyToFile(const std::string& key) const;
    /// Whether the key's file is in the folder.
    virtual bool hitCache(const std::string& key) const;

    /// Starts downloading the address into the key's file. False only when the file is
    /// already there (nothing to wait for, no completion). Any other problem (a refused key,
    /// no folder, a bad address) answers true and fails on a later frame, so the caller's
    /// failure path runs. A key already on its way is not fetched twice (true; only the first
    /// completion is kept).
    virtual bool resolve(const std::string& key, const std::string& url, const std::string& userValue, Completion done);
    virtual bool resolve(const std::string& key, const std::string& url, Completion done);
    /// Downloads the address into the key's file at once, waiting for it at most a second
    /// (the frame is held up meanwhile); true when the file is there afterwards.
    bool fetchNow(const std::string& key, const std::string& url);
    /// Ends the key's fetch; its completion never runs.
    virtual void abort(const std::string& key);
    virtual void abortAll();
    /// Fetches on their way.
    virtual std::size_t count() const { return mFetches.size(); }
    bool isFetching(const std::string& key) const { return mFetches.count(key) > 0; }

protected:
    /// A fetch of this cache landed (`ok`: the file is there) or failed.
    virtual void notifyCachedFile(const std::string& key, const std::string& file, const std::string& userValue,
                                  bool ok)
    {
    }

private:
    struct Fetch {
        int job;
        std::string userValue;
        Completion done;
    };
    void land(const std::string& key, int job, bool ok);
    /// Makes the folders the key's file lies in; false (logged) when it cannot.
    bool makeParents(const std::string& file) const;

    std::string mFolder;
    std::map<std::string, Fetch> mFetches;
    int mPriority = 0;
    bool mCreated = false;
};

} // namespace core
} // namespace kavri3D
