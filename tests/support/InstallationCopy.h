#pragma once
// The build's installation, linked into a folder of the test's own: what a test changes (the
// GUI folders, the client's index, the data products) are real copies or are left out.
#include <filesystem>
#include <string>
#include <util/Manifest.h>
#include <vector>

#include "support/TestEnv.h"

namespace zrktest {

struct InstallationCopy {
    TempDir dir;
    std::string bin = binFolder() + "/";
    /// The copy's program folder, ending in "/".
    std::string program = dir.file("game") + "/";

    /// The GUI folders (res/GUIX1, res/PacksX) and zrk_main.xml are copies; without products
    /// (`withProducts` false) res/data is left out, so the game fetches every data product.
    explicit InstallationCopy(bool withProducts = true)
    {
        namespace fs = std::filesystem;
        fs::create_directories(program + "res");
        for (const auto& entry : fs::directory_iterator(bin)) {
            const std::string name = entry.path().filename().string();
            if (name == "res")
                continue;
            if (name == "zrk_main.xml")
                fs::copy_file(entry.path(), program + name);
            else
                fs::create_symlink(entry.path(), program + name);
        }
        for (const auto& entry : fs::directory_iterator(bin + "res")) {
            const std::string name = entry.path().filename().string();
            if (name == "GUIX1" || name == "PacksX")
                fs::copy(entry.path(), program + "res/" + name, fs::copy_options::recursive);
            else if (name != "data" || withProducts)
                fs::create_symlink(entry.path(), program + "res/" + name);
        }
    }

    /// The server's files (res/server) become copies of the copy's own, for a test to change
    /// (a test world: MissionWorld). The world the game seeds from them is the test's own anyway.
    void ownServerFiles()
    {
        namespace fs = std::filesystem;
        fs::remove(program + "res/server");
        fs::copy(bin + "res/server", program + "res/server", fs::copy_options::recursive);
    }

    /// The data products the build's installation lists, by their keys ("box1").
    static std::vector<std::string> productKeys()
    {
        kavri3D::core::Manifest manifest;
        std::vector<std::string> keys;
        if (!manifest.read(readFile(binFolder() + "/kavri.manifest")))
            return keys;
        for (const kavri3D::core::FileFolder& folder : manifest.getFolders())
            if (folder.path.compare(0, 12, "/files/data/") == 0)
                for (const kavri3D::core::FileItem& item : folder.items)
                    if (item.name.size() > 4)
                        keys.push_back(item.name.substr(0, item.name.size() - 4)); // less ".ss1"
        return keys;
    }
};

} // namespace zrktest
