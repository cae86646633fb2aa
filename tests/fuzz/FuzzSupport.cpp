#include "FuzzSupport.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>
#include <yake/Logger.h>

namespace zrkfuzz {

namespace {

// Never destroyed: the clean-up at exit still needs it after the statics are gone.
const std::string* gFolder = nullptr;

void removeFolder()
{
    std::error_code ec;
    std::filesystem::remove_all(*gFolder, ec);
}

} // namespace

const std::string& FuzzSupport::folder()
{
    if (!gFolder) {
        std::string tmpl = (std::filesystem::temp_directory_path() / "zrkfuzz-XXXXXX").string();
        if (!::mkdtemp(&tmpl[0]))
            std::abort();
        gFolder = new std::string(tmpl + "/");
        std::atexit(removeFolder);
    }
    return *gFolder;
}

std::string FuzzSupport::write(const std::string& name, const std::uint8_t* data, std::size_t size)
{
    const std::string path = folder() + name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    return path;
}

std::string FuzzSupport::text(const std::uint8_t* data, std::size_t size)
{
    return std::string(reinterpret_cast<const char*>(data), size);
}

std::string FuzzSupport::trimmedLower(std::string text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    const std::size_t last = text.find_last_not_of(" \t");
    text = first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

void FuzzSupport::quiet()
{
    yake::logging::logger::instance().setEchoToStderr(false);
    yake::logging::logger::instance().setLogFile("");
}

std::string FuzzSupport::besideProgram(const std::string& file)
{
    char self[4096];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    std::string path = n > 0 ? std::string(self, static_cast<std::size_t>(n)) : std::string();
    return path.substr(0, path.rfind('/') + 1) + file;
}

} // namespace zrkfuzz
