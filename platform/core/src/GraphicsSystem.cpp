#include "core/GraphicsSystem.h"
#include "core/GuiManager.h"

#include <CEGUI/CEGUI.h>
#include <Ogre.h>
#include <OgreCodec.h>
#include <OgreDefaultHardwareBufferManager.h>
#include <core/BlackBoard.h>
#include <core/GuiSystem.h>
#include <core/KeyBridge.h>
#include <core/XWindowLook.h>
#include <chrono>
#include <cstdlib>
#include <sstream>
#include <cstring>
#include <dlfcn.h>
#include <link.h>
#include <vector>
#include <yake/Logger.h>
#include <yake/PlayerFiles.h>

// X11 last: its macros (None, Bool, Status...) would break the C++ headers above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/XKBlib.h>
#include <X11/keysym.h>

KAVRI_SINGLETON_DEFINE(kavri3D::core::GraphicsSystem);

namespace kavri3D {
namespace core {

namespace {
using yake::logging::Severity;

const yake::logging::Channel logLine("graphics");

// The GL driver is loaded behind OGRE's back and unloaded when the display closes; keep it
// mapped until the process ends, so its own late clean-up never runs in unmapped code. The GL
// dispatch libraries in front of it stay too: unloaded with the render system and loaded
// afresh, they forget the driver they had chosen, and a second game window in the process
// finds no frame-buffer configuration.
void pinGraphicsDriver()
{
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void*) {
            const char* name = info->dlpi_name;
            if (name && (std::strstr(name, "/dri/") || std::strstr(name, "GLX_mesa") || std::strstr(name, "libLLVM") ||
                         std::strstr(name, "libgallium") || std::strstr(name, "/libGL.so") ||
                         std::strstr(name, "/libGLX.so") || std::strstr(name, "/libGLdispatch.so")))
                dlopen(name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
            return 0;
        },
        nullptr);
}

// The picture codec's libraries keep what they allocate once for the process's life; they
// stay mapped too, so the leak checker can name them.
void pinPictureCodecs()
{
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void*) {
            const char* name = info->dlpi_name;
            if (name &&
                (std::strstr(name, "Codec_FreeImage") || std::strstr(name, "libfreeimage") ||
                 std::strstr(name, "libopenjp2") || std::strstr(name, "libraw") || std::strstr(name, "libjxr") ||
                 std::strstr(name, "libjpegxr") || std::strstr(name, "libwebp") || std::strstr(name, "libIlm") ||
                 std::strstr(name, "libOpenEXR") || std::strstr(name, "libtiff")))
                dlopen(name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
            return 0;
        },
        nullptr);
}

std::string pluginFolder()
{
    const char* env = std::getenv("ZRK_OGRE_PLUGINS");
    return env && *env ? env : ZRK_OGRE_PLUGIN_DIR;
}

// What a key typed, as UTF-8 whatever the locale: through the input context when there is
// one (dead keys and compose sequences included), else the key's Latin-1 reading.
std::string typedText(XIC ic, XKeyEvent* key)
{
    char small[32];
    std::vector<char> large;
    char* text = small;
    int size = static_cast<int>(sizeof small);
    KeySym sym = 0;
    if (!ic) {
        const int n = XLookupString(key, small, size, &sym, nullptr);
        std::string out;
        for (int i = 0; i < n; ++i) {
            const unsigned char c = static_cast<unsigned char>(small[i]);
            if (c < 0x80)
                out += static_cast<char>(c);
            else {
                out += static_cast<char>(0xC0 | (c >> 6));
                out += static_cast<char>(0x80 | (c & 0x3F));
            }
        }
        return out;
    }
    Status status = 0;
    int n = Xutf8LookupString(ic, key, text, size, &sym, &status);
    if (status == XBufferOverflow && n > 0 && n < 4096) {
        large.resize(static_cast<std::size_t>(n));
        text = large.data();
        n = Xutf8LookupString(ic, key, text, n, &sym, &status);
    }
    return (status == XLookupChars || status == XLookupBoth) && n > 0 ? std::string(text, static_cast<std::size_t>(n))
                                                                      : std::string();
}

} // namespace

bool GraphicsSystem::displayAvailable()
{
    // Only whether one is named: opening a connection to ask costs as much as a tenth of
    // the start-up, and OGRE opens its own right after.
    const char* name = std::getenv("DISPLAY");
    return name && *name;
}

