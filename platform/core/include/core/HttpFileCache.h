#pragma once
#include <cstddef>
#include <functional>
#include <map>
#include <string>

namespace kavri3D {
namespace core {

/// A download cache in one folder: a key is fetched from an address into its file in the
/// folder by the transport service, and lands one frame later.
///
/// There is no file server here: an address that begins with the served root followed by
/// "/files/" is read from the local served folder (the rest of the address below it). Keys
/// are file names: a key with a path part ("/", "\\", "..") is refused, so nothing lands
/// outside the folder.
class HttpFileCache {
public:
    /// After a fetch: the key, the cached file and whether it is there now.
    typedef std::function<void(const std::string& key, const std::string& file, bool ok)> Completion;

    /// The largest file a fetch copies.
    static constexpr std::size_t kMaxFileSize = 16u << 20;

    HttpFileCache();
    /// Ends its fetches: no completion runs after the cache is gone.
    virtual ~HttpFileCache();
    HttpFileCache(const HttpFileCache&) = delete;
    HttpFileCache& operator=(const HttpFileCache&) = delete;

    /// Makes the folder (a trailing "/" is added); false when it cannot be made.
    virtual bool create(const std::string& folder);
    /// Ends the fetches; the folder and its files stay.
    virtual void destroy();
    bool isCreated() const { return mCreated; }
    const std::string& folder() const { return mFolder; }
    void setPriority(int priority) { mPriority = priority; }
    int getPriority() const { return mPriority; }

    /// Where addresses are read from: `root` + "/files/<rest>" is `localFolder` + "<rest>".
    void setServedFrom(const std::string& root, const std::string& localFolder);
    /// The local file an address is served from; empty when it is not served.
    std::string servedFile(const std::string& url) const;

    /// Whether the key is a plain file name that stays in the folder.
    static bool isSafeKey(const std::string& key);
    /// The key's file in the folder; empty for a refused key or without a folder.
    virtual std::string keyToFile(const std::string& key) const;
    /// Whether the key's file is in the folder.
    virtual bool hitCache(const std::string& key) const;

    /// Starts fetching the address into the key's file (a key already in the folder lands
    /// without copying). The completion (may be empty) runs when it lands. False, with a log
    /// line, for a refused key or without a folder; a key already on its way is not fetched
    /// twice (true).
    virtual bool resolve(const std::string& key, const std::string& url, const std::string& userValue,
                         Completion done);
    /// Copies the address into the key's file at once; true when the file is there afterwards.
    bool fetchNow(const std::string& key, const std::string& url);
    /// Ends the key's fetch; its completion never runs.
    virtual void abort(const std::string& key);
    virtual void abortAll();
    /// Fetches on their way.
    std::size_t count() const { return mFetches.size(); }
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
        std::string url;
        std::string userValue;
        Completion done;
    };
    void land(const std::string& key);
    bool copyServed(const std::string& url, const std::string& file) const;

    std::string mFolder;
    std::string mServedRoot;
    std::string mServedFolder = "res/";
    std::map<std::string, Fetch> mFetches;
    int mPriority = 0;
    bool mCreated = false;
};

} // namespace core
} // namespace kavri3D
