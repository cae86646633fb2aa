#pragma once
#include <string>
#include <vector>

namespace kavri3D {
namespace core {

/// One file of the installed version: its name, the path it is listed under on the file
/// server and its signature.
struct FileItem {
    std::string name;
    std::string path;
    std::string signature;
};

/// A folder of the file server with its files.
struct FileFolder {
    std::string path;
    std::vector<FileItem> items;
};

/// The list of files of the installed version, read from XML:
/// <manifest><folder path="/files/data"><file name=".." path=".." sig=".."/></folder></manifest>
class Manifest {
public:
    /// Replaces the content; false (and empty) when the text is not a manifest or nests too
    /// deep (XmlText).
    bool read(const std::string& text);
    const std::vector<FileFolder>& getFolders() const { return mFolders; }
    bool empty() const { return mFolders.empty(); }

private:
    std::vector<FileFolder> mFolders;
};

} // namespace core
} // namespace kavri3D
