// The web view in the real game window: our news page over the game, the player's keys and
// mouse in the page, its Close, the platform identity by origin, and the launcher hiding and
// raising the window.
#include <CEGUI/CEGUI.h>
#include <boost/filesystem.hpp>
#include <core/BlackBoard.h>
#include <core/GraphicsSystem.h>
#include <core/NetClientManager.h>
#include <chrono>
#include <dlfcn.h>
#include <transport/FileServer.h>
#include <transport/TransportService.h>
#include <webbrowser/WebBrowser.h>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <atomic>
#include <gtest/gtest.h>
#include <httplib.h>
#include <hostproc/ClientProcMsg.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>
#include <yake/Logger.h>
#include <zlib.h>

#include <gui/IGuiControl.h>
#include <gui/IGuiManager.h>
#include <gui/ParamNode.h>

#include "callbacks/EvthtmlViewCallback.h"
#include "webview/HtmlView.h"
#include "shell/ZRKGuiLoader.h"
#include "support/FramePump.h"
#include "support/InstallationCopy.h"
#include "support/StrangerFlood.h"
#include "support/XvfbServer.h"
#include "support/GameOnScreen.h" // last: X11's macros
#include <X11/Xutil.h>

using kavri3D::zrk::HtmlView;

namespace {

/// The X server these tests play on: their own, since the real pointer and the keyboard are
/// used, and one for the whole program, since the browser's toolkit stays with the first
/// display it opened.
const std::string& webDisplay()
{
    static zrktest::XvfbServer server(1280, 1024);
    return server.display();
}

std::string pageAddress(const std::string& page)
{
    kavri3D::core::NetClientManager* net = kavri3D::core::NetClientManager::getSingletonPtr();
    return (net ? net->getApplicationPath() : std::string()) + "/web/" + page;
}

/// Runs a script in the page and gives its result as text, frames running meanwhile.
std::string evalInPage(zrktest::GameRun& game, const std::string& script)
{
    HtmlView* view = HtmlView::instance();
    if (!view || !view->browser())
        return "<no view>";
    view->browser()->runScript(script);
    bool ready = false;
    game.framesUntil(
        [&] {
            HtmlView* v = HtmlView::instance();
            if (!v || !v->browser())
                return true;
            v->browser()->scriptResult(&ready);
            return ready;
        },
        600);
    view = HtmlView::instance();
    return view && view->browser() ? view->browser()->scriptResult(nullptr) : "<no view>";
}

/// Waits until the view shows the page loaded whole, looking every five frames.
zrktest::FramePump::Waited waitForPage(zrktest::GameRun& game, const std::string& url, int tries = 40)
{
    zrktest::FramePump everyFive([&] { return game.frames(5); },
                                 [&] { return "the game stood in state \"" + game.stateName() + "\""; });
    return everyFive.until(
        [&] {
            HtmlView* view = HtmlView::instance();
            return view && view->browser() &&
                   evalInPage(game, "location.href+' '+document.readyState") == url + " complete";
        },
        tries - 1, "the page " + url + " loaded whole (looked at every five frames)");
}

void xdotool(const std::string& args)
{
    const std::string command = "xdotool " + args + " >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

struct PageRect {
    int x = 0, y = 0, w = 0, h = 0;
};

/// An element's box in the page, from its script.
PageRect elementRect(zrktest::GameRun& game, const std::string& id)
{
    PageRect r;
    const std::string text =
        evalInPage(game, "(function(){var b=document.getElementById('" + id +
                             "').getBoundingClientRect();return Math.round(b.left)+' '+"
                             "Math.round(b.top)+' '+Math.round(b.width)+' '+Math.round(b.height);})()");
    std::sscanf(text.c_str(), "%d %d %d %d", &r.x, &r.y, &r.w, &r.h);
    return r;
}

/// Clicks with the real pointer at (x, y) of an X window.
void clickAt(Display* d, Window w, int x, int y, int button = 1)
{
    int rx = 0, ry = 0;
    Window child = 0;
    XTranslateCoordinates(d, w, DefaultRootWindow(d), x, y, &rx, &ry, &child);
    xdotool("mousemove " + std::to_string(rx) + " " + std::to_string(ry) + " click " + std::to_string(button));
}

/// What the X server shows in the window, children included (OGRE's own picture lacks them).
bool saveXPicture(Display* d, Window w, const std::string& file, double* pageShare, std::uint32_t* corner = nullptr)
{
    XWindowAttributes attrs;
    if (!XGetWindowAttributes(d, w, &attrs))
        return false;
    XImage* image = XGetImage(d, w, 0, 0, static_cast<unsigned>(attrs.width), static_cast<unsigned>(attrs.height),
                              AllPlanes, ZPixmap);
    if (!image)
        return false;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(attrs.width) * attrs.height);
    std::size_t paper = 0;
    for (int y = 0; y < attrs.height; ++y)
        for (int x = 0; x < attrs.width; ++x) {
            const unsigned long p = XGetPixel(image, x, y);
            pixels[static_cast<std::size_t>(y) * attrs.width + x] =
                0xFF000000u | static_cast<std::uint32_t>(p & 0xFFFFFF);
            const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
            if (r >= 253 && g >= 251 && g <= 255 && b >= 244 && b <= 250) // the news sheet's paper (#fffdf7)
                ++paper;
        }
    XDestroyImage(image);
    if (corner)
        *corner = pixels[static_cast<std::size_t>(5) * attrs.width + 5];
    if (pageShare)
        *pageShare = double(paper) / double(pixels.size());
    Ogre::Image picture;
    picture.loadDynamicImage(reinterpret_cast<Ogre::uchar*>(pixels.data()), static_cast<Ogre::uint32>(attrs.width),
                             static_cast<Ogre::uint32>(attrs.height), 1, Ogre::PF_A8R8G8B8);
    boost::filesystem::create_directories(boost::filesystem::path(file).parent_path());
    picture.save(file);
    return true;
}

int viewableTopWindows(Display* d)
{
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    int viewable = 0;
    if (XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &count)) {
        for (unsigned i = 0; i < count; ++i) {
            XWindowAttributes a;
            if (XGetWindowAttributes(d, children[i], &a) && a.map_state == IsViewable)
                ++viewable;
        }
        XFree(children);
    }
    return viewable;
}

