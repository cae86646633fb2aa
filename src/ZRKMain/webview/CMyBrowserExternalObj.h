#pragma once
#include <cstddef>
#include <string>

namespace kavri3D {
namespace zrk {

/// What a page in the web view reaches as window.external: `close` (closes the view) and
/// `openid`, `openkey` (the platform identity the game was started with). The identity is the
/// player's secret, so it goes only to pages of the game's own origin (scheme, host and port of
/// its file server); other pages get "" as a game started without the platform does.
class CMyBrowserExternalObj {
public:
    /// Longest message a page may send over the script channel.
    static constexpr std::size_t kMaxMessage = 256;

    /// Closes the view on the next frame (never inside the page's own call).
    void close();
    /// UTF-8; "" unless the game was started by the platform ("kavri3D/autoLogin/platform").
    std::string openid() const;
    std::string openkey() const;

    /// A message from the page's script channel: "close" closes the view; anything else is
    /// logged and ignored. True when it was acted on.
    bool onScriptMessage(const std::string& text);

    /// The scripts every page starts with: window.external with `close` and empty identity,
    /// and for the game's own pages (`ownOrigin`) the identity too (empty origin: none).
    std::string everyPageScript() const;
    std::string ownPageScript(const std::string& ownOrigin) const;
    /// The one way a page reaches the game: in the host's own script world, only in the top
    /// frame of a page of `ownOrigin`, `close` (a DOM event on that document) becomes the
    /// message "close". A frame of another origin, or any other page, closes nothing.
    std::string bridgeScript(const std::string& ownOrigin) const;

    /// "scheme://host[:port]" of an http or https URL as a browser names its origin (no user
    /// part, no default port, lower case); "" for anything else.
    static std::string originOf(const std::string& url);
    /// Whether `url` is of the same origin as `applicationPath` (the file server's address).
    static bool isOwnOrigin(const std::string& url, const std::string& applicationPath);
    /// The user-script allow-list entry of an origin ("http://host/*"; ports are not matched
    /// there, which is why the script compares the origin itself).
    static std::string allowPattern(const std::string& origin);

private:
    std::string identity(const char* key) const;
};

} // namespace zrk
} // namespace kavri3D
