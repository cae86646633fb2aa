#include <CEGUI/CEGUI.h>
#include <Ogre.h>
#include <OgreCodec.h>
#include <gtest/gtest.h>
#include <core/BlackBoard.h>
#include <core/GraphicsSystem.h>
#include <core/GuiSystem.h>
#include <chrono>
#include <thread>
#include <vector>

#include "support/TestEnv.h"
#include "support/TestWindow.h"
#include "support/XvfbServer.h"
// X11 last: its macros (None, Bool...) would break the headers above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xfixes.h>

using kavri3D::core::GraphicsSystem;

TEST(GameWindow, DrawsTheSceneAndTheGuiIntoARealWindow)
{
    ASSERT_TRUE(GraphicsSystem::displayAvailable()) << "render tests run under Xvfb";
    auto g = zrktest::openTestWindow("render test", 640, 480, "", false);
    ASSERT_NE(g, nullptr);
    ASSERT_FALSE(g->isHeadless());
    ASSERT_NE(g->getGui(), nullptr);

    // A lit cube in the scene and a framed window of the GUI over it.
    Ogre::Entity* cube = g->getSceneManager()->createEntity(Ogre::SceneManager::PT_CUBE);
    g->getSceneManager()->getRootSceneNode()->createChildSceneNode(Ogre::Vector3(0, 30, 0))->attachObject(cube);
    CEGUI::Window* box = CEGUI::WindowManager::getSingleton().createWindow("TaharezLook/FrameWindow", "box");
    box->setArea(CEGUI::UVector2(CEGUI::UDim(0.25f, 0), CEGUI::UDim(0.25f, 0)),
                 CEGUI::USize(CEGUI::UDim(0.5f, 0), CEGUI::UDim(0.3f, 0)));
    box->setText("Hello");
    g->getGui()->getRootWindow()->addChild(box);

    ASSERT_TRUE(zrktest::drawingPump(*g, 1.f / 24).frames(5)) << "the window stopped drawing";
    EXPECT_EQ(g->getFramesRendered(), 5u);
    EXPECT_GT(g->nonBlackShare(), 0.9); // the background colour fills the window; not a black screen
    zrktest::TempDir dir;
    EXPECT_TRUE(g->writeScreenshot(dir.file("shot.png")));
    EXPECT_GT(zrktest::readFile(dir.file("shot.png")).size(), 1000u);
    EXPECT_FALSE(g->takeCloseRequest());
}

TEST(GameWindow, HeadlessKeepsTheSceneGraphAndTheGuiWithoutDrawing)
{
    GraphicsSystem::WindowSpec spec;
    auto g = GraphicsSystem::create(true, spec);
    ASSERT_NE(g, nullptr);
    EXPECT_TRUE(g->isHeadless());
    Ogre::Entity* cube = g->getSceneManager()->createEntity(Ogre::SceneManager::PT_CUBE);
    g->getSceneManager()->getRootSceneNode()->createChildSceneNode()->attachObject(cube);
    EXPECT_TRUE(g->renderOneFrame(0.1f));
    EXPECT_EQ(g->getFramesRendered(), 0u);
    EXPECT_LT(g->nonBlackShare(), 0);
    EXPECT_FALSE(g->writeScreenshot("/tmp/never.png"));
}

TEST(GameWindow, TheFullerPictureCodecComesWithTheFirstPictureThatNeedsIt)
{
    ASSERT_TRUE(GraphicsSystem::displayAvailable()) << "render tests run under Xvfb";
    auto g = zrktest::openTestWindow("", 320, 240, "", false);
    ASSERT_NE(g, nullptr);
    // The start-up brings the common picture codecs only.
    EXPECT_TRUE(Ogre::Codec::isCodecRegistered("jpg"));
    EXPECT_FALSE(Ogre::Codec::isCodecRegistered("jp2"));
    EXPECT_TRUE(g->preparePictureCodec("MAP01/PG099.JPG"));
    EXPECT_FALSE(Ogre::Codec::isCodecRegistered("jp2"));
    EXPECT_FALSE(g->preparePictureCodec("no-extension"));
    EXPECT_FALSE(g->preparePictureCodec("odd.dir/no-extension"));
    EXPECT_FALSE(Ogre::Codec::isCodecRegistered("jp2"));

    // The loading screen's JPEG 2000 frame: the codec comes, and the picture reads.
    EXPECT_TRUE(g->preparePictureCodec("PG_Frame.JP2"));
    ASSERT_TRUE(Ogre::Codec::isCodecRegistered("jp2"));
    const std::string bytes = zrktest::readFile(zrktest::binFolder() + "/res/GUI/PG_Frame.jp2");
    ASSERT_FALSE(bytes.empty());
    Ogre::DataStreamPtr stream(new Ogre::MemoryDataStream(const_cast<char*>(bytes.data()), bytes.size(), false, true));
    Ogre::Image picture;
    picture.load(stream, "jp2");
    EXPECT_GT(picture.getWidth(), 0u);
    EXPECT_GT(picture.getHeight(), 0u);
    // What no codec reads stays refused, asked once or twice.
    EXPECT_FALSE(g->preparePictureCodec("odd.nocodec"));
    EXPECT_FALSE(g->preparePictureCodec("odd.nocodec"));
}