bool isChildOf(Display* d, Window child, Window parent)
{
    Window root = 0, up = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(d, child, &root, &up, &children, &count))
        return false;
    if (children)
        XFree(children);
    return up == parent;
}

int mapState(Display* d, Window w)
{
    XWindowAttributes a;
    return XGetWindowAttributes(d, w, &a) ? a.map_state : -1;
}

/// The whole game on the web tests' own X server.
struct WebView : zrktest::GameOnScreen {
    zrktest::ScopedEnv displayEnv{"DISPLAY", webDisplay()};

    void SetUp() override
    {
        ASSERT_FALSE(webDisplay().empty()) << "Xvfb did not start";
        zrktest::GameOnScreen::SetUp();
    }
};

} // namespace

TEST_F(WebView, TheNewsPageShowsOverTheGameTakesTheKeysAndItsCloseGivesThemBack)
{
    bool ran = false;
    const bool ok = play(zrktest::loginScreenRun(), [&](zrktest::GameRun& game) {
        ASSERT_TRUE(game.frames(3));
        kavri3D::core::GraphicsSystem* g = graphics;
        zrktest::XWindowInput& x = input;
        const std::string url = pageAddress("notice.html");
        ASSERT_TRUE(HtmlView::navigate(url));
        ASSERT_TRUE(waitForPage(game, url));
        HtmlView* view = HtmlView::instance();
        ASSERT_NE(view->getWindow(), nullptr);
        const Window page = view->getWindow()->native;
        // A real X window inside the game's, covering its client area.
        EXPECT_TRUE(isChildOf(x.display, page, x.window));
        EXPECT_EQ(mapState(x.display, page), IsViewable);
        XWindowAttributes attrs;
        XGetWindowAttributes(x.display, page, &attrs);
        EXPECT_EQ(attrs.width, static_cast<int>(g->getRenderWindow()->getWidth()));
        EXPECT_EQ(attrs.height, static_cast<int>(g->getRenderWindow()->getHeight()));
        game.frames(10);
        double share = 0;
        ASSERT_TRUE(saveXPicture(x.display, x.window, std::string(ZRK_SHOTS_DIR) + "/webview-cover.png", &share));
        EXPECT_GT(share, 0.2) << "the news sheet is not on screen";
        // Placed as a panel (the way the screens that open it place it), the game shows around.
        const int w = attrs.width, h = attrs.height;
        ASSERT_TRUE(SetWindowPos(view->getWindow(), nullptr, w / 5, h / 12, w * 3 / 5, h * 5 / 6, SWP_NOZORDER));
        game.frames(30);
        XGetWindowAttributes(x.display, page, &attrs);
        EXPECT_EQ(attrs.x, w / 5);
        EXPECT_EQ(attrs.width, w * 3 / 5);
        double panelShare = 0;
        std::uint32_t corner = 0;
        ASSERT_TRUE(
            saveXPicture(x.display, x.window, std::string(ZRK_SHOTS_DIR) + "/webview.png", &panelShare, &corner));
        EXPECT_GT(panelShare, 0.1);
        EXPECT_LT((corner >> 16) & 0xFF, 128u) << "the game's evening sky shows beside the page";
        // The area page's "News" names the part it covers: the game's web-view event places the
        // view there, so the buttons beside stay free.
        kavri3D::zrk::gui::IGuiManager* manager = nullptr;
        ASSERT_TRUE(kavri3D::zrk::ZRKGuiLoader::getSingleton().createGuiManager(&manager));
        kavri3D::zrk::gui::IGuiControl* control = manager->getControl();
        control->setPageParam(0, kavri3D::zrk::gui::ParamNode::text("url", url));
        control->setPageParam(0, kavri3D::zrk::gui::ParamNode::integer("window", 1));
        const int place[4] = {20, 30, w / 2, h * 2};
        const char* const names[4] = {"left", "top", "width", "height"};
        for (int i = 0; i < 4; ++i)
            control->setPageParam(0, kavri3D::zrk::gui::ParamNode::integer(names[i], place[i]));
        kavri3D::zrk::EvthtmlViewCallback news(manager->getPage(0), manager->getEventDispatcher());
        news.callback(control->paramHandle(0));
        game.frames(20);
        XGetWindowAttributes(x.display, page, &attrs);
        EXPECT_EQ(attrs.x, 20);
        EXPECT_EQ(attrs.y, 30);
        EXPECT_EQ(attrs.width, w / 2);
        EXPECT_EQ(attrs.height, h - 30); // kept inside the game's window
        for (const char* name : names)
            control->setPageParam(0, kavri3D::zrk::gui::ParamNode::integer(name, 0));
        ASSERT_TRUE(SetWindowPos(view->getWindow(), nullptr, 0, 0, w, h, SWP_NOZORDER));
        game.frames(20);

        // The player clicks into the note field and types: the page has the keys.
        const PageRect field = elementRect(game, "note");
        ASSERT_GT(field.w, 0);
        clickAt(x.display, page, field.x + field.w / 2, field.y + field.h / 2);
        game.frames(10);
        xdotool("type --delay 20 fire");
        game.frames(20);
        EXPECT_EQ(evalInPage(game, "document.getElementById('note').value"), "fire");
        // Escape and Enter do not close the page.
        xdotool("key Escape Return");
        game.frames(10);
        ASSERT_EQ(HtmlView::instance(), view);
        EXPECT_NE(view->getWindow(), nullptr);
        // A right click shows no menu.
        const int before = viewableTopWindows(x.display);
        clickAt(x.display, page, field.x + field.w / 2, field.y + field.h / 2 + 60, 3);
        game.frames(20);
        EXPECT_EQ(viewableTopWindows(x.display), before);

        // The page's own Close: the view goes on a later frame and the game has the keys.
        const PageRect close = elementRect(game, "close");
        ASSERT_GT(close.w, 0);
        clickAt(x.display, page, close.x + close.w / 2, close.y + close.h / 2);
        EXPECT_TRUE(game.framesUntil([] { return HtmlView::instance() == nullptr; }, 300));
        XSync(x.display, False);
        Window focus = 0;
        int revert = 0;
        XGetInputFocus(x.display, &focus, &revert);
        EXPECT_EQ(focus, x.window);
        // The player's keys reach the game's own log-in form again.
        CEGUI::Window* root = CEGUI::System::getSingleton().getDefaultGUIContext().getRootWindow();
        CEGUI::Window* login = root ? root->getChildRecursive("LoginPage") : nullptr;
        ASSERT_NE(login, nullptr);
        CEGUI::Window* name = login->getChild("Name");
        name->setText("");
        const CEGUI::Rectf r = name->getUnclippedOuterRect().get();
        clickAt(x.display, x.window, static_cast<int>(r.left() + r.getWidth() / 2),
                static_cast<int>(r.top() + r.getHeight() / 2));
        game.frames(5);
        xdotool("type --delay 20 hero");
        game.frames(10);
        EXPECT_EQ(std::string(name->getText().c_str()), "hero");
        ran = true;
    });
    EXPECT_TRUE(ok);
    EXPECT_TRUE(ran);
}

