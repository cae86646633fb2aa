#pragma once
#include <memory>
#include <string>

namespace httplib {
class Server;
}

namespace kavri3D {
namespace core {

/// The game's file server, built in: while the game plays against the embedded game server it
/// serves the published files of this version over HTTP on this machine only (127.0.0.1, a
/// free port), from its own thread. GET and HEAD only:
/// "<installer path>/files/<p>" is the published tree's <p>, "/web/<p>" the web view's <p>.
/// Nothing outside those two folders is ever served ("..", an encoded "..", a link out).
/// Other accounts on this machine can connect too: every address begins with a secret word
/// new each run (a request without it is refused as soon as its first line has come), the
/// headers must come within 2 s and the whole exchange within 30 s, at most 64 connections
/// are served at once, and a stop returns within a fraction of a second however the clients
/// behave.
class FileServer {
public:
    FileServer();
    /// Stops it.
    ~FileServer();
    FileServer(const FileServer&) = delete;
    FileServer& operator=(const FileServer&) = delete;

    /// Binds 127.0.0.1 on a free port and starts serving; false (logged) when it cannot.
    bool start(const std::string& installerPath, const std::string& filesFolder, const std::string& webFolder);
    /// Stops serving and waits for its thread.
    void stop();
    bool isRunning() const;
    /// "http://127.0.0.1:<port>/<secret>", the base of the game's own addresses; empty while stopped.
    std::string getAddress() const;
    /// "/<secret>", what every request path must begin with; empty while stopped.
    std::string getPrefix() const;
    int getPort() const { return mPort; }

    /// The file a request path (the secret already taken out) stands for; empty when it is none of ours (a path that
    /// climbs out, an address outside "/files/" and "/web/"). The file need not exist.
    std::string fileFor(const std::string& path) const;

    /// Whether the path is relative and made of plain segments: none empty, "." or "..", no
    /// backslash, no NUL. Such a path stays inside whatever folder it is taken in.
    static bool isPlainPath(const std::string& path);

    /// Takes the run's prefix out of the request line that begins at `from` in `head` (the line
    /// ends at the first "\n"): "GET /<secret>/files/x HTTP/1.1" becomes "GET /files/x HTTP/1.1".
    /// False, and nothing changed, when the line's address does not begin with "<prefix>/" or
    /// the line has not ended.
    static bool takePrefix(std::string& head, std::size_t from, const std::string& prefix);

    /// For tests: the server itself, to add routes that misbehave before `start`. Routes
    /// added here come first and see paths without the secret.
    httplib::Server& httpServer();

private:
    struct Impl;
    std::unique_ptr<Impl> mImpl;
    std::string mInstallerPath;
    std::string mFilesFolder;
    std::string mWebFolder;
    int mPort = 0;
};

} // namespace core
} // namespace kavri3D
