#pragma once
#include <string>

namespace kavri3D {
namespace core {
class FileServer;
}
} // namespace kavri3D

namespace zrkfuzz {

/// The built-in file server the file-server targets ask, started once a process over a tree in
/// the target's folder: "pub", the published files (with "res/inside.txt" and a link "res/up"
/// that climbs out), "web", the web view's pages ("page.html"), and beside them "outside.txt",
/// which must never be served.
class FuzzFileServer {
public:
    static constexpr const char* kInstallerPath = "/files/installer/latest";
    static constexpr const char* kInsideText = "a published file";
    static constexpr const char* kWebText = "<p>a web page</p>";
    static constexpr const char* kOutsideText = "nobody may read this";

    static kavri3D::core::FileServer& instance();
    /// Sends the bytes on one connection, ends the sending side and returns all the server
    /// answered until it closed. A server that keeps a finished client past a few seconds
    /// aborts the run.
    static std::string exchange(const std::string& bytes);
};

} // namespace zrkfuzz