namespace {

/// A call of the browser library's test surface; null before the game loaded the library.
template <class Fn> Fn browserTestCall(const char* name)
{
    void* library = dlopen((zrktest::binFolder() + "/libWebBrowser.so").c_str(), RTLD_NOW | RTLD_NOLOAD);
    return library ? reinterpret_cast<Fn>(dlsym(library, name)) : nullptr;
}

int flooderByAddress(int fd) { return zrktest::StrangerFlood::fromFlooderAddress(fd) ? 1 : 0; }

} // namespace

TEST_F(WebView, AnotherUsersFloodStarvesNeitherTheDownloadsNorThePagesNorTheFrames)
{
    // Every data product and one GUI file must come over the file server meanwhile.
    zrktest::InstallationCopy install(false);
    std::filesystem::remove(install.program + "res/GUIX1/GUIX1.png");
    const std::vector<std::string> products = zrktest::InstallationCopy::productKeys();
    ASSERT_GE(products.size(), 10u);
    zrktest::StrangerFlood flood; // before the game opens a connection of its own
    zrktest::StrangerFlood::Result met;
    std::size_t fetched = 0;
    int framesDuring = 0, pagesDuring = 0;
    unsigned long proxyCounts[3] = {0, 0, 0};
    kavri3D::core::FileServer::Counts fileCounts;
    bool ran = false;
    const bool ok = play(
        zrktest::loggedInRun("hero"),
        [&](zrktest::GameRun& game) {
            ASSERT_TRUE(game.frames(3));
            // The page's proxy stands once a page is shown: the flood reaches for it too.
            const std::string notice = pageAddress("notice.html");
            ASSERT_TRUE(HtmlView::navigate(notice));
            ASSERT_TRUE(waitForPage(game, notice));
            auto proxyPort = browserTestCall<WebBrowserProxyPortFn>("WebBrowserProxyPort");
            auto strangerTest = browserTestCall<WebBrowserStrangerTestFn>("WebBrowserStrangerTest");
            auto counts = browserTestCall<WebBrowserProxyCountsFn>("WebBrowserProxyCounts");
            ASSERT_TRUE(proxyPort && strangerTest && counts);
            ASSERT_GT(proxyPort(), 0);
            if (!flood.asAnotherUser()) {
                kavri3D::core::FileServer::setStrangerTest(flood.fileServerCheck());
                strangerTest(&flooderByAddress);
            }
            const std::string cache = kavri3D::core::BlackBoard::getSingleton().getString("kavri3D/cachedPath", "");
            auto productsIn = [&] {
                std::size_t n = 0;
                for (const std::string& key : products)
                    n += std::filesystem::exists(cache + key + ".ss1") ? 1 : 0;
                return n;
            };
            const double seconds = 10;
            flood.start(kavri3D::core::TransportService::instance().getRoutedSocket(), proxyPort(), seconds);
            const auto start = std::chrono::steady_clock::now();
            auto during = [&] {
                return std::chrono::steady_clock::now() - start < std::chrono::duration<double>(seconds);
            };
            // The GUI file comes back, hero logs in and reaches the area choice, every product
            // comes, and pages keep loading through the proxy, all while the flood lasts.
            EXPECT_TRUE(game.secondsUntil([&] { return game.stateName() == "room" && productsIn() == products.size(); },
                                          seconds, "the area choice and every data product"));
            fetched = productsIn();
            EXPECT_TRUE(during()) << "the downloads outlasted the flood";
            for (const char* name : {"news.html", "notice.html"}) {
                if (!during())
                    break;
                const std::string url = pageAddress(name);
                ASSERT_TRUE(HtmlView::navigate(url));
                pagesDuring += waitForPage(game, url) && during() ? 1 : 0;
            }
            while (during() && game.frames(1))
                ++framesDuring;
            met = flood.finish();
            counts(proxyCounts);
            strangerTest(nullptr);
            kavri3D::core::FileServer::setStrangerTest(nullptr);
            HtmlView::close();
            ran = true;
        },
        install.program);
    EXPECT_TRUE(ok);
    ASSERT_TRUE(ran);
    EXPECT_EQ(fetched, products.size());
    EXPECT_EQ(zrktest::readFile(install.program + "res/GUIX1/GUIX1.png"),
              zrktest::readFile(install.bin + "res/GUIX1/GUIX1.png"));
    EXPECT_EQ(pagesDuring, 2);
    EXPECT_GT(framesDuring, 0);
    // What the flood met: another account never reaches the file server's socket (root, or
    // this user under the check, is dropped at once); the proxy closed every silent connection
    // at once and counted none of them.
    ASSERT_TRUE(met.ran);
    EXPECT_GT(met.fileServerTried, 0);
    if (flood.asAnotherUser()) {
        EXPECT_EQ(met.fileServerReached, 0);
    }
    EXPECT_EQ(met.fileServerKept, 0);
    EXPECT_GT(met.proxyHeld, 0);
    EXPECT_EQ(met.proxyKept, 0);
    EXPECT_GE(proxyCounts[1], static_cast<unsigned long>(met.proxyHeld));
    EXPECT_EQ(proxyCounts[2], 0u) << "the player's own page requests were refused busy";
    std::printf("flood: file server tried %d, reached %d; proxy held %d, churned %ld; %lu dropped; %d frames after "
                "the downloads\n",
                met.fileServerTried, met.fileServerReached, met.proxyHeld, met.proxyChurned, proxyCounts[1],
                framesDuring);
}