namespace {

/// A property of a window as 32-bit values (Xlib hands them out as longs); empty when unset.
std::vector<long> longsOf(Display* d, Window w, const char* name)
{
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::vector<long> out;
    if (XGetWindowProperty(d, w, XInternAtom(d, name, False), 0, 1 << 16, False, AnyPropertyType, &type, &format,
                           &count, &after, &data) == Success &&
        data && format == 32)
        out.assign(reinterpret_cast<long*>(data), reinterpret_cast<long*>(data) + count);
    if (data)
        XFree(data);
    return out;
}

} // namespace

TEST(GameWindow, AWindowOfItsOwnKeepsItsSizeCannotBeMaximisedAndShowsTheIconAndPointer)
{
    ASSERT_TRUE(GraphicsSystem::displayAvailable()) << "render tests run under Xvfb";
    GraphicsSystem::WindowSpec spec;
    spec.width = 640;
    spec.height = 360;
    spec.iconFile = zrktest::binFolder() + "/res/app/icon110.png";
    spec.cursorFile = zrktest::binFolder() + "/res/app/cursor102.png";
    spec.cursorHotX = spec.cursorHotY = 1;
    auto g = GraphicsSystem::create(false, spec);
    ASSERT_NE(g, nullptr);
    ASSERT_TRUE(g->renderOneFrame(1.f / 24));
    Display* d = XOpenDisplay(nullptr);
    ASSERT_NE(d, nullptr);
    const Window w = static_cast<Window>(g->getXWindow());

    XSizeHints hints{};
    long supplied = 0;
    ASSERT_TRUE(XGetWMNormalHints(d, w, &hints, &supplied));
    EXPECT_TRUE((hints.flags & PMinSize) && (hints.flags & PMaxSize));
    EXPECT_EQ(hints.min_width, 640);
    EXPECT_EQ(hints.max_width, 640);
    EXPECT_EQ(hints.min_height, 360);
    EXPECT_EQ(hints.max_height, 360);
    const std::vector<long> motif = longsOf(d, w, "_MOTIF_WM_HINTS");
    ASSERT_EQ(motif.size(), 5u);
    EXPECT_EQ(motif[1] & (2 | 16), 0); // neither resize nor maximise among the functions
    EXPECT_EQ(motif[2] & (4 | 64), 0); // nor their frame parts
    EXPECT_NE(motif[1] & 32, 0);       // it closes
    const std::vector<long> icon = longsOf(d, w, "_NET_WM_ICON");
    ASSERT_EQ(icon.size(), 2u + 16 * 16 + 2u + 32 * 32); // 16 and 32 pixels square
    EXPECT_EQ(icon[0], 16);
    EXPECT_EQ(icon[2 + 256], 32);
    auto alpha = [&](std::size_t at) { return (static_cast<unsigned long>(icon[at]) & 0xFFFFFFFFul) >> 24; };
    EXPECT_EQ(alpha(2), 0u);                            // the tile's cut corner is clear
    EXPECT_EQ(alpha(2 + 256 + 2 + 16 * 32 + 16), 255u); // its middle is not

    // Over the window the pointer is the program's arrow, its tip the hot spot.
    // Other tests' windows share this X server and may stand over ours: raise it and look again.
    XFixesCursorImage* cursor = nullptr;
    for (int tries = 0; tries < 40; ++tries) {
        XRaiseWindow(d, w);
        XWarpPointer(d, None, w, 0, 0, 0, 0, 100, 100);
        XSync(d, False);
        if (cursor)
            XFree(cursor);
        cursor = XFixesGetCursorImage(d);
        if (cursor && cursor->width == 32 && cursor->xhot == 1)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ASSERT_NE(cursor, nullptr);
    EXPECT_EQ(cursor->width, 32);
    EXPECT_EQ(cursor->height, 32);
    EXPECT_EQ(cursor->xhot, 1);
    EXPECT_EQ(cursor->yhot, 1);
    XFree(cursor);
    XCloseDisplay(d);
}

namespace {

/// A launcher's window, shown, of the size.
Window launcherWindow(Display* d, int width, int height)
{
    const Window host = XCreateSimpleWindow(d, DefaultRootWindow(d), 10, 10, width, height, 0, 0, 0);
    XMapWindow(d, host);
    XSync(d, False);
    return host;
}

/// The game window filling the launcher's window.
GraphicsSystem::WindowSpec insideOf(Window host, int width, int height)
{
    GraphicsSystem::WindowSpec spec;
    spec.parent = host;
    spec.width = width;
    spec.height = height;
    return spec;
}

} // namespace

// Embedded in the launcher's window, the game has the keyboard as soon as its window shows,
// before its GUI is up; a child that is not embedded leaves it to the launcher.
TEST(GameWindow, AnEmbeddedChildTakesTheKeyboardAsItsWindowShows)
{
    ASSERT_TRUE(GraphicsSystem::displayAvailable()) << "render tests run under Xvfb";
    // The focus is the X server's own: on a server of its own no other test's window takes it.
    zrktest::XvfbServer server(640, 480);
    ASSERT_FALSE(server.display().empty());
    zrktest::ScopedEnv displayEnv("DISPLAY", server.display());
    Display* d = XOpenDisplay(nullptr);
    ASSERT_NE(d, nullptr);
    for (const bool embedded : {true, false}) {
        kavri3D::core::BlackBoard board;
        board.setString("kavri3D/win32RenderWindowParent", "1");
        board.setBool("kavri3D/win32RenderWindowEmbedded", embedded);
        const Window host = launcherWindow(d, 320, 200);
        XSetInputFocus(d, host, RevertToParent, CurrentTime);
        XSync(d, False);
        auto g = GraphicsSystem::create(false, insideOf(host, 320, 200));
        ASSERT_NE(g, nullptr);
        XSync(d, False);
        Window focus = 0;
        int revert = 0;
        XGetInputFocus(d, &focus, &revert);
        EXPECT_EQ(focus == static_cast<Window>(g->getXWindow()), embedded);
        g.reset();
        XDestroyWindow(d, host);
        XSync(d, False);
    }
    XCloseDisplay(d);
}

// The child goes with the launcher's window. The game told to go on without it goes on,
// whichever word of the loss comes first: the DestroyNotify its frame reads, or the X error
// about the window (out of a draw, before the frame reads the DestroyNotify).
TEST(GameWindow, AChildOfTheLaunchersWindowFillsItAndGoesWithIt)
{
    ASSERT_TRUE(GraphicsSystem::displayAvailable()) << "render tests run under Xvfb";
    Display* d = XOpenDisplay(nullptr);
    ASSERT_NE(d, nullptr);
    for (const bool errorFirst : {false, true})
        for (const bool quit : {false, true}) {
            kavri3D::core::BlackBoard board;
            board.setBool("kavri3D/win32QuitWhenDestroy", quit);
            const Window host = launcherWindow(d, 500, 300);
            auto g = GraphicsSystem::create(false, insideOf(host, 500, 300));
            ASSERT_NE(g, nullptr);
            ASSERT_TRUE(g->renderOneFrame(1.f / 24));
            Window root = 0, parent = 0, *children = nullptr;
            unsigned count = 0;
            ASSERT_TRUE(XQueryTree(d, static_cast<Window>(g->getXWindow()), &root, &parent, &children, &count));
            if (children)
                XFree(children);
            EXPECT_EQ(parent, host);
            XWindowAttributes attrs{};
            ASSERT_TRUE(XGetWindowAttributes(d, static_cast<Window>(g->getXWindow()), &attrs));
            EXPECT_EQ(attrs.x, 0);
            EXPECT_EQ(attrs.y, 0);
            EXPECT_EQ(attrs.width, 500);
            EXPECT_EQ(attrs.height, 300);
            // The launcher sizes and dresses its own window: the child sets no hints of a window manager.
            EXPECT_TRUE(longsOf(d, static_cast<Window>(g->getXWindow()), "_MOTIF_WM_HINTS").empty());

            XDestroyWindow(d, host);
            XSync(d, False);
            if (errorFirst) {
                // A request about the window on the game's own connection, answered at once:
                // its error reaches the game while the DestroyNotify still waits to be read.
                auto* game = static_cast<Display*>(g->getXDisplay());
                ASSERT_NE(game, nullptr);
                EXPECT_EQ(XGetWindowAttributes(game, static_cast<Window>(g->getXWindow()), &attrs), 0);
                EXPECT_TRUE(g->isWindowGone()) << quit;
            }
            zrktest::drawingPump(*g, 1.f / 24)
                .until([&] { return g->isWindowGone(); }, 20, "the window gone with its host");
            EXPECT_TRUE(g->isWindowGone()) << quit;
            EXPECT_EQ(g->isWindowLost(), quit) << "the game ends with it only when it is told to";
            // Frames go on without drawing; nothing read later changes the answer.
            EXPECT_TRUE(zrktest::drawingPump(*g, 1.f / 24).frames(5)) << quit;
            EXPECT_EQ(g->isWindowLost(), quit) << errorFirst;
        }
    XCloseDisplay(d);
}
