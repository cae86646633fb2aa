#include "shell/ResGuiXFiles.h"

#include <boost/algorithm/string/predicate.hpp>

namespace kavri3D {
namespace zrk {

ResGuiXFiles::ResGuiXFiles() = default;

ResGuiXFiles::~ResGuiXFiles() { abortAll(); }

bool ResGuiXFiles::inGuiFolder(const std::string& localPath)
{
    return boost::algorithm::istarts_with(localPath, "res/gui") ||
           boost::algorithm::istarts_with(localPath, "res/packs");
}

std::string ResGuiXFiles::keyToFile(const std::string& key) const
{
    return inGuiFolder(key) ? HttpFileCache::keyToFile(key) : std::string();
}

} // namespace zrk
} // namespace kavri3D