namespace {

/// A page's body sent gzip-compressed: `wire` bytes of it that grow to about a thousand times
/// as much (zeros) once decoded.
std::string gzipBomb(std::size_t wire)
{
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, 15 + 16, 9, Z_DEFAULT_STRATEGY);
    std::string out;
    std::vector<unsigned char> zeros(1 << 20, 0), chunk(1 << 16);
    while (out.size() < wire) {
        z.next_in = zeros.data();
        z.avail_in = static_cast<uInt>(zeros.size());
        do {
            z.next_out = chunk.data();
            z.avail_out = static_cast<uInt>(chunk.size());
            deflate(&z, Z_NO_FLUSH);
            out.append(reinterpret_cast<char*>(chunk.data()), chunk.size() - z.avail_out);
        } while (z.avail_in > 0);
    }
    int done = Z_OK;
    while (done != Z_STREAM_END) {
        z.next_out = chunk.data();
        z.avail_out = static_cast<uInt>(chunk.size());
        done = deflate(&z, Z_FINISH);
        out.append(reinterpret_cast<char*>(chunk.data()), chunk.size() - z.avail_out);
    }
    deflateEnd(&z);
    return out;
}

} // namespace

TEST_F(WebView, ACompressedBombIsRefusedLoggedAndTheGamePlaysOn)
{
    // 1 MB on the wire that would be a gigabyte in the page's process.
    const std::string bomb = gzipBomb(1 << 20);
    ASSERT_GE(bomb.size(), 1u << 20);
    httplib::Server pages;
    std::atomic<int> asked{0};
    pages.Get("/bomb", [&](const httplib::Request&, httplib::Response& res) {
        ++asked;
        res.set_header("Content-Encoding", "gzip");
        res.set_content(bomb, "text/html");
    });
    const int port = pages.bind_to_any_port("127.0.0.1");
    ASSERT_GT(port, 0);
    std::thread serving([&] { pages.listen_after_bind(); });
    yake::logging::logger& log = yake::logging::logger::instance();
    log.startCapture();
    bool ran = false;
    const bool ok = play(zrktest::loginScreenRun(), [&](zrktest::GameRun& game) {
        ASSERT_TRUE(game.frames(3));
        const std::string url = "http://localhost:" + std::to_string(port) + "/bomb";
        ASSERT_TRUE(HtmlView::navigate(url));
        auto told = [&] {
            for (const yake::logging::LogRecord& line : log.captured())
                if (line.channel == "HtmlView" && line.text.find("page not shown: " + url) == 0 &&
                    line.text.find("sent compressed") != std::string::npos)
                    return true;
            return false;
        };
        EXPECT_TRUE(game.secondsUntil(told, 20, "the game's line on the refused page"));
        EXPECT_GE(asked.load(), 1);
        EXPECT_TRUE(waitForPage(game, "about:blank", 120)) << evalInPage(game, "location.href+' '+document.readyState");
        EXPECT_EQ(evalInPage(game, "String(document.documentElement.textContent.length)"), "0");
        // The game plays on: its own page comes next, and the log-in screen still answers.
        const std::string own = pageAddress("notice.html");
        ASSERT_TRUE(HtmlView::navigate(own));
        EXPECT_TRUE(waitForPage(game, own));
        HtmlView::close();
        EXPECT_TRUE(game.frames(10));
        EXPECT_EQ(game.stateName(), "logon");
        ran = true;
    });
    log.stopCapture();
    pages.stop();
    serving.join();
    EXPECT_TRUE(ok);
    EXPECT_TRUE(ran);
}