std::unique_ptr<GraphicsSystem> GraphicsSystem::create(bool headless, const WindowSpec& spec)
{
    std::unique_ptr<GraphicsSystem> g(new GraphicsSystem);
    g->mLog.reset(new Ogre::LogManager);
    // The engine's log beside the game's is the player's alone too (made before the engine opens it).
    const bool logged = !spec.logFile.empty() && yake::PlayerFiles::claimFile(spec.logFile);
    g->mLog->createLog(logged ? spec.logFile : "Ogre.log", true, false, !logged);
    try {
        bool ok = headless ? g->startHeadless() : g->startWindowed(spec);
        if (!ok)
            return nullptr;
        g->createDefaultScene();
    } catch (const std::exception& e) {
        logLine(Severity::Error, std::string("graphics start failed: ") + e.what());
        return nullptr;
    }
    return g;
}

bool GraphicsSystem::startWindowed(const WindowSpec& spec)
{
    // Each step's time goes to the log: the window is most of the wait before the first frame.
    std::ostringstream steps;
    auto t0 = std::chrono::steady_clock::now();
    auto step = [&](const char* name) {
        auto t = std::chrono::steady_clock::now();
        steps << ' ' << name << ' ' << std::chrono::duration_cast<std::chrono::milliseconds>(t - t0).count() << "ms";
        t0 = t;
    };
    if (!displayAvailable()) {
        logLine(Severity::Error, "no X display for the game window");
        return false;
    }
    step("display");
    mRoot.reset(new Ogre::Root("", "", ""));
    mRoot->loadPlugin(pluginFolder() + "/RenderSystem_GL");
    mRoot->loadPlugin(pluginFolder() + "/Codec_STBI");
    Ogre::RenderSystem* rs = mRoot->getRenderSystemByName("OpenGL Rendering Subsystem");
    if (!rs) {
        logLine(Severity::Error, "the GL render system is missing");
        return false;
    }
    mRoot->setRenderSystem(rs);
    mRoot->initialise(false);
    step("engine");
    Ogre::NameValuePairList params;
    params["left"] = Ogre::StringConverter::toString(spec.x);
    params["top"] = Ogre::StringConverter::toString(spec.y);
    params["title"] = spec.title;
    params["vsync"] = "false";
    if (!spec.visible)
        params["hidden"] = "true";
    if (spec.parent)
        params["parentWindowHandle"] = Ogre::StringConverter::toString(static_cast<unsigned long>(spec.parent));
    mWindow = mRoot->createRenderWindow("kavri3DAppGuiWindow", spec.width, spec.height, false, &params);
    step("window");
    pinGraphicsDriver();
    mWindow->getCustomAttribute("XDISPLAY", &mDisplay);
    Window xw = 0;
    mWindow->getCustomAttribute("WINDOW", &xw);
    mXWindow = xw;
    if (mDisplay && mXWindow) {
        Display* d = static_cast<Display*>(mDisplay);
        XWindowAttributes attrs;
        XGetWindowAttributes(d, xw, &attrs);
        XSelectInput(d, xw,
                     attrs.your_event_mask | KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask |
                         PointerMotionMask | StructureNotifyMask | FocusChangeMask);
        // The input method reads the locale's whole compose table, a good part of the time to
        // the first frame: it opens once that frame is drawn (pumpWindowEvents).
        // A held key then repeats presses only: a held Space keeps charging.
        XkbSetDetectableAutoRepeat(d, True, nullptr);
        Atom del = XInternAtom(d, "WM_DELETE_WINDOW", False);
        XSetWMProtocols(d, xw, &del, 1);
        mDeleteAtom = del;
        // A window of its own keeps its size and shows the program's icon; one inside the
        // launcher's window is the launcher's to size and dress.
        if (!spec.parent) {
            XWindowLook::fixSize(mDisplay, mXWindow, static_cast<int>(mWindow->getWidth()),
                                 static_cast<int>(mWindow->getHeight()));
            if (!spec.iconFile.empty())
                XWindowLook::setIcon(mDisplay, mXWindow, spec.iconFile);
        }
        if (!spec.cursorFile.empty())
            XWindowLook::setCursor(mDisplay, mXWindow, spec.cursorFile, spec.cursorHotX, spec.cursorHotY);
        XFlush(d);
        installXHandlers();
        // Embedded in the launcher's window, the game takes the keyboard as soon as its window
        // shows, not only once the GUI is up: the launcher hands it over with the window.
        if (spec.parent && spec.visible && takesFocusOnClick())
            focus();
    }
    mHeadless = false;
    step("input");
    mGui = GuiSystem::createForOgre(*mWindow);
    step("gui");
    logLine(Severity::Trace, "window:" + steps.str());
    return true;
}

