// Another local user's flood against the game's transfers: the whole game in a window (under a
// display; scripts/bench starts Xvfb), run from a copy of the installation without its data
// products and one GUI file, so that "hero"'s log-in brings every one of them over the file
// server, with a page shown (so the proxy stands). Rounds alternate a quiet run and one flooded
// from another process pinned to one processor (as nobody where this process is root, else as
// this user, named a stranger through the checks' seams): the silent connections it holds and
// the connections it churns at the proxy's port, and its reach for the file server's socket.
// Each run counts the downloads completed and the frames drawn (unpaced) over the same span,
// and times the page's own connections through the proxy, one every 0.5 s, each a whole request
// for the game's own page from its connect to its end.
// Last line: `flood downloads=<got>/<wanted> frames_quiet=<median> frames_flooded=<median>
// ratio=<median of each flooded run's frames over the quiet run's before it>
// pages_quiet=<slowest ms> pages_flooded=<slowest ms> pages_late=<flooded ones over 0.5 s>/<made>`.
// Exits 1 when a run failed or a download is missing, 2 when the flooded runs draw less than 90%
// of the quiet ones' frames, 3 when a page's connection in a flooded run took longer than 0.5 s
// (the kernel's second try of a connection it had no room for waits a whole second).
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>
#include <core/BlackBoard.h>
#include <core/NetClientManager.h>
#include <transport/FileServer.h>
#include <transport/TransportService.h>
#include <webbrowser/WebBrowser.h>

#include "BenchPage.h"
#include "BenchScratch.h"
#include "BenchTiming.h"
#include "support/GameRun.h"
#include "support/InstallationCopy.h"
#include "support/LoopbackSocket.h"
#include "support/StrangerFlood.h"
#include "webview/HtmlView.h"

using namespace kavri3D;

namespace {

const int kRounds = 5;
const double kSpanSeconds = 10; ///< the flood's length, and the span frames are counted over
const double kTarget = 0.9;     ///< flooded frames at least this share of the quiet ones
const double kPageEvery = 0.5;  ///< one page's connection this often
const double kPageTarget = 0.5; ///< and each one whole within this

using Clock = std::chrono::steady_clock;

struct Run {
    bool ok = false;
    std::size_t downloads = 0; ///< data products and the GUI file fetched
    int frames = 0;
    std::vector<double> pages; ///< each page connection's seconds, connect to end (-1: it failed)
    zrktest::StrangerFlood::Result met;
};

/// The page's connection as the web view makes it: connected to the proxy, the game's own page
/// asked for, its whole answer read until the proxy ends it. Its seconds, -1 when no page came.
double timePage(int port, const std::string& page)
{
    const auto start = Clock::now();
    const std::string reply = zrktest::askThroughProxy(port, page, std::string(), 10000);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    return reply.compare(0, 12, "HTTP/1.1 200") == 0 ? seconds : -1;
}

template <class Fn> Fn browserCall(const char* name)
{
    void* library = dlopen((zrktest::binFolder() + "/libWebBrowser.so").c_str(), RTLD_NOW | RTLD_NOLOAD);
    return library ? reinterpret_cast<Fn>(dlsym(library, name)) : nullptr;
}

int flooderByAddress(int fd) { return zrktest::StrangerFlood::fromFlooderAddress(fd) ? 1 : 0; }

Run play(bool flooded, const std::vector<std::string>& products)
{
    Run run;
    zrktest::InstallationCopy install(false);
    std::filesystem::remove(install.program + "res/GUIX1/GUIX1.png");
    zrktest::GameHome home; // a fresh data folder and cache each run
    std::unique_ptr<zrktest::StrangerFlood> flood(flooded ? new zrktest::StrangerFlood : nullptr);
    const std::string command = "game.exe zrk://play?ln=hero&lp=hero123&ls=1 /LowIntegrity=1 /unpaced=1 /mutex=0";
    run.ok = zrktest::GameRun::run(
        command,
        [&](zrktest::GameRun& game) {
            game.frames(3);
            core::NetClientManager* net = core::NetClientManager::getSingletonPtr();
            const std::string page = (net ? net->getApplicationPath() : std::string()) + "/web/notice.html";
            if (!zrk::HtmlView::navigate(page) || !zrkbench::pageShown([&] { return game.frames(1); }, page)) {
                std::fprintf(stderr, "flood: the page did not show\n");
                return;
            }
            auto port = browserCall<WebBrowserProxyPortFn>("WebBrowserProxyPort");
            if (!port || port() <= 0) {
                std::fprintf(stderr, "flood: no proxy\n");
                return;
            }
            auto strangerTest = browserCall<WebBrowserStrangerTestFn>("WebBrowserStrangerTest");
            if (flood && !flood->asAnotherUser() && strangerTest) {
                core::FileServer::setStrangerTest(flood->fileServerCheck());
                strangerTest(&flooderByAddress);
            }
            if (flood)
                flood->start(core::TransportService::instance().getRoutedSocket(), port(), kSpanSeconds);
            const auto end = Clock::now() + std::chrono::duration<double>(kSpanSeconds);
            // The page's own connections meanwhile, from a thread as the web process makes them.
            std::thread pages([&, proxyPort = port()] {
                for (auto next = Clock::now() + std::chrono::duration<double>(kPageEvery); next < end;
                     next += std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(kPageEvery))) {
                    std::this_thread::sleep_until(next);
                    run.pages.push_back(timePage(proxyPort, page));
                }
            });
            while (Clock::now() < end && game.frames(1))
                ++run.frames;
            pages.join();
            const std::string cache = core::BlackBoard::getSingleton().getString("kavri3D/cachedPath", "");
            for (const std::string& key : products)
                run.downloads += std::filesystem::exists(cache + key + ".ss1") ? 1 : 0;
            run.downloads += std::filesystem::exists(install.program + "res/GUIX1/GUIX1.png") ? 1 : 0;
            if (flood)
                run.met = flood->finish();
            if (strangerTest)
                strangerTest(nullptr);
            core::FileServer::setStrangerTest(nullptr);
            zrk::HtmlView::close(); // the next run makes its own
        },
        install.program);
    return run;
}

} // namespace