TEST_F(WebView, ThePlatformIdentityGoesOnlyToOurOwnOrigin)
{
    bool ran = false;
    // Pages of another origin: one that asks to close the view as it loads, and documents
    // sent in chunks with no declared length.
    httplib::Server pages;
    std::atomic<int> closerRan{0};
    pages.Get("/closer", [](const httplib::Request&, httplib::Response& res) {
        res.set_content(
            "<html><body><script>window.external.close();new Image().src='/closer-ran';</script></body></html>",
            "text/html");
    });
    pages.Get("/account.html", [](const httplib::Request&, httplib::Response& res) {
        res.set_content(zrktest::readFile(zrktest::binFolder() + "/res/web/account.html"), "text/html");
    });
    pages.Get("/closer-ran", [&](const httplib::Request&, httplib::Response& res) {
        ++closerRan;
        res.set_content("", "image/gif");
    });
    pages.Get(R"(/chunked/(\d+))", [](const httplib::Request& req, httplib::Response& res) {
        const std::size_t size = std::stoul(req.matches[1]);
        res.set_chunked_content_provider("text/html", [size](std::size_t offset, httplib::DataSink& sink) {
            if (offset >= size) {
                sink.done();
                return true;
            }
            // One long comment: the page's size without a page's layout to wait for.
            std::string block(std::min<std::size_t>(64 * 1024, size - offset), 'x');
            if (offset == 0)
                block.replace(0, 16, "<html><body><!--");
            return sink.write(block.data(), block.size());
        });
    });
    const int pagesPort = pages.bind_to_any_port("127.0.0.1");
    ASSERT_GT(pagesPort, 0);
    std::thread serving([&] { pages.listen_after_bind(); });
    const std::string foreign = "http://localhost:" + std::to_string(pagesPort);
    const std::string line = zrktest::loginScreenRun() + " zrk://play?openid=Hero%E2%9C%93&openkey=s3cret";
    const bool ok = play(line, [&](zrktest::GameRun& game) {
        ASSERT_TRUE(game.frames(3));
        const std::string own = pageAddress("account.html");
        ASSERT_TRUE(HtmlView::navigate(own));
        ASSERT_TRUE(waitForPage(game, own));
        EXPECT_EQ(evalInPage(game, "window.external.openid"), "Hero\xE2\x9C\x93");
        EXPECT_EQ(evalInPage(game, "window.external.openkey"), "s3cret");
        EXPECT_EQ(evalInPage(game, "document.getElementById('who').textContent"), "Hero\xE2\x9C\x93");
        // The same page from another origin (another server of this machine).
        const std::string other = foreign + "/account.html";
        ASSERT_TRUE(HtmlView::navigate(other));
        ASSERT_TRUE(waitForPage(game, other));
        EXPECT_EQ(evalInPage(game, "window.external.openid"), "");
        EXPECT_EQ(evalInPage(game, "window.external.openkey"), "");
        EXPECT_EQ(evalInPage(game, "typeof window.external.close"), "function");
        // Only the top frame of our own page closes the view: not another origin's page, nor a
        // frame of another origin inside ours.
        auto shown = [] { return HtmlView::instance() && HtmlView::instance()->getWindow(); };
        EXPECT_EQ(evalInPage(game, "window.external.close();'asked'"), "asked");
        game.frames(20);
        EXPECT_TRUE(shown());
        ASSERT_TRUE(HtmlView::navigate(own));
        ASSERT_TRUE(waitForPage(game, own));
        evalInPage(game, "var f=document.createElement('iframe');f.src='" + foreign +
                             "/closer';document.body.appendChild(f);'added'");
        EXPECT_TRUE(game.framesUntil([&] { return closerRan.load() > 0; }, 1500));
        game.frames(20);
        EXPECT_TRUE(shown());
        EXPECT_EQ(evalInPage(game, "window.external.close();'asked'"), "asked");
        EXPECT_TRUE(game.framesUntil([&] { return HtmlView::instance() == nullptr; }, 300));
        // A document in chunks is taken up to the largest size and refused past it.
        const std::string fits = foreign + "/chunked/1000000";
        ASSERT_TRUE(HtmlView::navigate(fits));
        ASSERT_TRUE(waitForPage(game, fits));
        EXPECT_EQ(evalInPage(game, "String(document.body.innerHTML.length)"), "999991");
        ASSERT_TRUE(HtmlView::navigate(foreign + "/chunked/20000000"));
        // 8 MB go through the proxy before it cuts: slow in the sanitizer build.
        EXPECT_TRUE(waitForPage(game, "about:blank", 200)) << evalInPage(game, "location.href+' '+document.readyState");
        EXPECT_EQ(evalInPage(game, "String(document.documentElement.textContent.length)"), "0");
        ASSERT_TRUE(HtmlView::navigate(other));
        ASSERT_TRUE(waitForPage(game, other));
        // The "x" at the top right takes the window away and leaves the view for the next page.
        HtmlView* view = HtmlView::instance();
        ASSERT_NE(view, nullptr);
        const Window page = view->getWindow()->native;
        {
            zrktest::XWindowInput& in = input;
            XWindowAttributes pageAttrs;
            XGetWindowAttributes(in.display, page, &pageAttrs);
            clickAt(in.display, page, pageAttrs.width - 20, 15);
            EXPECT_TRUE(game.framesUntil([&] { return view->getWindow() == nullptr; }, 300));
            EXPECT_EQ(HtmlView::instance(), view);
            XSync(in.display, False);
            Window focus = 0;
            int revert = 0;
            XGetInputFocus(in.display, &focus, &revert);
            EXPECT_EQ(focus, in.window);
        }
        HtmlView::close();
        // The browser's toolkit left the game's X error handling as it was: an error about a
        // window on the game's connection still ends the run as an offline close.
        kavri3D::core::GraphicsSystem* g = graphics;
        zrktest::XWindowInput& x = input;
        XWindowAttributes attrs;
        XGetWindowAttributes(x.display, static_cast<Window>(0x7FFFFF0), &attrs);
        XSync(x.display, False);
        EXPECT_TRUE(g->isWindowLost());
        ran = true;
    });
    pages.stop();
    serving.join();
    EXPECT_TRUE(ok);
    EXPECT_TRUE(ran);
}

