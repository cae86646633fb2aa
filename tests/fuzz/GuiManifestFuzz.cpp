// The GUI resource downloader's start as the game runs it: the manifest, the client's own
// index "zrk_main.xml" and what lies in the GUI folders, all from the input (three parts
// separated by lines "--"; the last one names files, one a line). Whatever they hold, nothing
// outside the GUI folders is deleted or written, and the downloads end.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <core/BlackBoard.h>
#include <core/HttpFileCache.h>
#include <transport/TransportService.h>
#include <util/Manifest.h>
#include <win32/Windows.h>

#include "FuzzSupport.h"
#include "shell/ResGuiX.h"
#include "shell/ResGuiXUpdater.h"

using namespace kavri3D;
namespace fs = std::filesystem;

namespace {

std::string part(const std::string& input, std::size_t index)
{
    std::size_t start = 0;
    for (std::size_t i = 0; i < index; ++i) {
        const std::size_t sep = input.find("\n--\n", start);
        if (sep == std::string::npos)
            return std::string();
        start = sep + 4;
    }
    const std::size_t end = input.find("\n--\n", start);
    return input.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

void writeFile(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool ready = (zrkfuzz::FuzzSupport::quiet(), true);
    (void)ready;
    static core::BlackBoard board;
    const std::string root = zrkfuzz::FuzzSupport::folder();
    const std::string program = root + "program/";
    std::error_code ec;
    fs::remove_all(program, ec);
    fs::create_directories(program + "res/GUIX1", ec);
    fs::create_directories(program + "res/GUI", ec);
    writeFile(root + "outside.txt", "kept");
    writeFile(program + "res/GUI/kept.json", "{}");
    board.setString("kavri3D/appPath", program);

    const std::string input = zrkfuzz::FuzzSupport::text(data, size);
    writeFile(program + "zrk_main.xml", part(input, 1));
    const std::string names = part(input, 2);
    std::size_t start = 0;
    while (start < names.size()) {
        std::size_t end = names.find('\n', start);
        if (end == std::string::npos)
            end = names.size();
        const std::string name = names.substr(start, end - start);
        if (core::HttpFileCache::isSafeKey(name) && name.find('/') == std::string::npos && name.size() < 100)
            writeFile(program + "res/GUIX1/" + name, name);
        start = end + 1;
    }

    core::Manifest manifest;
    manifest.read(part(input, 0));
    {
        zrk::ResGuiX resx;
        resx.setGuiResSource([]() -> zrk::gui::IGuiRes* { return nullptr; });
        resx.start(&manifest);
        // No file server: every download fails, twice each at most, and the queue ends.
        zrk::ResGuiXUpdater& updater = *resx.getUpdater();
        for (int i = 0; i < 200 && updater.step(); ++i)
            core::TransportService::instance().update();
    }
    core::TransportService::instance().clear();
    win32ClearMessages();
    if (!fs::exists(root + "outside.txt") || !fs::exists(program + "res/GUI/kept.json"))
        std::abort(); // something outside the GUI folders was deleted
    return 0;
}
