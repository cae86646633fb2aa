#include "webview/HtmlView.h"

#include <boost/make_shared.hpp>
#include <core/Application.h>
#include <core/MsgHandlers.h>
#include <core/NetClientManager.h>
#include <core/win32FrameController.h>
#include <transport/TransportService.h>
#include <cstdlib>
#include <filesystem>

#include "webview/CDummyUIHandler.h"
#include "webview/CMyBrowserExternalObj.h"
#include "services/GameServices.h"
#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

namespace {

HtmlView* gView = nullptr;
HtmlView::BrowserFactory gFactory;
const char* const kIdleName = "HtmlView";

bool openable(const std::string& url)
{
    return url.compare(0, 7, "http://") == 0 || url.compare(0, 8, "https://") == 0 || url == "about:blank";
}

/// Only our pages' origin gets the identity.
std::string ownOrigin()
{
    core::NetClientManager* net = core::NetClientManager::getSingletonPtr();
    return CMyBrowserExternalObj::originOf(net ? net->getApplicationPath()
                                               : core::NetClientManager::getRunApplicationPath());
}

/// A page's address as the log may hold it: our own pages without the file server's secret
/// word (the log hides it too, but only when the cut below leaves it whole), then cut short.
std::string logged(const std::string& url, std::size_t most)
{
    core::NetClientManager* net = core::NetClientManager::getSingletonPtr();
    const std::string own = net ? net->getApplicationPath() : core::NetClientManager::getRunApplicationPath();
    const std::string origin = CMyBrowserExternalObj::originOf(own);
    std::string shown = url;
    if (!origin.empty() && own.size() > origin.size() && url.compare(0, own.size(), own) == 0)
        shown = origin + "/*" + url.substr(own.size());
    return shown.substr(0, most);
}

/// The browser library, beside the module; loaded once and kept.
CreateWebBrowserFn browserLibrary()
{
    static HMODULE library = nullptr;
    static bool tried = false;
    if (!tried) {
        tried = true;
        const std::filesystem::path self(win32Utf8FromWide(win32ModulePathOf(reinterpret_cast<const void*>(&gView))));
        const std::wstring name = win32WideFromUtf8((self.parent_path() / "WebBrowser.dll").string());
        library = LoadLibraryW(name.c_str());
    }
    return library ? reinterpret_cast<CreateWebBrowserFn>(GetProcAddress(library, "CreateWebBrowser")) : nullptr;
}

core::win32FrameController* frameControl()
{
    core::Application* app = core::Application::getSingletonPtr();
    return app ? app->getFrameControl() : nullptr;
}

} // namespace

HtmlView::HtmlView() : mBrowser(*this) { gView = this; }

HtmlView::~HtmlView()
{
    if (mWindow)
        DestroyWindow(mWindow);
    if (gView == this)
        gView = nullptr;
}

HtmlView* HtmlView::instance() { return gView; }

void HtmlView::setBrowserFactory(BrowserFactory factory) { gFactory = std::move(factory); }

HtmlView* HtmlView::open()
{
    const bool made = !gView;
    if (made)
        new HtmlView;
    if (!gView->mWindow && !gView->createWindow()) {
        if (made)
            delete gView;
        return nullptr;
    }
    return gView;
}

bool HtmlView::createWindow()
{
    HWND parent = GameServices::renderWindow();
    if (!parent || !parent->native) {
        writeLog(kLogWarning, "HtmlView", "no game window to show the page in");
        return false;
    }
    BrowserFactory factory = gFactory;
    if (!factory) {
        const char* display = std::getenv("DISPLAY");
        if (!display || !*display) {
            writeLog(kLogWarning, "HtmlView", "no display: the page is not shown");
            return false;
        }
        CreateWebBrowserFn create = browserLibrary();
        if (!create) {
            writeLog(kLogError, "HtmlView",
                     "the browser library (libWebBrowser.so) did not load: the page is not shown");
            return false;
        }
        factory = [create](const webbrowser::BrowserSpec& spec, webbrowser::IWebBrowserEvents* events) {
            return create(&spec, events);
        };
    }
    // Over the render window's whole client area.
    RECT client{0, 0, 0, 0};
    GetClientRect(parent, &client);
    webbrowser::BrowserSpec spec;
    spec.parentWindow = parent->native;
    spec.x = client.left;
    spec.y = client.top;
    spec.width = client.right - client.left;
    spec.height = client.bottom - client.top;
    spec.maxResponseBytes = kMaxPageBytes;
    // Our own pages come from the built-in file server's socket, through the page's proxy.
    const core::TransportService& transport = core::TransportService::instance();
    spec.localHost = transport.getRoutedHost();
    spec.localSocket = transport.getRoutedSocket();
    mBrowser.setControl(factory(spec, &mBrowser));
    webbrowser::IWebBrowser* control = mBrowser.control();
    if (!control) {
        writeLog(kLogError, "HtmlView", "the browser could not be made: the page is not shown");
        return false;
    }
    mWindow = createWindowRecord();
    mWindow->parent = parent;
    mWindow->native = control->nativeWindow();
    mWindow->position = POINT{spec.x, spec.y};
    mWindow->client = RECT{0, 0, spec.width, spec.height};
    mWindow->onMove = [this](int x, int y, int w, int h) {
        if (webbrowser::IWebBrowser* c = mBrowser.control())
            c->move(x, y, w, h);
    };
    mWindow->onShow = [this](bool visible) {
        if (webbrowser::IWebBrowser* c = mBrowser.control())
            c->show(visible);
    };
    mWindow->onFocus = [this] {
        if (webbrowser::IWebBrowser* c = mBrowser.control())
            c->focus();
    };
    mWindow->onDestroy = [this] { onWindowDestroyed(); };
    installScripts();
    control->Navigate("about:blank");
    if (core::win32FrameController* controller = frameControl())
        controller->registerIdleHandler(kIdleName,
                                        boost::make_shared<core::msg::GenericIdleHandler>([this] { onIdle(); }));
    writeLog(kLogTrace, "HtmlView", "page view opened");
    return true;
}