namespace {

/// The platform's launcher: a socket it listens on, the one connection the game makes.
struct LauncherHost {
    std::string path;
    int listener = -1;
    int peer = -1;

    explicit LauncherHost(const std::string& socketPath) : path(socketPath)
    {
        listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un a{};
        a.sun_family = AF_UNIX;
        std::strncpy(a.sun_path, path.c_str(), sizeof(a.sun_path) - 1);
        ::bind(listener, reinterpret_cast<sockaddr*>(&a), sizeof(a));
        ::listen(listener, 1);
    }
    ~LauncherHost()
    {
        if (peer >= 0)
            ::close(peer);
        ::close(listener);
        ::unlink(path.c_str());
    }
    bool accept()
    {
        peer = ::accept(listener, nullptr, nullptr);
        return peer >= 0;
    }
    void command(std::uint32_t cmd, std::uint32_t flag, bool withFlag)
    {
        std::vector<unsigned char> m(8 + (withFlag ? 4 : 0), 0);
        auto put = [&](std::size_t at, std::uint32_t v) {
            for (int i = 0; i < 4; ++i)
                m[at + i] = static_cast<unsigned char>(v >> (8 * i));
        };
        put(0, cmd);
        put(4, withFlag ? 4 : 0);
        if (withFlag)
            put(8, flag);
        ASSERT_EQ(::send(peer, m.data(), m.size(), MSG_NOSIGNAL), static_cast<ssize_t>(m.size()));
    }
};

/// The game the platform's launcher started, on the web tests' X server.
struct LauncherChannel : WebView {};

} // namespace

