// The browser control on WebKitGTK (GTK 3): a popup window holding the page and an "x" button,
// made inside the game's X window, so the X server shows it over the game and gives it its
// own keys and mouse. GLib's loop runs only when the game pumps it.
#include <webbrowser/WebBrowser.h>

#include "SizeCapProxy.h"

#include <X11/Xlib.h>
#include <algorithm>
#include <string>
#include <vector>
#include <cstring>
#include <gdk/gdkx.h>
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#define WEBBROWSER_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

// The toolkit and the page processes are started once a run, on the first page.
bool gTried = false;
bool gReady = false;
WebKitWebContext* gContext = nullptr;
// Every page's request goes through it; kept for the run, as the page processes are.
webbrowser::SizeCapProxy* gProxy = nullptr;
// The host's script world: its scripts and its message handler are out of the pages' reach.
const char* const kHostWorld = "zrkhost";

void onDownloadStarted(WebKitWebContext*, WebKitDownload* download, gpointer)
{
    // The game saves nothing a page offers.
    webkit_download_cancel(download);
}

// The web process may grow this far (MB) before the toolkit ends it: a page that decodes into
// gigabytes (a compressed bomb over HTTPS, which the proxy cannot look into) loses its process,
// never the game its memory.
const unsigned kWebProcessMemoryMb = 768;

bool startToolkit(const webbrowser::BrowserSpec& spec)
{
    if (gTried)
        return gReady;
    gTried = true;
    // The game reads and writes numbers in the "C" locale: the toolkit must not change it.
    gtk_disable_setlocale();
    gdk_set_allowed_backends("x11");
    // The toolkit puts its own X error handlers in, which would swallow the game's errors
    // about its window (or end the process): the game's stay. The toolkit's error traps put
    // theirs in only while they are held.
    const XErrorHandler gameErrors = XSetErrorHandler(nullptr);
    XSetErrorHandler(gameErrors);
    const XIOErrorHandler gameIOErrors = XSetIOErrorHandler(nullptr);
    XSetIOErrorHandler(gameIOErrors);
    gReady = gtk_init_check(nullptr, nullptr);
    XSetErrorHandler(gameErrors);
    XSetIOErrorHandler(gameIOErrors);
    if (!gReady)
        return false;
    // Pages larger than the largest document are cut on their way in, however they come; a
    // page that cannot go through the proxy does not go at all.
    gProxy = new webbrowser::SizeCapProxy(spec.maxResponseBytes);
    if (!gProxy->start()) {
        delete gProxy;
        gProxy = nullptr;
        gReady = false;
        return false;
    }
    // Nothing of a page lasts beyond the run: no cookies, storage or cache on disk.
    WebKitWebsiteDataManager* data = webkit_website_data_manager_new_ephemeral();
    const std::string proxy = "http://127.0.0.1:" + std::to_string(gProxy->port());
    const char* const noExceptions[] = {nullptr};
    WebKitNetworkProxySettings* proxySettings = webkit_network_proxy_settings_new(proxy.c_str(), noExceptions);
    webkit_website_data_manager_set_network_proxy_settings(data, WEBKIT_NETWORK_PROXY_MODE_CUSTOM, proxySettings);
    webkit_network_proxy_settings_free(proxySettings);
    WebKitMemoryPressureSettings* memory = webkit_memory_pressure_settings_new();
    webkit_memory_pressure_settings_set_memory_limit(memory, kWebProcessMemoryMb);
    webkit_memory_pressure_settings_set_kill_threshold(memory, 1.0);
    webkit_memory_pressure_settings_set_poll_interval(memory, 0.5);
    gContext = WEBKIT_WEB_CONTEXT(g_object_new(WEBKIT_TYPE_WEB_CONTEXT, "website-data-manager", data,
                                               "memory-pressure-settings", memory, nullptr));
    webkit_memory_pressure_settings_free(memory);
    g_object_unref(data);
    webkit_web_context_set_cache_model(gContext, WEBKIT_CACHE_MODEL_DOCUMENT_VIEWER);
    g_signal_connect(gContext, "download-started", G_CALLBACK(onDownloadStarted), nullptr);
    return true;
}

