#pragma once
#include <functional>
#include <memory>
#include <string>
#include <webbrowser/WebBrowser.h>
#include <win32/Windows.h>

namespace kavri3D {
namespace zrk {

/// Web pages (notices, shop pages) over the game: the system's browser control in a child
/// window of the render window, with an "x" button at its top right. One view at most. The
/// browser library is loaded on the first page, never at start-up. The page reaches the game
/// through window.external (CMyBrowserExternalObj).
class HtmlView {
public:
    /// The browser control's events: the page loaded, its script messages, its "x" button.
    class CMyBrowser : public webbrowser::IWebBrowserEvents {
    public:
        explicit CMyBrowser(HtmlView& view) : mView(view) {}
        void onDocumentComplete(const std::string& url) override;
        void onScriptMessage(const std::string& text, const std::string& pageUrl) override;
        void onCloseButton() override;
        bool onBeforeNavigate(const std::string& url) override;
        void onPageRefused(const std::string& url, const std::string& why) override;

        webbrowser::IWebBrowser* control() const { return mControl.get(); }
        void setControl(webbrowser::IWebBrowser* control) { mControl.reset(control); }

    private:
        HtmlView& mView;
        std::unique_ptr<webbrowser::IWebBrowser> mControl;
    };

    /// Makes a browser control (tests put a fake one in).
    typedef std::function<webbrowser::IWebBrowser*(const webbrowser::BrowserSpec&, webbrowser::IWebBrowserEvents*)>
        BrowserFactory;

    /// Longest URL the view opens.
    static constexpr std::size_t kMaxUrl = 8192;
    /// Largest document a page may load.
    static constexpr unsigned long long kMaxPageBytes = 8u << 20;
    /// GLib steps run each frame at most while a page is shown.
    static constexpr int kPumpSteps = 64;

    /// The view, made when there is none, its window over the render window's client area
    /// when it has none. Null (one log line) without a display, a render window or the browser.
    static HtmlView* open();
    /// Shows the URL (http, https or about:blank) in the view, opening it first; false when
    /// the URL is refused or no view could be had.
    static bool navigate(const std::string& url);
    /// Destroys the view's window and the view; the game window gets the keyboard back.
    static void close();
    /// The live view; null when none.
    static HtmlView* instance();
    /// The page asked to close: the view closes on the next frame.
    static void requestClose();
    /// Tests: an empty factory stands for the browser library.
    static void setBrowserFactory(BrowserFactory factory);

    /// The view's window (a child of the render window); null after its "x" destroyed it.
    HWND getWindow() const { return mWindow; }
    webbrowser::IWebBrowser* browser() const { return mBrowser.control(); }
    /// Each frame, from the frame loop's idle time: the deferred close and "x", then the
    /// browser's own work.
    void onIdle();

private:
    HtmlView();
    ~HtmlView();
    bool createWindow();
    /// The window's destroy hook: the browser goes, the game window takes the keyboard.
    void onWindowDestroyed();
    void installScripts();

    HWND mWindow = nullptr;
    CMyBrowser mBrowser;
    bool mCloseRequested = false;
    bool mDestroyRequested = false;
    std::string mInstalledScripts;
};

} // namespace zrk
} // namespace kavri3D
