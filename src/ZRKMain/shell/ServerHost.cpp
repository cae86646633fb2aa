#include "shell/ServerHost.h"

#include <core/BlackBoard.h>
#include <core/NetClientManager.h>
#include <transport/FileServer.h>
#include <transport/TransportService.h>
#include <util/StringConv.h>
#include <filesystem>
#include <win32/Windows.h>

#include <server/ZRKServerStart.h>

#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

ServerHost::ServerHost() = default;

ServerHost::~ServerHost()
{
    stopFileServer();
    dropWorld();
}

std::string ServerHost::installerPath()
{
    core::BlackBoard* bb = core::BlackBoard::getSingletonPtr();
    std::string installer = bb ? bb->section("kavri3D/app/net").getStringVal("Installer", "") : std::string();
    return installer.empty() ? std::string("/files/installer/latest") : installer;
}

ZRKServerConfig ServerHost::configFor(bool reset)
{
    // The embedded server keeps its world beside the user settings.
    ZRKServerConfig server;
    core::BlackBoard* bb = core::BlackBoard::getSingletonPtr();
    server.database = (bb ? bb->getString("kavri3D/runPath", "") : std::string()) + "ZRK_World.db";
    server.reset = reset;
    return server;
}

void ServerHost::cleanCache(const std::string& cachedPath)
{
    if (cachedPath.empty())
        return;
    // A link where the cache folder should be goes as itself (the cache is made afresh), never
    // cleaned through: what it points to is nobody's cache.
    std::string folder = cachedPath;
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    std::error_code ec;
    if (std::filesystem::is_symlink(folder, ec)) {
        std::filesystem::remove(folder, ec);
        writeLogf(kLogWarning, "ZRKMain", "the cache folder was a link: removed, the cache is made afresh: ", folder);
        return;
    }
    for (const char* sub : {"temp/*.*", "library/*.*"}) {
        const std::wstring pattern = core::ANSI2WSTR(cachedPath + sub);
        wchar_t from[260] = {}; // zero-filled: the list ends in two zero characters
        // A cut pattern would lose its wildcard and name a folder (or its parent) whole.
        if (pattern.size() > 258) {
            writeLogf(kLogWarning, "ZRKMain", "cache not cleaned: the pattern is too long: ", cachedPath + sub);
            continue;
        }
        pattern.copy(from, pattern.size());
        SHFILEOPSTRUCTW op{nullptr, FO_DELETE, from, nullptr,
                           static_cast<unsigned short>(FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI)};
        SHFileOperationW(&op);
    }
}

void ServerHost::openWorld(const ZRKServerConfig& config, double now) { mWorld.reset(new ZRKServerStart(config, now)); }

std::unique_ptr<ZRKServerStart> ServerHost::takeWorld() { return std::move(mWorld); }

void ServerHost::dropWorld() { mWorld.reset(); }

void ServerHost::startFileServer(const std::string& programFolder)
{
    // The game plays against the embedded game server, whose files this machine serves: the
    // published tree beside the program, the web view's pages from res/web.
    mFileServer.reset(new core::FileServer);
    if (!mFileServer->start(installerPath(), programFolder + "published", programFolder + "res/web")) {
        writeLog(kLogError, "ZRKMain", "the file server did not start: downloads will fail");
        mFileServer.reset();
        return;
    }
    core::NetClientManager::setRunApplicationPath(mFileServer->getAddress());
    // Its addresses name no machine: the transfers (and the web view's proxy) go to its socket.
    core::TransportService::instance().setSocketRoute(core::FileServer::kHost, mFileServer->getSocketPath());
}

void ServerHost::stopFileServer()
{
    if (!mFileServer)
        return;
    core::NetClientManager::setRunApplicationPath(std::string());
    core::TransportService::instance().setSocketRoute(core::FileServer::kHost, std::string());
    mFileServer->stop();
    mFileServer.reset();
}

} // namespace zrk
} // namespace kavri3D