bool GraphicsSystem::preparePictureCodec(const std::string& file)
{
    const std::size_t dot = file.find_last_of('.');
    if (dot == std::string::npos || file.find('/', dot) != std::string::npos)
        return false;
    std::string ext = file.substr(dot + 1);
    Ogre::StringUtil::toLowerCase(ext);
    if (Ogre::Codec::isCodecRegistered(ext))
        return true;
    if (mHeadless || !mRoot || mFullCodecsTried)
        return false;
    // FreeImage is a fifth of the engine's start (twenty libraries to map and bind) for one
    // picture on the loading screen: it comes when that picture does. Loaded after STBI it
    // only adds what STBI cannot read.
    mFullCodecsTried = true;
    try {
        mRoot->loadPlugin(pluginFolder() + "/Codec_FreeImage");
        pinPictureCodecs();
    } catch (const Ogre::Exception& e) {
        logLine(Severity::Warning,
                std::string("no FreeImage codec: JPEG 2000 pictures are not shown: ") + e.getDescription());
        return false;
    }
    return Ogre::Codec::isCodecRegistered(ext);
}

bool GraphicsSystem::startHeadless()
{
    mRoot.reset(new Ogre::Root("", "", ""));
    // A scene graph without a render system: buffers in memory, the default material, and
    // the prefab meshes that stand in for missing models.
    mBuffers.reset(new Ogre::DefaultHardwareBufferManager);
    Ogre::MaterialManager::getSingleton().initialise();
    Ogre::MeshManager::getSingleton()._initialise();
    mHeadless = true;
    mGui = GuiSystem::createHeadless(1024, 768);
    return true;
}

void GraphicsSystem::createDefaultScene()
{
    mScene = mRoot->createSceneManager();
    mScene->setAmbientLight(Ogre::ColourValue(0.4f, 0.4f, 0.45f));
    mCamera = mScene->createCamera("frameCamera");
    mCamera->setNearClipDistance(1);
    Ogre::SceneNode* node = mScene->getRootSceneNode()->createChildSceneNode("frameCameraNode");
    node->attachObject(mCamera);
    node->setPosition(0, 60, 240);
    node->lookAt(Ogre::Vector3(0, 30, 0), Ogre::Node::TS_WORLD);
    if (mWindow) {
        mViewport = mWindow->addViewport(mCamera);
        mViewport->setBackgroundColour(Ogre::ColourValue(0.10f, 0.14f, 0.22f));
        mCamera->setAspectRatio(Ogre::Real(mViewport->getActualWidth()) / Ogre::Real(mViewport->getActualHeight()));
    }
}

GraphicsSystem::~GraphicsSystem()
{
    closeInputContext();
    mGui.reset();
    if (mRoot) {
        if (mScene)
            mRoot->destroySceneManager(mScene);
        mScene = nullptr;
        mRoot.reset();
    }
    mBuffers.reset();
    mLog.reset();
    if (mXHandlersInstalled) {
        XSetErrorHandler(reinterpret_cast<XErrorHandler>(mPreviousErrorHandler));
        XSetIOErrorHandler(reinterpret_cast<XIOErrorHandler>(mPreviousIOErrorHandler));
    }
}

/// Xlib's callbacks, which reach the graphics through its singleton.
struct XHandlers {
    static int onError(Display* display, XErrorEvent* e)
    {
        char text[256] = {};
        XGetErrorText(display, e->error_code, text, sizeof text - 1);
        GraphicsSystem* g = GraphicsSystem::getSingletonPtr();
        // Another connection's (the web view's toolkit probing what the screen offers) is
        // that connection's business.
        const bool ours = !g || display == g->mDisplay;
        if (!g || !g->mWindowLost)
            logLine(ours ? Severity::Error : Severity::Trace,
                    std::string(ours ? "X error: " : "X error on another connection: ") + text + " (request " +
                        std::to_string(e->request_code) + ", resource " + std::to_string(e->resourceid) + ")");
        // An error about our window, or a drawable error on its connection, means it is gone.
        if (g && display == g->mDisplay &&
            (e->resourceid == g->mXWindow || e->error_code == BadWindow || e->error_code == BadDrawable))
            g->loseWindow(text);
        return 0;
    }
    static int onIOError(Display* display)
    {
        GraphicsSystem* g = GraphicsSystem::getSingletonPtr();
        if (g && display == g->mDisplay)
            g->loseWindow("the X connection failed", true);
        else
            logLine(Severity::Error, "an X connection failed");
        return 0;
    }
    static void onIOErrorExit(Display* display, void*)
    {
        // Returning keeps the process: Xlib marks the connection dead and the frame loop ends.
        GraphicsSystem* g = GraphicsSystem::getSingletonPtr();
        if (g && display == g->mDisplay)
            g->loseWindow("the X connection failed", true);
    }
};