void HtmlView::installScripts()
{
    webbrowser::IWebBrowser* control = mBrowser.control();
    CMyBrowserExternalObj* external = CDummyUIHandler::instance().GetExternal();
    if (!control || !external)
        return;
    const std::string origin = ownOrigin();
    const std::string everyPage = external->everyPageScript();
    const std::string ownPages = external->ownPageScript(origin);
    const std::string bridge = external->bridgeScript(origin);
    // Scripts changed under a starting page may miss it: only a change is sent.
    const std::string installed = everyPage + '\n' + ownPages + '\n' + origin;
    if (installed == mInstalledScripts)
        return;
    mInstalledScripts = installed;
    control->setUserScripts(everyPage, ownPages, CMyBrowserExternalObj::allowPattern(origin), bridge);
}

void HtmlView::onWindowDestroyed()
{
    if (core::win32FrameController* controller = frameControl())
        controller->unregisterIdleHandler(kIdleName);
    mWindow = nullptr;
    mCloseRequested = false;
    mDestroyRequested = false;
    mBrowser.setControl(nullptr);
    mInstalledScripts.clear();
    if (HWND game = GameServices::renderWindow())
        SetFocus(game);
}

bool HtmlView::navigate(const std::string& url)
{
    if (url.size() > kMaxUrl) {
        writeLogf(kLogWarning, "HtmlView", "page not opened: the address is ", url.size(), " bytes long");
        return false;
    }
    if (!openable(url)) {
        writeLogf(kLogWarning, "HtmlView", "page not opened: only http, https and about:blank are shown (",
                  logged(url, 64), ")");
        return false;
    }
    HtmlView* view = open();
    webbrowser::IWebBrowser* control = view ? view->browser() : nullptr;
    if (!control)
        return false;
    // The identity follows the settings of the moment.
    view->installScripts();
    if (!control->Navigate(url)) {
        writeLogf(kLogWarning, "HtmlView", "the browser refused ", logged(url, 64));
        return false;
    }
    return true;
}

void HtmlView::close()
{
    if (!gView)
        return;
    delete gView; // its window goes with it
}

void HtmlView::requestClose()
{
    if (gView)
        gView->mCloseRequested = true;
}

void HtmlView::onIdle()
{
    if (mCloseRequested) {
        close(); // deletes this
        return;
    }
    if (mDestroyRequested) {
        mDestroyRequested = false;
        DestroyWindow(mWindow); // the view stays, without a window
        return;
    }
    if (webbrowser::IWebBrowser* control = mBrowser.control())
        control->pump(kPumpSteps);
}

void HtmlView::CMyBrowser::onDocumentComplete(const std::string& url)
{
    // The page's policy: the game's UI handler (no context menu), nothing dropped on it.
    if (webbrowser::IWebBrowser* control = mControl.get()) {
        control->SetUIHandler(&CDummyUIHandler::instance());
        control->put_RegisterAsDropTarget(false);
    }
    writeLogf(kLogTrace, "HtmlView", "page loaded: ", logged(url, 128));
}

void HtmlView::CMyBrowser::onScriptMessage(const std::string& text, const std::string& pageUrl)
{
    // Only our own page reaches the game, whatever the channel let through.
    if (CMyBrowserExternalObj::originOf(pageUrl) != ownOrigin()) {
        writeLogf(kLogWarning, "HtmlView", "page message ignored: not from our own page (", logged(pageUrl, 64), ")");
        return;
    }
    if (CMyBrowserExternalObj* external = CDummyUIHandler::instance().GetExternal())
        external->onScriptMessage(text);
}

void HtmlView::CMyBrowser::onPageRefused(const std::string& url, const std::string& why)
{
    writeLogf(kLogWarning, "HtmlView", "page not shown: ", logged(url, 64), " is ", why);
}

void HtmlView::CMyBrowser::onCloseButton()
{
    // Not inside the button's own click: on the next frame.
    mView.mDestroyRequested = true;
}

bool HtmlView::CMyBrowser::onBeforeNavigate(const std::string& url)
{
    if (url.size() > kMaxUrl || !openable(url)) {
        writeLogf(kLogWarning, "HtmlView", "page refused a link: ", logged(url, 64));
        return false;
    }
    return true;
}

} // namespace zrk
} // namespace kavri3D
