#pragma once
// The system's web browser control: a page and its "x" button in a real window inside the game
// window. The control lives in its own library (WebBrowser.dll, on WebKitGTK), loaded the
// first time the game shows a page: it costs a fraction of a second and much memory, and most
// runs never show one. Every call is made on the game's main thread.
#include <string>

namespace webbrowser {

/// What the host decides about the page, asked by the control while it shows one.
class IDocHostUIHandler {
public:
    /// True: the host handled the context menu (none is shown).
    virtual bool ShowContextMenu() = 0;
    /// True: the page may take dragged things.
    virtual bool GetDropTarget() = 0;

protected:
    ~IDocHostUIHandler() = default;
};

/// What the control tells its host. Each call comes from inside IWebBrowser::pump.
class IWebBrowserEvents {
public:
    /// The top document is loaded (the page's "document complete").
    virtual void onDocumentComplete(const std::string& url) = 0;
    /// The host's own script (`ownBridge` of setUserScripts, in a script world of its own
    /// that pages cannot reach) posted `text` from a top frame. `origin` is the page's URL.
    virtual void onScriptMessage(const std::string& text, const std::string& origin) = 0;
    /// The player pressed the "x" button.
    virtual void onCloseButton() = 0;
    /// The top frame is about to load `url` (also after a redirect): the host may set the user
    /// scripts for it now; false refuses the load.
    virtual bool onBeforeNavigate(const std::string& url) = 0;
    /// A page was not shown (`why`: larger than the largest document taken); the view shows
    /// a blank page instead.
    virtual void onPageRefused(const std::string& url, const std::string& why) = 0;

protected:
    ~IWebBrowserEvents() = default;
};

/// Where the control's window goes.
struct BrowserSpec {
    unsigned long parentWindow = 0; // the X window it is made inside of
    int x = 0, y = 0, width = 0, height = 0;
    /// Largest document or resource the page may load, in bytes, however it comes (a declared
    /// length, chunks or none). The first page of the run sets it for the run.
    unsigned long long maxResponseBytes = 8u << 20;
    /// Pages of "http://<localHost>/" come from the Unix socket `localSocket` (the game's own
    /// file server), never over the network; empty: there is none. Set by the first page.
    std::string localHost;
    std::string localSocket;
};

class IWebBrowser {
public:
    virtual ~IWebBrowser() = default;
    /// Starts loading; false when the control refuses the URL at once.
    virtual bool Navigate(const std::string& url) = 0;
    /// The URL shown (empty before the first load).
    virtual std::string currentUrl() const = 0;
    /// Position in the parent window and size.
    virtual void move(int x, int y, int width, int height) = 0;
    virtual void show(bool visible) = 0;
    /// Gives the page the keyboard.
    virtual void focus() = 0;
    /// The control's X window (its native window).
    virtual unsigned long nativeWindow() const = 0;
    /// Scripts run at the start of each document: `everyPage` in every frame of every page,
    /// `ownPages` only in top frames whose URL matches `ownPattern` ("http://host/*"), both
    /// beside the page's own scripts; `ownBridge` in the same top frames but in a script world
    /// of the host's, the only one that can post to the host (window.webkit.messageHandlers.
    /// external.postMessage), which the page's scripts never see.
    virtual void setUserScripts(const std::string& everyPage, const std::string& ownPages,
                                const std::string& ownPattern, const std::string& ownBridge) = 0;
    virtual void SetUIHandler(IDocHostUIHandler* handler) = 0;
    /// Whether the page's window takes dragged things (the control's drop target).
    virtual void put_RegisterAsDropTarget(bool on) = 0;
    /// Tests: runs a script in the page; its result as text comes with a later pump
    /// (`scriptResult`).
    virtual void runScript(const std::string& script) = 0;
    /// Tests: the text of the last script result ("" until it came); `ready` tells whether it came.
    virtual std::string scriptResult(bool* ready) const = 0;
    /// Runs what the control has waiting (window events, page processes), at most `maxSteps`
    /// steps; never blocks.
    virtual void pump(int maxSteps) = 0;
};

} // namespace webbrowser

extern "C" {
/// Null when the control cannot be made (no display, the window toolkit does not start).
typedef webbrowser::IWebBrowser* (*CreateWebBrowserFn)(const webbrowser::BrowserSpec* spec,
                                                       webbrowser::IWebBrowserEvents* events);

// The control's test surface (exported as "WebBrowserProxyPort", "WebBrowserProxyCounts" and
// "WebBrowserStrangerTest"): the port of the pages' proxy (0 before the first page), what became
// of its connections (served, another user's dropped, busy), and a check that also counts a
// connection a stranger's, for where a test cannot run its client as another user.
typedef int (*WebBrowserProxyPortFn)();
typedef void (*WebBrowserProxyCountsFn)(unsigned long counts[3]);
typedef void (*WebBrowserStrangerTestFn)(int (*isStranger)(int fd));
}