// The script engine's contexts this side of the page: kept for the run. Releasing the last one
// ends an engine instance inside a later GLib step, where the engine's shared pointers are
// released through the game's own copy of that standard-library code; with the sanitizers on,
// their type checks cannot see the engine's hidden types and stop the game.
void keepContext(JSCValue* value)
{
    static std::vector<JSCContext*> kept;
    JSCContext* context = value ? jsc_value_get_context(value) : nullptr;
    if (context && std::find(kept.begin(), kept.end(), context) == kept.end())
        kept.push_back(JSC_CONTEXT(g_object_ref(context)));
}

/// Why the proxy kept the page's last loads from it (a response cut at the cap, or one sent
/// compressed); empty when it kept nothing back. Either way the counts start again.
std::string takeProxyRefusal(unsigned long long maxBytes)
{
    if (!gProxy)
        return std::string();
    const unsigned cut = gProxy->takeCutCount();
    const unsigned compressed = gProxy->takeCompressedCount();
    if (compressed > 0)
        return "sent compressed, which the game does not take";
    return cut > 0 ? "larger than " + std::to_string(maxBytes) + " bytes" : std::string();
}

bool openableUrl(const char* uri)
{
    if (!uri)
        return false;
    return g_str_has_prefix(uri, "http://") || g_str_has_prefix(uri, "https://") ||
           std::strcmp(uri, "about:blank") == 0;
}

class GtkWebBrowser final : public webbrowser::IWebBrowser {
public:
    GtkWebBrowser(const webbrowser::BrowserSpec& spec, webbrowser::IWebBrowserEvents* events)
        : mEvents(events), mMaxBytes(spec.maxResponseBytes)
    {
        mContent = webkit_user_content_manager_new();
        webkit_user_content_manager_register_script_message_handler_in_world(mContent, "external", kHostWorld);
        g_signal_connect(mContent, "script-message-received::external", G_CALLBACK(&GtkWebBrowser::onScriptMessage),
                         this);
        mView = GTK_WIDGET(
            g_object_new(WEBKIT_TYPE_WEB_VIEW, "web-context", gContext, "user-content-manager", mContent, nullptr));
        WebKitSettings* settings = webkit_web_view_get_settings(WEBKIT_WEB_VIEW(mView));
        webkit_settings_set_enable_developer_extras(settings, FALSE);
        webkit_settings_set_javascript_can_open_windows_automatically(settings, FALSE);
        webkit_settings_set_enable_back_forward_navigation_gestures(settings, FALSE);
        // The page is drawn in software: the game's window owns the GL context and the screen
        // may have no GPU buffers to share with the page process.
        webkit_settings_set_hardware_acceleration_policy(settings, WEBKIT_HARDWARE_ACCELERATION_POLICY_NEVER);
        g_signal_connect(mView, "decide-policy", G_CALLBACK(&GtkWebBrowser::onDecidePolicy), this);
        g_signal_connect(mView, "create", G_CALLBACK(&GtkWebBrowser::onCreate), this);
        g_signal_connect(mView, "context-menu", G_CALLBACK(&GtkWebBrowser::onContextMenu), this);
        g_signal_connect(mView, "permission-request", G_CALLBACK(&GtkWebBrowser::onPermission), this);
        g_signal_connect(mView, "load-changed", G_CALLBACK(&GtkWebBrowser::onLoadChanged), this);
        g_signal_connect(mView, "load-failed", G_CALLBACK(&GtkWebBrowser::onLoadFailed), this);
        g_signal_connect(mView, "web-process-terminated", G_CALLBACK(&GtkWebBrowser::onProcessEnded), this);

        mWindow = gtk_window_new(GTK_WINDOW_POPUP);
        GtkWidget* overlay = gtk_overlay_new();
        gtk_container_add(GTK_CONTAINER(overlay), mView);
        mClose = gtk_button_new_with_label("x");
        gtk_widget_set_halign(mClose, GTK_ALIGN_END);
        gtk_widget_set_valign(mClose, GTK_ALIGN_START);
        gtk_widget_set_can_focus(mClose, FALSE);
        g_signal_connect(mClose, "clicked", G_CALLBACK(&GtkWebBrowser::onCloseClicked), this);
        gtk_overlay_add_overlay(GTK_OVERLAY(overlay), mClose);
        gtk_container_add(GTK_CONTAINER(mWindow), overlay);

        // A click in the page gives it the keyboard (no window manager does that for a window
        // inside another program's window).
        mPress = gtk_gesture_multi_press_new(mWindow);
        gtk_event_controller_set_propagation_phase(GTK_EVENT_CONTROLLER(mPress), GTK_PHASE_CAPTURE);
        gtk_gesture_single_set_button(GTK_GESTURE_SINGLE(mPress), 0);
        g_signal_connect(mPress, "pressed", G_CALLBACK(&GtkWebBrowser::onPressed), this);

        gtk_window_set_default_size(GTK_WINDOW(mWindow), std::max(spec.width, 1), std::max(spec.height, 1));
        gtk_widget_realize(mWindow);
        GdkWindow* gdkWindow = gtk_widget_get_window(mWindow);
        mDisplay = GDK_DISPLAY_XDISPLAY(gdk_window_get_display(gdkWindow));
        mXWindow = GDK_WINDOW_XID(gdkWindow);
        gdk_x11_display_error_trap_push(gdk_window_get_display(gdkWindow));
        XReparentWindow(mDisplay, mXWindow, spec.parentWindow, spec.x, spec.y);
        XSync(mDisplay, False);
        mParentOk = gdk_x11_display_error_trap_pop(gdk_window_get_display(gdkWindow)) == 0;
        move(spec.x, spec.y, spec.width, spec.height);
        gtk_widget_show_all(mWindow);
    }