TEST_F(LauncherChannel, TheLauncherHidesShowsAndRaisesTheRealWindowAndHearsTheFrameGo)
{
    zrktest::TempDir sockets;
    LauncherHost host(sockets.file("launcher.sock"));
    bool ran = false;
    const std::string line = zrktest::loginScreenRun() + " zrk://play?openid=o&openkey=k&PROCPARA=" + host.path;
    const bool ok = play(line, [&](zrktest::GameRun& game) {
        ASSERT_TRUE(host.accept());
        ASSERT_TRUE(game.frames(3));
        zrktest::XWindowInput& x = input;
        ASSERT_EQ(mapState(x.display, x.window), IsViewable);
        host.command(3, 0, true);
        EXPECT_TRUE(game.framesUntil([&] { return mapState(x.display, x.window) == IsUnmapped; }, 200));
        host.command(3, 7, true);
        EXPECT_TRUE(game.framesUntil([&] { return mapState(x.display, x.window) == IsViewable; }, 200));
        // Something else has the keys; the launcher's raise gives them back to the game.
        XSetInputFocus(x.display, PointerRoot, RevertToParent, CurrentTime);
        XSync(x.display, False);
        host.command(4, 0, false);
        EXPECT_TRUE(game.framesUntil(
            [&] {
                Window focus = 0;
                int revert = 0;
                XGetInputFocus(x.display, &focus, &revert);
                return focus == x.window;
            },
            200));
        ran = true;
    });
    EXPECT_TRUE(ok);
    EXPECT_TRUE(ran);
    // The frame went: one header-only command 1, then the game let the channel go.
    unsigned char got[16] = {};
    ssize_t n = 0, total = 0;
    while ((n = ::recv(host.peer, got + total, sizeof got - static_cast<std::size_t>(total), 0)) > 0)
        total += n;
    ASSERT_EQ(total, 8);
    EXPECT_EQ(got[0], 1);
    EXPECT_EQ(got[4], 0);
}

