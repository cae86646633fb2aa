// A request's path as the built-in file server takes it: whatever it is, it names a file
// inside the published tree or the web pages, or nothing.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <transport/FileServer.h>

#include "FuzzFileServer.h"
#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool ready = (zrkfuzz::FuzzSupport::quiet(), true);
    (void)ready;
    const std::string root = zrkfuzz::FuzzSupport::folder();
    const std::string path = zrkfuzz::FuzzSupport::text(data, size);
    const std::string file = zrkfuzz::FuzzFileServer::instance().fileFor(path);
    if (file.empty())
        return 0;
    std::error_code ec;
    const std::string real = std::filesystem::weakly_canonical(file, ec).string();
    const std::string pub = std::filesystem::weakly_canonical(root + "pub", ec).string() + "/";
    const std::string web = std::filesystem::weakly_canonical(root + "web", ec).string() + "/";
    if (real.compare(0, pub.size(), pub) != 0 && real.compare(0, web.size(), web) != 0)
        std::abort(); // served from outside its folders
    return 0;
}