    ~GtkWebBrowser() override
    {
        g_signal_handlers_disconnect_by_data(mContent, this);
        g_signal_handlers_disconnect_by_data(mView, this);
        g_signal_handlers_disconnect_by_data(mClose, this);
        g_signal_handlers_disconnect_by_data(mPress, this);
        webkit_user_content_manager_unregister_script_message_handler_in_world(mContent, "external", kHostWorld);
        g_object_unref(mPress);
        gtk_widget_destroy(mWindow);
        g_object_unref(mContent);
        if (mScriptCancel) {
            g_cancellable_cancel(mScriptCancel);
            g_object_unref(mScriptCancel);
        }
        // What the toolkit still has to do for the window (its unmap, the page process's
        // end) is done now, not at the game's next page.
        for (int i = 0; i < 50 && g_main_context_iteration(nullptr, FALSE); ++i) {
        }
    }

    bool valid() const { return mParentOk; }

    bool Navigate(const std::string& url) override
    {
        if (!openableUrl(url.c_str()))
            return false;
        webkit_web_view_load_uri(WEBKIT_WEB_VIEW(mView), url.c_str());
        return true;
    }

    std::string currentUrl() const override
    {
        const char* uri = webkit_web_view_get_uri(WEBKIT_WEB_VIEW(mView));
        return uri ? uri : "";
    }

    void move(int x, int y, int width, int height) override
    {
        gtk_window_move(GTK_WINDOW(mWindow), x, y);
        gtk_window_resize(GTK_WINDOW(mWindow), std::max(width, 1), std::max(height, 1));
        // Popups are placed by GDK in root coordinates it caches: inside the game's window the
        // X server is told directly.
        XMoveResizeWindow(mDisplay, mXWindow, x, y, static_cast<unsigned>(std::max(width, 1)),
                          static_cast<unsigned>(std::max(height, 1)));
        XFlush(mDisplay);
    }

    void show(bool visible) override
    {
        if (visible)
            gtk_widget_show(mWindow);
        else
            gtk_widget_hide(mWindow);
    }

