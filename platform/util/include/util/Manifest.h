#pragma once
#include <map>
#include <string>
#include <vector>

namespace kavri3D {
namespace core {

/// One file of the installed version: its name, its full key on the file server (the
/// folder's path, "/" and the name, unless listed otherwise) and its signature: the SHA-1 of
/// its content in hexadecimal, as the build writes it.
struct FileItem {
    std::string name;
    std::string path;
    std::string signature;

    /// The largest file whose signature is taken.
    static const unsigned long long kMaxSignedSize = 256ull << 20;

    /// Takes the signature of a local file; false (signature unchanged) when it cannot be read.
    bool init(const std::string& localPath);
    /// Whether the two signatures are the same, letter case aside.
    static bool sameSignature(const std::string& a, const std::string& b);
};

/// A folder of the file server with its files.
struct FileFolder {
    std::string path;
    std::vector<FileItem> items;
};

/// A folder's items by their lower-cased names (a later duplicate replaces an earlier one).
typedef std::map<std::string, FileItem> FileIndex;
FileIndex buildIndex(const std::vector<FileItem>& items);

/// The list of files of the installed version, read from XML:
/// <manifest><folder path="/files/data"><file name=".." path=".." sig=".."/></folder></manifest>
class Manifest {
public:
    /// Replaces the content; false (and empty) when the text is not a manifest, nests too deep
    /// (XmlText), holds a text longer than a path could be, or would take more memory than a
    /// few times its own size. Read in one pass: no tree of the whole document is ever built.
    bool read(const std::string& text);
    const std::vector<FileFolder>& getFolders() const { return mFolders; }
    bool empty() const { return mFolders.empty(); }

private:
    std::vector<FileFolder> mFolders;
};

} // namespace core
} // namespace kavri3D
