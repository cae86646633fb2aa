// Measures, in one process, the time from GameEntry to the first frame drawn in the game
// window, against a bare OGRE + CEGUI bootstrap of a window of the same size drawing its
// first frame, and the memory each holds at its first frame (the game's is the log-in screen).
// Run under a display (scripts/bench starts Xvfb). Exits non-zero when a start fails or the
// game is over its target. With ZRK_BENCH_WINDOW set, "--game" and "--bare" also print the
// monotonic clock's start and first-frame times on standard error, for a profiler's time
// filter (perf record -k CLOCK_MONOTONIC, perf report --time start,end).
#include <CEGUI/CEGUI.h>
#include <CEGUI/RendererModules/Ogre/Renderer.h>
#include <Ogre.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <dlfcn.h>
#include <limits.h>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>
#include <core/Application.h>

namespace {

// The game may take this much longer than the bare engine to show its first frame.
constexpr double kTarget = 1.3;

double now() { return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count(); }

// The processor time of the process, all threads: on a loaded machine the wall clock counts the
// waits for a processor too, this only the work.
double cpuNow()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// The processor time from start to the first frame of the last measurement.
double gCpuSeconds = -1;

std::string programFolder()
{
    char path[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    std::string p(path, n > 0 ? static_cast<std::size_t>(n) : 0);
    return p.substr(0, p.rfind('/'));
}

// The process's peak resident memory so far, in MB (its memory at the first frame: each mode
// ends right after it).
double peakResidentMb()
{
    std::ifstream status("/proc/self/status");
    std::string key;
    long kb = -1;
    while (status >> key) {
        if (key == "VmHWM:") {
            status >> kb;
            break;
        }
        status.ignore(4096, '\n');
    }
    return kb / 1024.0;
}

void printWindow(double start, double first)
{
    if (std::getenv("ZRK_BENCH_WINDOW"))
        std::fprintf(stderr, "window %.6f %.6f\n", start, first);
}

// The bare engine: root, GL render system, a window, CEGUI's renderer with the same scheme
// and font the game loads, one frame.
double bareBootstrap(unsigned width, unsigned height)
{
    const double start = now(), cpuStart = cpuNow();
    Ogre::LogManager* log = new Ogre::LogManager;
    log->createLog("bench-ogre.log", true, false, true);
    Ogre::Root* root = new Ogre::Root("", "", "");
    root->loadPlugin(std::string(ZRK_OGRE_PLUGIN_DIR) + "/RenderSystem_GL");
    root->loadPlugin(std::string(ZRK_OGRE_PLUGIN_DIR) + "/Codec_STBI");
    root->setRenderSystem(root->getRenderSystemByName("OpenGL Rendering Subsystem"));
    root->initialise(false);
    Ogre::RenderWindow* window = root->createRenderWindow("bare", width, height, false);
    Ogre::SceneManager* scene = root->createSceneManager();
    Ogre::Camera* camera = scene->createCamera("cam");
    scene->getRootSceneNode()->createChildSceneNode()->attachObject(camera);
    window->addViewport(camera);
    Ogre::ResourceGroupManager& rgm = Ogre::ResourceGroupManager::getSingleton();
    const char* groups[][2] = {{"schemes", "schemes"},
                               {"imagesets", "imagesets"},
                               {"fonts", "fonts"},
                               {"looknfeels", "looknfeel"},
                               {"layouts", "layouts"}};
    for (auto& g : groups) {
        rgm.createResourceGroup(g[0]);
        rgm.addResourceLocation(std::string("/usr/share/cegui-0.8.7/") + g[1], "FileSystem", g[0]);
        rgm.initialiseResourceGroup(g[0]);
    }
    CEGUI::OgreRenderer::bootstrapSystem(*window);
    CEGUI::ImageManager::setImagesetDefaultResourceGroup("imagesets");
    CEGUI::Font::setDefaultResourceGroup("fonts");
    CEGUI::Scheme::setDefaultResourceGroup("schemes");
    CEGUI::WidgetLookManager::setDefaultResourceGroup("looknfeels");
    CEGUI::SchemeManager::getSingleton().createFromFile("TaharezLook.scheme");
    CEGUI::FontManager::getSingleton().createFromFile("DejaVuSans-10.font");
    CEGUI::Window* rootWindow = CEGUI::WindowManager::getSingleton().createWindow("DefaultWindow", "root");
    CEGUI::System::getSingleton().getDefaultGUIContext().setRootWindow(rootWindow);
    root->renderOneFrame();
    const double elapsed = now() - start;
    gCpuSeconds = cpuNow() - cpuStart;
    printWindow(start, start + elapsed);
    CEGUI::OgreRenderer::destroySystem();
    root->destroySceneManager(scene);
    delete root;
    delete log;
    return elapsed;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

struct Start {
    double seconds = -1;
    double memoryMb = -1;
    double cpuSeconds = -1;
};

// One measurement in a fresh process, as a player's start is: OGRE and the GL driver keep
// per-process state that a second start in the same process would not pay for again.
Start measure(const char* mode)
{
    std::string cmd = programFolder() + "/zrk_bench_startup --" + mode + " 2>/dev/null";
    Start s;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p)
        return s;
    if (std::fscanf(p, "%lf %lf %lf", &s.seconds, &s.memoryMb, &s.cpuSeconds) != 3)
        s.seconds = -1;
    pclose(p);
    return s;
}

double gameToFirstFrame()
{
    void* module = dlopen((programFolder() + "/libZRK_Main.so").c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module)
        return -1;
    typedef int (*Entry)(std::uint32_t, void*, const wchar_t*);
    auto entry = reinterpret_cast<Entry>(dlsym(module, "GameEntry"));
    const double start = now(), cpuStart = cpuNow();
    int code = entry(0, nullptr, L"zrk_bench /mutex=0 /quitAfterFrames=1 /unpaced=1");
    const double first = kavri3D::core::Application::lastFirstFrameTime();
    gCpuSeconds = kavri3D::core::Application::lastFirstFrameCpuTime() - cpuStart;
    printWindow(start, first);
    dlclose(module);
    return code == 0 && first > 0 ? first - start : -1;
}

} // namespace

int main(int argc, char** argv)
{
    // The game window's drawable size for a 1280x1024 screen, as the game computes it.
    const unsigned width = 1319, height = 742;
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "--bare" || mode == "--game") {
        double t = mode == "--bare" ? bareBootstrap(width, height) : gameToFirstFrame();
        std::printf("%.6f %.1f %.6f\n", t, peakResidentMb(), gCpuSeconds);
        return t > 0 ? 0 : 1;
    }
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    std::vector<double> bare, game, bareMb, gameMb, bareCpu, gameCpu;
    measure("bare"); // warm the disk cache and the GL driver for both
    for (int i = 0; i < runs; ++i) {
        const Start b = measure("bare"), g = measure("game");
        if (b.seconds <= 0 || g.seconds <= 0) {
            std::fprintf(stderr, "a start failed (bare %.3f s, game %.3f s)\n", b.seconds, g.seconds);
            return 1;
        }
        bare.push_back(b.seconds);
        game.push_back(g.seconds);
        bareMb.push_back(b.memoryMb);
        gameMb.push_back(g.memoryMb);
        bareCpu.push_back(b.cpuSeconds);
        gameCpu.push_back(g.cpuSeconds);
    }
    const double b = median(bare), g = median(game);
    std::printf("bare OGRE + CEGUI to first frame: %.1f ms, %.0f MB resident (median of %d)\n", b * 1000,
                median(bareMb), runs);
    std::printf("GameEntry to first frame:         %.1f ms, %.0f MB resident at the log-in screen (median of %d)\n",
                g * 1000, median(gameMb), runs);
    // For a loaded machine, where the waits for a processor swamp the wall clock: the work alone.
    std::printf("processor time, all threads:      bare %.1f ms, game %.1f ms, ratio %.2f (for information)\n",
                median(bareCpu) * 1000, median(gameCpu) * 1000, median(gameCpu) / median(bareCpu));
    const bool met = g / b <= kTarget;
    std::printf("ratio: %.2f (target: at most %.2f): %s\n", g / b, kTarget, met ? "met" : "NOT met");
    return met ? 0 : 2;
}