    void focus() override
    {
        GdkDisplay* display = gtk_widget_get_display(mWindow);
        gdk_x11_display_error_trap_push(display);
        // Unviewable (the game window hidden): the X server refuses, and that is all.
        XSetInputFocus(mDisplay, mXWindow, RevertToParent, CurrentTime);
        XFlush(mDisplay);
        gdk_x11_display_error_trap_pop_ignored(display);
        gtk_widget_grab_focus(mView);
    }

    unsigned long nativeWindow() const override { return mXWindow; }

    void setUserScripts(const std::string& everyPage, const std::string& ownPages, const std::string& ownPattern,
                        const std::string& ownBridge) override
    {
        webkit_user_content_manager_remove_all_scripts(mContent);
        if (!everyPage.empty()) {
            WebKitUserScript* s = webkit_user_script_new(everyPage.c_str(), WEBKIT_USER_CONTENT_INJECT_ALL_FRAMES,
                                                         WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START, nullptr, nullptr);
            webkit_user_content_manager_add_script(mContent, s);
            webkit_user_script_unref(s);
        }
        if (!ownPages.empty() && !ownPattern.empty()) {
            const char* allow[] = {ownPattern.c_str(), nullptr};
            WebKitUserScript* s = webkit_user_script_new(ownPages.c_str(), WEBKIT_USER_CONTENT_INJECT_TOP_FRAME,
                                                         WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START, allow, nullptr);
            webkit_user_content_manager_add_script(mContent, s);
            webkit_user_script_unref(s);
        }
        if (!ownBridge.empty() && !ownPattern.empty()) {
            const char* allow[] = {ownPattern.c_str(), nullptr};
            WebKitUserScript* s = webkit_user_script_new_for_world(
                ownBridge.c_str(), WEBKIT_USER_CONTENT_INJECT_TOP_FRAME, WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START,
                kHostWorld, allow, nullptr);
            webkit_user_content_manager_add_script(mContent, s);
            webkit_user_script_unref(s);
        }
    }

    void SetUIHandler(webbrowser::IDocHostUIHandler* handler) override { mUIHandler = handler; }

    void put_RegisterAsDropTarget(bool on) override
    {
        if (on)
            gtk_drag_dest_set(mView, GTK_DEST_DEFAULT_ALL, nullptr, 0,
                              GdkDragAction(GDK_ACTION_COPY | GDK_ACTION_MOVE));
        else
            gtk_drag_dest_unset(mView);
    }

    void runScript(const std::string& script) override
    {
        if (mScriptCancel) {
            g_cancellable_cancel(mScriptCancel);
            g_object_unref(mScriptCancel);
        }
        mScriptCancel = g_cancellable_new();
        mScriptReady = false;
        mScriptResult.clear();
        webkit_web_view_evaluate_javascript(WEBKIT_WEB_VIEW(mView), script.c_str(), static_cast<gssize>(script.size()),
                                            nullptr, nullptr, mScriptCancel, &GtkWebBrowser::onScriptDone, this);
    }

    std::string scriptResult(bool* ready) const override
    {
        if (ready)
            *ready = mScriptReady;
        return mScriptResult;
    }

    void pump(int maxSteps) override
    {
        for (int i = 0; i < maxSteps && g_main_context_iteration(nullptr, FALSE); ++i) {
        }
    }

private:
    static void onScriptMessage(WebKitUserContentManager*, WebKitJavascriptResult* result, gpointer self)
    {
        auto* b = static_cast<GtkWebBrowser*>(self);
        JSCValue* value = webkit_javascript_result_get_js_value(result);
        keepContext(value);
        if (!value || !jsc_value_is_string(value)) {
            b->mEvents->onScriptMessage(std::string(), std::string());
            return;
        }
        gchar* text = jsc_value_to_string(value);
        const std::string message = text ? text : "";
        g_free(text);
        b->mEvents->onScriptMessage(message, b->currentUrl());
    }

