// What showing a web page costs the game's frame: the whole game in a window (under a display;
// scripts/bench starts Xvfb), unpaced, the median frame time with the news page shown over it
// against no page, in the same run (rounds of no page, then the page opened, then closed). The page is
// checked first: loaded, and its window viewable inside the game's. Exits non-zero when the
// check fails or the ratio is over the target (1.2).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>
#include <core/NetClientManager.h>
#include <win32/Windows.h>

#include "BenchPage.h"
#include "BenchTiming.h"
#include "webview/HtmlView.h"
#include "shell/Application.h"
#include "shell/CAppZRKModule.h"

using namespace kavri3D;

namespace {

const double kTarget = 1.2;
const int kFrames = 300;
const int kRounds = 6;

using zrkbench::median;
using zrkbench::now;

class BenchRun : public zrk::Application {
public:
    explicit BenchRun(const std::string& line) : zrk::Application(zrk::moduleInstance(), line) {}

    bool onRun() override
    {
        getApplicationState()->start();
        mRan = true;
        for (int i = 0; i < 60; ++i)
            runOneFrame(); // the log-on scene settles
        core::NetClientManager* net = core::NetClientManager::getSingletonPtr();
        const std::string page = (net ? net->getApplicationPath() : std::string()) + "/web/notice.html";
        // Rounds of no page and the page shown, so that a busy machine weighs on both alike.
        for (int round = 0; round < kRounds; ++round) {
            timeFrames(mClosed, kFrames / kRounds);
            if (!zrk::HtmlView::navigate(page) || !waitForPage(page)) {
                std::fprintf(stderr, "webview: the news page did not load\n");
                return true;
            }
            for (int i = 0; i < 60; ++i)
                runOneFrame(); // the page is drawn, its process settles
            timeFrames(mShown, kFrames / kRounds);
            zrk::HtmlView::close();
            for (int i = 0; i < 30; ++i)
                runOneFrame(); // the page's process goes
        }
        mLoaded = true;
        return true;
    }

    bool ran() const { return mRan; }
    bool loaded() const { return mLoaded; }
    const std::vector<double>& shown() const { return mShown; }
    const std::vector<double>& closed() const { return mClosed; }

private:
    void timeFrames(std::vector<double>& into, int count)
    {
        for (int i = 0; i < count; ++i) {
            const double t = now();
            runOneFrame();
            into.push_back((now() - t) * 1000.0);
        }
    }

    bool waitForPage(const std::string& url)
    {
        zrk::HtmlView* view = zrk::HtmlView::instance();
        return zrkbench::pageShown([this] { return runOneFrame(); }, url) && view == zrk::HtmlView::instance() &&
               view->getWindow() && view->getWindow()->visible;
    }

    bool mRan = false;
    bool mLoaded = false;
    std::vector<double> mShown, mClosed;
};

} // namespace

int main()
{
    if (!std::getenv("DISPLAY")) {
        std::fprintf(stderr, "webview: needs a display (scripts/bench starts Xvfb)\n");
        return 1;
    }
    zrk::appModule().Init(zrk::moduleInstance(), nullptr);
    bool ok = false, loaded = false;
    double shown = 0, closed = 0;
    {
        BenchRun run("game.exe /mutex=0 /unpaced=1");
        ok = core::runApplication(run) && run.ran();
        loaded = run.loaded();
        shown = median(run.shown());
        closed = median(run.closed());
    }
    zrk::appModule().Term();
    if (!ok || !loaded || closed <= 0)
        return 1;
    const double ratio = shown / closed;
    std::printf("webview frames=%d shown_ms=%.3f closed_ms=%.3f ratio=%.2f target=%.1f\n", kFrames, shown, closed,
                ratio, kTarget);
    return ratio <= kTarget ? 0 : 1;
}
