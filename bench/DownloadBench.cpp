// Measures the GUI resource downloader fetching 200 files of 64 KB and one of 16 MB from the
// built-in file server in an unpaced frame loop (one updater step and one transport pump a
// frame), against one blocking libcurl loop fetching the same files in the same run: the
// total time of each and the longest frame step of the first.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>
#include <core/BlackBoard.h>
#include <core/NetClientManager.h>
#include <core/Updatable.h>
#include <transport/FileServer.h>
#include <transport/TransportService.h>
#include <util/Manifest.h>
#include <yake/Logger.h>

#include "shell/ResGuiX.h"
#include "shell/ResGuiXUpdater.h"

using namespace kavri3D;
namespace fs = std::filesystem;

namespace {

const double kTargetRatio = 2.0;  ///< the frame loop's total, at most this many times the blocking loop's
const double kTargetStepMs = 2.0; ///< no frame step as long as this

double now() { return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count(); }

void writeFile(const std::string& path, std::size_t size, char fill)
{
    std::string data(size, fill);
    for (std::size_t i = 0; i < size; i += 4096)
        data[i] = static_cast<char>(i / 4096);
    std::ofstream(path, std::ios::binary).write(data.data(), static_cast<std::streamsize>(size));
}

} // namespace

int main()
{
    yake::logging::logger::instance().setEchoToStderr(false);
    char tmpl[] = "/tmp/zrk_bench_download-XXXXXX";
    if (!::mkdtemp(tmpl))
        return 1;
    const std::string root = tmpl;
    const std::string published = root + "/published/";
    const std::string program = root + "/game/";
    const std::string plain = root + "/plain/";
    fs::create_directories(published + "res/GUIX1");
    fs::create_directories(program);
    fs::create_directories(plain);

    std::string xml = "<manifest><folder path=\"/files/res/GUIX1\">";
    std::vector<std::string> names;
    for (int i = 0; i < 200; ++i)
        names.push_back("tile" + std::to_string(1000 + i) + ".png");
    names.push_back("atlas.png");
    for (std::size_t i = 0; i < names.size(); ++i) {
        writeFile(published + "res/GUIX1/" + names[i], i < 200 ? 64 * 1024 : 16 * 1024 * 1024,
                  static_cast<char>('a' + i % 26));
        xml += "<file name=\"" + names[i] + "\"/>";
    }
    xml += "</folder></manifest>";
    core::Manifest manifest;
    manifest.read(xml);

    core::FileServer server;
    if (!server.start("/files/installer/latest", published, published)) {
        std::fprintf(stderr, "download: the file server did not start\n");
        return 1;
    }
    core::NetClientManager::setRunApplicationPath(server.getAddress());
    core::BlackBoard board;
    board.setString("kavri3D/appPath", program);
    core::UpdatableManager updatables;
    core::TransportService& transport = core::TransportService::instance();
    transport.setSetting("MAX_CLIENT", "2");
    transport.setSocketRoute(core::FileServer::kHost, server.getSocketPath()); // as the game routes it

    // The game's way: one step a frame, as fast as frames come.
    double longest = 0;
    long frames = 0, over1 = 0, over2 = 0;
    const double gameStart = now();
    {
        zrk::ResGuiX resx;
        resx.setGuiResSource([]() -> zrk::gui::IGuiRes* { return nullptr; });
        resx.start(&manifest);
        while (resx.getUpdater()->isRegistered() && frames < 10000000) {
            const double t0 = now();
            transport.update();
            updatables.update(0);
            const double step = now() - t0;
            longest = std::max(longest, step);
            over1 += step > 0.001 ? 1 : 0;
            over2 += step > 0.002 ? 1 : 0;
            ++frames;
        }
    }
    const double gameMs = (now() - gameStart) * 1000;
    std::size_t fetched = 0;
    for (const std::string& name : names)
        fetched += fs::exists(program + "res/GUIX1/" + name) ? 1 : 0;

    // One blocking loop over the same files.
    const double plainStart = now();
    std::size_t plainFetched = 0;
    for (const std::string& name : names) {
        std::string error;
        plainFetched += transport.transferNow(server.getAddress() + "/files/installer/latest/files/res/GUIX1/" + name,
                                              plain + name, error)
                            ? 1
                            : 0;
    }
    const double plainMs = (now() - plainStart) * 1000;

    server.stop();
    core::NetClientManager::setRunApplicationPath(std::string());
    std::error_code ec;
    fs::remove_all(root, ec);
    if (fetched != names.size() || plainFetched != names.size()) {
        std::fprintf(stderr, "download: fetched %zu and %zu of %zu files\n", fetched, plainFetched, names.size());
        return 1;
    }
    const double ratio = gameMs / plainMs;
    std::printf(
        "download frames=%ld steps_over_1ms=%ld steps_over_2ms=%ld (targets: ratio <= %.1f, longest step < %.1f ms)\n",
        frames, over1, over2, kTargetRatio, kTargetStepMs);
    std::printf("download files=%zu game_ms=%.1f plain_ms=%.1f ratio=%.2f longest_step_ms=%.3f\n", names.size(), gameMs,
                plainMs, ratio, longest * 1000);
    // A benchmark that passes a slow build measures nothing: each miss fails the run.
    bool met = true;
    if (ratio > kTargetRatio) {
        std::fprintf(stderr, "download: the frame loop took more than its target against the blocking loop\n");
        met = false;
    }
    if (longest * 1000 >= kTargetStepMs) {
        std::fprintf(stderr, "download: a frame step took longer than its target\n");
        met = false;
    }
    return met ? 0 : 1;
}