    static void onScriptDone(GObject* view, GAsyncResult* result, gpointer self)
    {
        GError* error = nullptr;
        JSCValue* value = webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(view), result, &error);
        if (error) {
            const bool cancelled = g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED);
            std::string why = error->message ? error->message : "";
            g_error_free(error);
            if (cancelled)
                return; // the browser may be gone
            auto* b = static_cast<GtkWebBrowser*>(self);
            b->mScriptResult = "error: " + why;
            b->mScriptReady = true;
            return;
        }
        auto* b = static_cast<GtkWebBrowser*>(self);
        keepContext(value);
        gchar* text = value ? jsc_value_to_string(value) : nullptr;
        b->mScriptResult = text ? text : "";
        b->mScriptReady = true;
        g_free(text);
        if (value)
            g_object_unref(value);
    }

    static gboolean onDecidePolicy(WebKitWebView*, WebKitPolicyDecision* decision, WebKitPolicyDecisionType type,
                                   gpointer self)
    {
        auto* b = static_cast<GtkWebBrowser*>(self);
        switch (type) {
        case WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION: {
            WebKitNavigationAction* action =
                webkit_navigation_policy_decision_get_navigation_action(WEBKIT_NAVIGATION_POLICY_DECISION(decision));
            const char* uri = webkit_uri_request_get_uri(webkit_navigation_action_get_request(action));
            if (!openableUrl(uri) || !b->mEvents->onBeforeNavigate(uri ? uri : "")) {
                webkit_policy_decision_ignore(decision);
                return TRUE;
            }
            takeProxyRefusal(0); // what was cut or refused before counts no more
            webkit_policy_decision_use(decision);
            return TRUE;
        }
        case WEBKIT_POLICY_DECISION_TYPE_NEW_WINDOW_ACTION:
            webkit_policy_decision_ignore(decision); // no pop-ups
            return TRUE;
        case WEBKIT_POLICY_DECISION_TYPE_RESPONSE: {
            auto* response = WEBKIT_RESPONSE_POLICY_DECISION(decision);
            WebKitURIResponse* r = webkit_response_policy_decision_get_response(response);
            // What the page cannot show would become a download; an oversized document is
            // not taken at all.
            const bool tooLarge = webkit_uri_response_get_content_length(r) > b->mMaxBytes;
            if (!webkit_response_policy_decision_is_mime_type_supported(response) || tooLarge) {
                webkit_policy_decision_ignore(decision);
                if (tooLarge && webkit_response_policy_decision_is_main_frame_main_resource(response)) {
                    const char* uri = webkit_uri_response_get_uri(r);
                    b->mEvents->onPageRefused(uri ? uri : "", "larger than " + std::to_string(b->mMaxBytes) + " bytes");
                }
                return TRUE;
            }
            webkit_policy_decision_use(decision);
            return TRUE;
        }
        default:
            return FALSE;
        }
    }

    static GtkWidget* onCreate(WebKitWebView*, WebKitNavigationAction*, gpointer) { return nullptr; }

    static gboolean onContextMenu(WebKitWebView*, WebKitContextMenu*, GdkEvent*, WebKitHitTestResult*, gpointer self)
    {
        auto* b = static_cast<GtkWebBrowser*>(self);
        return b->mUIHandler && b->mUIHandler->ShowContextMenu() ? TRUE : FALSE;
    }

    static gboolean onPermission(WebKitWebView*, WebKitPermissionRequest* request, gpointer)
    {
        webkit_permission_request_deny(request);
        return TRUE;
    }

    static void onLoadChanged(WebKitWebView* view, WebKitLoadEvent event, gpointer self)
    {
        if (event != WEBKIT_LOAD_FINISHED)
            return;
        auto* b = static_cast<GtkWebBrowser*>(self);
        const char* uri = webkit_web_view_get_uri(view);
        const std::string why = takeProxyRefusal(b->mMaxBytes);
        if (!why.empty()) {
            // Cut or refused on its way in, though the connection's end made it look whole:
            // nothing of it is shown.
            b->refusePage(uri ? uri : "", why);
            return;
        }
        b->mEvents->onDocumentComplete(uri ? uri : "");
    }

    static gboolean onLoadFailed(WebKitWebView*, WebKitLoadEvent, gchar* uri, GError*, gpointer self)
    {
        auto* b = static_cast<GtkWebBrowser*>(self);
        const std::string why = takeProxyRefusal(b->mMaxBytes);
        if (why.empty())
            return FALSE;
        b->refusePage(uri ? uri : "", why); // cut or refused on its way in: nothing of it is shown
        return TRUE;
    }

    static void onProcessEnded(WebKitWebView* view, WebKitWebProcessTerminationReason reason, gpointer self)
    {
        // The page's process, not the game: the view starts afresh on a blank page.
        auto* b = static_cast<GtkWebBrowser*>(self);
        const char* uri = webkit_web_view_get_uri(view);
        b->refusePage(uri ? uri : "", reason == WEBKIT_WEB_PROCESS_EXCEEDED_MEMORY_LIMIT
                                          ? "over the memory a page may take: its process was ended"
                                          : "gone with its process, which ended");
    }

    void refusePage(const std::string& url, const std::string& why)
    {
        mEvents->onPageRefused(url, why);
        // A page asked for since then keeps its place: only the refused one gives way to a blank.
        if (currentUrl() == url)
            webkit_web_view_load_uri(WEBKIT_WEB_VIEW(mView), "about:blank");
    }

    static void onCloseClicked(GtkButton*, gpointer self)
    {
        static_cast<GtkWebBrowser*>(self)->mEvents->onCloseButton();
    }

    static void onPressed(GtkGestureMultiPress*, gint, gdouble, gdouble, gpointer self)
    {
        static_cast<GtkWebBrowser*>(self)->focus();
    }

    webbrowser::IWebBrowserEvents* mEvents;
    webbrowser::IDocHostUIHandler* mUIHandler = nullptr;
    unsigned long long mMaxBytes;
    WebKitUserContentManager* mContent = nullptr;
    GtkWidget* mView = nullptr;
    GtkWidget* mWindow = nullptr;
    GtkWidget* mClose = nullptr;
    GtkGesture* mPress = nullptr;
    Display* mDisplay = nullptr;
    Window mXWindow = 0;
    bool mParentOk = false;
    GCancellable* mScriptCancel = nullptr;
    bool mScriptReady = false;
    std::string mScriptResult;
};

} // namespace