void GraphicsSystem::installXHandlers()
{
    // Xlib's own handlers end the process on the first error, from inside a draw: a window
    // destroyed by the window manager would then abort with every object alive and the
    // settings unwritten. Ours log, mark the window lost and let the frame end.
    mPreviousErrorHandler = reinterpret_cast<void*>(XSetErrorHandler(&XHandlers::onError));
    mPreviousIOErrorHandler = reinterpret_cast<void*>(XSetIOErrorHandler(&XHandlers::onIOError));
    XSetIOErrorExitHandler(static_cast<Display*>(mDisplay), &XHandlers::onIOErrorExit, nullptr);
    mXHandlersInstalled = true;
}

void GraphicsSystem::loseWindow(const std::string& why, bool connectionLost)
{
    if (mWindowLost)
        return;
    // A child of the launcher's window that is not embedded leaves the game running, whichever
    // word of the loss comes first: an X error about the window (from a draw, before the
    // events are read) or its DestroyNotify. Without a connection nothing goes on.
    BlackBoard* bb = BlackBoard::getSingletonPtr();
    mQuitWithWindow = connectionLost || !bb || bb->getBool("kavri3D/win32QuitWhenDestroy", true);
    mWindowLost = true;
    logLine(Severity::Warning, "the game window is gone (" + why + ")" +
                                   (mQuitWithWindow ? ": the game closes" : ": the game goes on without it"));
}

bool GraphicsSystem::takesFocusOnClick() const
{
    BlackBoard* bb = BlackBoard::getSingletonPtr();
    if (!bb)
        return true;
    const bool child = bb->getString("kavri3D/win32RenderWindowParent", "").size() > 0 &&
                       bb->getString("kavri3D/win32RenderWindowParent", "") != "0";
    return bb->getBool("kavri3D/win32FocusActivate", true) &&
           (!child || bb->getBool("kavri3D/win32RenderWindowEmbedded", false));
}

void GraphicsSystem::openInputContext()
{
    // Xlib's own input method needs no server: it turns keys into characters in any locale.
    // A method named in the environment that is not running falls back to it.
    Display* d = static_cast<Display*>(mDisplay);
    XSetLocaleModifiers("");
    XIM im = XOpenIM(d, nullptr, nullptr, nullptr);
    if (!im) {
        XSetLocaleModifiers("@im=none");
        im = XOpenIM(d, nullptr, nullptr, nullptr);
    }
    if (!im) {
        logLine(Severity::Warning, "no X input method: keys type Latin-1 letters only");
        return;
    }
    const Window xw = static_cast<Window>(mXWindow);
    XIC ic = XCreateIC(im, XNInputStyle, XIMPreeditNothing | XIMStatusNothing, XNClientWindow, xw, XNFocusWindow, xw,
                       nullptr);
    if (!ic) {
        XCloseIM(im);
        logLine(Severity::Warning, "no X input context: keys type Latin-1 letters only");
        return;
    }
    XSetICFocus(ic);
    mInputMethod = im;
    mInputContext = ic;
}

void GraphicsSystem::closeInputContext()
{
    if (mInputContext)
        XDestroyIC(static_cast<XIC>(mInputContext));
    if (mInputMethod)
        XCloseIM(static_cast<XIM>(mInputMethod));
    mInputContext = nullptr;
    mInputMethod = nullptr;
}

