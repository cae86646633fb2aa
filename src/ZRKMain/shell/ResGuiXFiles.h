#pragma once
#include <string>
#include <core/HttpFileCache.h>

namespace kavri3D {
namespace zrk {

/// The GUI resource files' cache: the program folder itself, a key ("res/GUIX1/a.png") being
/// the file's path in it. Only keys inside the GUI folders are taken, so a download never
/// overwrites anything else of the installation.
class ResGuiXFiles : public core::HttpFileCache {
public:
    ResGuiXFiles();
    ~ResGuiXFiles() override;

    std::string keyToFile(const std::string& key) const override;

    /// Whether the local path (the key without "/files/") lies in a GUI folder: "res/gui..."
    /// or "res/packs...", letter case aside.
    static bool inGuiFolder(const std::string& localPath);
};

} // namespace zrk
} // namespace kavri3D