namespace {

/// The text of every log file under a folder.
std::string logsUnder(const std::string& folder)
{
    std::string all;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(folder, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        if (it->path().extension() != ".log")
            continue;
        std::ifstream in(it->path());
        all.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return all;
}

} // namespace

TEST_F(WebView, AGameThatShowsNoPageNeverLoadsTheBrowsersLibraries)
{
    zrktest::TempDir runtime, data;
    const std::string launcher = zrktest::binFolder() + "/zrk_launcher";
    const std::string runtimeEnv = "XDG_RUNTIME_DIR=" + runtime.path();
    const std::string dataEnv = "XDG_DATA_HOME=" + data.path();
    const char* display = std::getenv("DISPLAY");
    const std::string displayEnv = std::string("DISPLAY=") + (display ? display : "");
    const char* argv[] = {launcher.c_str(), "/LowIntegrity=1", "/quitAfterSeconds=20", nullptr};
    const char* envp[] = {runtimeEnv.c_str(), dataEnv.c_str(), displayEnv.c_str(), "LC_ALL=C", nullptr};
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, launcher.c_str(), nullptr, nullptr, const_cast<char* const*>(argv),
                          const_cast<char* const*>(envp)),
              0);
    // Up to its first frames: the start-up is over once it logged its steps.
    bool started = false;
    for (int i = 0; i < 300 && !started; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        started = logsUnder(data.path()).find("start-up:") != std::string::npos;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    std::ifstream mapsFile("/proc/" + std::to_string(pid) + "/maps");
    const std::string maps((std::istreambuf_iterator<char>(mapsFile)), std::istreambuf_iterator<char>());
    ::kill(pid, SIGTERM);
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(started) << logsUnder(data.path());
    EXPECT_NE(maps.find("libZRK_Main.so"), std::string::npos);
    EXPECT_EQ(maps.find("libgtk-3"), std::string::npos);
    EXPECT_EQ(maps.find("libwebkit2gtk"), std::string::npos);
    EXPECT_EQ(maps.find("libWebBrowser"), std::string::npos);
}