void GraphicsSystem::pumpWindowEvents()
{
    if (!mDisplay || !mXWindow || mWindowLost)
        return;
    Display* d = static_cast<Display*>(mDisplay);
    CEGUI::GUIContext* ctx =
        CEGUI::System::getSingletonPtr() ? &CEGUI::System::getSingleton().getDefaultGUIContext() : nullptr;
    while (XPending(d) > 0) {
        XEvent ev;
        XNextEvent(d, &ev);
        // The keyboard's keys changed meaning (a layout switch): read them anew.
        if (ev.type == MappingNotify) {
            XRefreshKeyboardMapping(&ev.xmapping);
            continue;
        }
        if (ev.xany.window != static_cast<Window>(mXWindow))
            continue;
        // A key that is part of a longer sequence (a dead key, compose) is the input method's.
        if (mInputContext && XFilterEvent(&ev, None))
            continue;
        switch (ev.type) {
        case DestroyNotify:
            loseWindow("destroyed");
            return;
        case ClientMessage:
            if (static_cast<unsigned long>(ev.xclient.data.l[0]) == mDeleteAtom)
                mCloseRequested = true;
            break;
        case ConfigureNotify:
            mWindow->windowMovedOrResized();
            if (CEGUI::System::getSingletonPtr())
                CEGUI::System::getSingleton().notifyDisplaySizeChanged(
                    CEGUI::Sizef(float(mWindow->getWidth()), float(mWindow->getHeight())));
            if (mViewport && mViewport->getActualHeight() > 0)
                mCamera->setAspectRatio(Ogre::Real(mViewport->getActualWidth()) /
                                        Ogre::Real(mViewport->getActualHeight()));
            break;
        case FocusIn:
            mActive = true;
            if (mInputContext)
                XSetICFocus(static_cast<XIC>(mInputContext));
            break;
        case FocusOut:
            mActive = false;
            if (mInputContext)
                XUnsetICFocus(static_cast<XIC>(mInputContext));
            break;
        case MotionNotify: {
            GuiManager* gui = GuiManager::getSingletonPtr();
            if (gui && gui->cursorCapture() == 2) {
                // Captured: the motion from the middle drives the game, and the pointer goes back.
                const int cx = static_cast<int>(mWindow->getWidth() / 2),
                          cy = static_cast<int>(mWindow->getHeight() / 2);
                const int dx = ev.xmotion.x - cx, dy = ev.xmotion.y - cy;
                if (dx != 0 || dy != 0) {
                    gui->injectMouseMove(float(dx), float(dy), 0.0f);
                    centrePointer();
                }
                break;
            }
            if (ctx)
                ctx->injectMousePosition(float(ev.xmotion.x), float(ev.xmotion.y));
            break;
        }
        case ButtonPress:
        case ButtonRelease:
            // A click on the game takes the keys back from a page shown inside its window, or
            // from the launcher whose window it is embedded in; a child that is not embedded
            // leaves the keys where they are.
            if (ev.type == ButtonPress && !mActive && takesFocusOnClick())
                XSetInputFocus(d, static_cast<Window>(mXWindow), RevertToParent, CurrentTime);
            if ((ev.xbutton.button == Button4 || ev.xbutton.button == Button5) && ev.type == ButtonPress)
                if (GuiManager* gui = GuiManager::getSingletonPtr())
                    if (gui->cursorCapture() == 2)
                        gui->injectMouseMove(0.0f, 0.0f, ev.xbutton.button == Button4 ? 1.0f : -1.0f);
            if (!ctx)
                break;
            ctx->injectMousePosition(float(ev.xbutton.x), float(ev.xbutton.y));
            if (ev.xbutton.button == Button4 || ev.xbutton.button == Button5) {
                if (ev.type == ButtonPress)
                    ctx->injectMouseWheelChange(ev.xbutton.button == Button4 ? 1.f : -1.f);
            } else {
                CEGUI::MouseButton b = ev.xbutton.button == Button3   ? CEGUI::RightButton
                                       : ev.xbutton.button == Button2 ? CEGUI::MiddleButton
                                                                      : CEGUI::LeftButton;
                if (ev.type == ButtonPress) {
                    if (!ctx->injectMouseButtonDown(b))
                        if (GuiManager* gui = GuiManager::getSingletonPtr())
                            gui->passUnhandledClick(static_cast<int>(b));
                } else
                    ctx->injectMouseButtonUp(b);
            }
            break;
        case KeyPress: {
            const std::string typed = typedText(static_cast<XIC>(mInputContext), &ev.xkey);
            KeyBridge::keyDown(ctx, KeyBridge::scanOf(XLookupKeysym(&ev.xkey, 0)), typed);
            break;
        }
        case KeyRelease:
            KeyBridge::keyUp(ctx, KeyBridge::scanOf(XLookupKeysym(&ev.xkey, 0)));
            break;
        default:
            break;
        }
    }
    // Once the first frame is drawn, and only on a window still there (the events above may
    // have said it went): the keys of the next frames are read through the input method.
    if (!mInputContextTried && mFramesRendered > 0 && !mWindowLost) {
        mInputContextTried = true;
        openInputContext();
    }
}