WEBBROWSER_EXPORT webbrowser::IWebBrowser* CreateWebBrowser(const webbrowser::BrowserSpec* spec,
                                                            webbrowser::IWebBrowserEvents* events)
{
    if (!spec || !events || !spec->parentWindow || !startToolkit(*spec))
        return nullptr;
    // The game's own pages come from its file server of the moment.
    gProxy->setLocalRoute(spec->localHost, spec->localSocket);
    auto* browser = new GtkWebBrowser(*spec, events);
    if (!browser->valid()) {
        delete browser; // the game's window is gone
        return nullptr;
    }
    return browser;
}

WEBBROWSER_EXPORT int WebBrowserProxyPort() { return gProxy ? gProxy->port() : 0; }

WEBBROWSER_EXPORT void WebBrowserProxyCounts(unsigned long counts[3])
{
    const webbrowser::SizeCapProxy::Counts c = gProxy ? gProxy->getCounts() : webbrowser::SizeCapProxy::Counts();
    counts[0] = c.served;
    counts[1] = c.strangers;
    counts[2] = c.busy;
}

WEBBROWSER_EXPORT void WebBrowserStrangerTest(int (*isStranger)(int fd))
{
    if (!isStranger) {
        webbrowser::SizeCapProxy::setStrangerTest(nullptr);
        return;
    }
    webbrowser::SizeCapProxy::setStrangerTest([isStranger](int fd) { return isStranger(fd) != 0; });
}
