#pragma once
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

namespace httplib {
class Server;
}

namespace kavri3D {
namespace core {

/// The game's file server, built in: while the game plays against the embedded game server it
/// serves the published files of this version over HTTP, from threads of its own. GET and HEAD
/// only: "<installer path>/files/<p>" is the published tree's <p>, "/web/<p>" the web view's
/// <p>. Nothing outside those two folders is ever served ("..", an encoded "..", a link out).
///
/// It is the player's alone: it listens on a Unix socket in a folder only the player may enter
/// (0700), not on a port any account of the machine could reach, so nobody else can hold,
/// fill or slow it. That folder is made in the player's runtime folder only when no other user
/// may write it or any folder above it (or it is sticky), else afresh in /tmp. Every connection
/// is asked whose it is first (one look at the socket's credentials) and a stranger's (root
/// reaching into the folder, or whom the tests' check names) is closed before it counts. The
/// game's own addresses are "http://<kHost>/<secret>/...", a host name that never resolves,
/// which the transfers and the web view's proxy send to the socket, once they know the server
/// there is this process's own (servedHere). Each address still begins with a secret word new
/// each run (a request without it is refused as soon as its first line has come), the headers
/// must come within 2 s and the whole exchange within 30 s, at most 64 connections (and
/// threads) are served at once, and a stop returns within a fraction of a second however the
/// clients behave.
class FileServer {
public:
    /// The host of the game's own addresses: no name server answers for it.
    static constexpr const char* kHost = "zrk-files.invalid";
    /// Connections served at once; one more is answered 503 and closed.
    static constexpr std::size_t kMaxConnections = 64;

    FileServer();
    /// Stops it.
    ~FileServer();
    FileServer(const FileServer&) = delete;
    FileServer& operator=(const FileServer&) = delete;

    /// Makes its private folder, listens on the socket in it and starts serving; false
    /// (logged) when it cannot.
    bool start(const std::string& installerPath, const std::string& filesFolder, const std::string& webFolder);
    /// Stops serving, waits for its threads and removes the socket and its folder.
    void stop();
    bool isRunning() const;
    /// "http://zrk-files.invalid/<secret>", the base of the game's own addresses; empty while stopped.
    std::string getAddress() const;
    /// "/<secret>", what every request path must begin with; empty while stopped.
    std::string getPrefix() const;
    /// The Unix socket it listens on; empty while stopped.
    std::string getSocketPath() const;

    /// What became of the connections since the start.
    struct Counts {
        unsigned long served = 0;    ///< taken and served
        unsigned long strangers = 0; ///< another user's, closed before they counted
        unsigned long busy = 0;      ///< over the cap, answered 503
    };
    Counts getCounts() const;

    /// Tests: also drop the connection on `fd` as a stranger's when this says so (where a test
    /// cannot run its client as another user). Empty: the credentials alone decide.
    static void setStrangerTest(std::function<bool(int fd)> test);

    /// Whether the Unix socket `fd` is connected to a server of this very process: the file
    /// server is built in, so one of another process listening at its path (put there after
    /// ours was moved away) is somebody else's. Asked before anything, the secret first, is sent.
    static bool servedHere(int fd);

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
};

} // namespace core
} // namespace kavri3D