void GraphicsSystem::warpPointer(int x, int y)
{
    if (!mDisplay || !mXWindow)
        return;
    Display* d = static_cast<Display*>(mDisplay);
    XWarpPointer(d, None, static_cast<Window>(mXWindow), 0, 0, 0, 0, x, y);
    XFlush(d);
}

void GraphicsSystem::centrePointer()
{
    if (mWindow)
        warpPointer(static_cast<int>(mWindow->getWidth() / 2), static_cast<int>(mWindow->getHeight() / 2));
}

bool GraphicsSystem::renderOneFrame(float dt)
{
    if (mGui)
        mGui->injectTimePulse(dt);
    if (mHeadless)
        return true;
    pumpWindowEvents();
    if (mWindowLost)
        return true; // nothing left to draw into; the frame loop ends the run
    try {
        // The GUI's last clipped draw leaves the scissor test on: the next frame's clear would
        // then wipe only that rectangle and leave old pictures on the rest of the window.
        if (Ogre::RenderSystem* rs = mRoot->getRenderSystem())
            rs->setScissorTest(false);
        if (!mRoot->renderOneFrame(dt))
            return false;
    } catch (const std::exception& e) {
        logLine(Severity::Error, std::string("frame not drawn: ") + e.what());
        return false;
    }
    ++mFramesRendered;
    return true;
}

bool GraphicsSystem::takeCloseRequest()
{
    bool asked = mCloseRequested;
    mCloseRequested = false;
    return asked;
}

void GraphicsSystem::setTitle(const std::string& utf8Title)
{
    if (!mDisplay || !mXWindow)
        return;
    Display* d = static_cast<Display*>(mDisplay);
    Atom utf8 = XInternAtom(d, "UTF8_STRING", False);
    Atom netName = XInternAtom(d, "_NET_WM_NAME", False);
    XChangeProperty(d, static_cast<Window>(mXWindow), netName, utf8, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(utf8Title.data()), static_cast<int>(utf8Title.size()));
    XStoreName(d, static_cast<Window>(mXWindow), utf8Title.c_str());
    XFlush(d);
}

void GraphicsSystem::setVisible(bool visible)
{
    if (mWindow)
        mWindow->setHidden(!visible);
}

void GraphicsSystem::focus()
{
    if (!mDisplay || !mXWindow)
        return;
    Display* d = static_cast<Display*>(mDisplay);
    XRaiseWindow(d, static_cast<Window>(mXWindow));
    XSetInputFocus(d, static_cast<Window>(mXWindow), RevertToParent, CurrentTime);
    XFlush(d);
}

bool GraphicsSystem::writeScreenshot(const std::string& file)
{
    if (!mWindow || mWindowLost)
        return false;
    try {
        mWindow->writeContentsToFile(file);
        return true;
    } catch (const std::exception& e) {
        logLine(Severity::Error, std::string("screenshot failed: ") + e.what());
        return false;
    }
}

double GraphicsSystem::nonBlackShare()
{
    if (!mWindow || mWindowLost)
        return -1;
    const std::size_t w = mWindow->getWidth(), h = mWindow->getHeight();
    std::vector<unsigned char> pixels(w * h * 4);
    Ogre::PixelBox box(static_cast<Ogre::uint32>(w), static_cast<Ogre::uint32>(h), 1, Ogre::PF_BYTE_RGBA,
                       pixels.data());
    mWindow->copyContentsToMemory(box, box);
    std::size_t lit = 0;
    for (std::size_t i = 0; i < w * h; ++i)
        if (pixels[i * 4] > 8 || pixels[i * 4 + 1] > 8 || pixels[i * 4 + 2] > 8)
            ++lit;
    return w != 0 && h != 0 ? double(lit) / double(w * h) : 0.0;
}

} // namespace core
} // namespace kavri3D
