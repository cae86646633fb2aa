#pragma once
#include <memory>
#include <string>

namespace kavri3D {
namespace core {
class FileServer;
} // namespace core

namespace zrk {

class ZRKServerStart;
struct ZRKServerConfig;

/// The game server this machine runs for the player: the world it opens while the window comes
/// up, and the file server that hands out the downloads. Both go with it.
class ServerHost {
public:
    ServerHost();
    ~ServerHost();
    ServerHost(const ServerHost&) = delete;
    ServerHost& operator=(const ServerHost&) = delete;

    /// The installer's path on the file server ("kavri3D/app/net/Installer", by default
    /// "/files/installer/latest").
    static std::string installerPath();
    /// How the server starts: its world beside the user settings, seeded afresh on reset.
    static ZRKServerConfig configFor(bool reset);
    /// Empties the cache folders "temp" and "library" under the cache path (files matching
    /// "*.*"); a pattern that does not fit the shell's buffer is skipped with a log line.
    static void cleanCache(const std::string& cachedPath);

    /// Opens the world on a thread of its own; the session takes it with takeWorld.
    void openWorld(const ZRKServerConfig& config, double now);
    /// The world opened by openWorld, or null when it was opened in place.
    std::unique_ptr<ZRKServerStart> takeWorld();
    /// Drops a world no session took (a start-up that ended early).
    void dropWorld();

    /// Serves the published tree and the web view's pages from the program folder and gives
    /// the server's address to the net client for the run.
    void startFileServer(const std::string& programFolder);
    void stopFileServer();

private:
    std::unique_ptr<core::FileServer> mFileServer;
    std::unique_ptr<ZRKServerStart> mWorld;
};

} // namespace zrk
} // namespace kavri3D