int main()
{
    if (!std::getenv("DISPLAY")) {
        std::fprintf(stderr, "flood: needs a display (scripts/bench starts Xvfb)\n");
        return 1;
    }
    BenchScratch scratch("zrk_bench_flood");
    const std::vector<std::string> products = zrktest::InstallationCopy::productKeys();
    const std::size_t wanted = products.size() + 1;
    std::vector<double> quiet, flooded, ratios;
    double slowestQuiet = 0, slowestFlooded = 0;
    int pagesMade = 0, pagesLate = 0;
    std::size_t fewest = wanted;
    bool failed = products.empty() || !scratch.ok();
    for (int round = 0; round < kRounds && !failed; ++round) {
        for (bool flood : {false, true}) {
            const Run r = play(flood, products);
            failed = failed || !r.ok;
            fewest = std::min(fewest, r.downloads);
            (flood ? flooded : quiet).push_back(r.frames);
            if (flood && quiet.back() > 0)
                ratios.push_back(r.frames / quiet.back()); // the pair run one after the other
            double slowest = 0;
            for (double seconds : r.pages) {
                // A page that failed counts as late as any.
                const double counted = seconds < 0 ? 1e9 : seconds;
                slowest = std::max(slowest, counted);
                if (flood) {
                    ++pagesMade;
                    pagesLate += counted > kPageTarget ? 1 : 0;
                }
            }
            (flood ? slowestFlooded : slowestQuiet) = std::max(flood ? slowestFlooded : slowestQuiet, slowest);
            std::printf("round %d %s: downloads %zu/%zu, frames %d, pages %zu (slowest %.0f ms)", round + 1,
                        flood ? "flooded" : "quiet", r.downloads, wanted, r.frames, r.pages.size(), slowest * 1000);
            if (flood)
                std::printf(" (the flooder %s: file server tried %d, reached %d; proxy held %d, kept %d, churned %ld)",
                            r.met.ran ? "ran" : "did not run", r.met.fileServerTried, r.met.fileServerReached,
                            r.met.proxyHeld, r.met.proxyKept, r.met.proxyChurned);
            std::printf("\n");
        }
    }
    if (failed || quiet.empty()) {
        std::printf("flood: a run failed\n");
        return 1;
    }
    // Each flooded run against the quiet one just before it: a busy machine weighs on a pair alike.
    const double q = zrkbench::median(quiet), f = zrkbench::median(flooded);
    const double ratio = ratios.empty() ? 0 : zrkbench::median(ratios);
    const bool pagesInTime = pagesMade > 0 && pagesLate == 0;
    std::printf("flood downloads=%zu/%zu frames_quiet=%.0f frames_flooded=%.0f ratio=%.2f (target at least %.2f) "
                "pages_quiet=%.0f pages_flooded=%.0f pages_late=%d/%d (target none over %.0f ms): %s\n",
                fewest, wanted, q, f, ratio, kTarget, slowestQuiet * 1000, slowestFlooded * 1000, pagesLate, pagesMade,
                kPageTarget * 1000, ratio >= kTarget && fewest == wanted && pagesInTime ? "met" : "NOT met");
    if (fewest != wanted)
        return 1;
    if (ratio < kTarget)
        return 2;
    return pagesInTime ? 0 : 3;
}
