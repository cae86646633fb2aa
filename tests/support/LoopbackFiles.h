#pragma once
// A file server on this machine over a test's folder, and a pump that drives the transport
// service until something has happened: downloads really travel over HTTP in these tests.
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <transport/FileServer.h>
#include <transport/TransportService.h>

#include "support/FramePump.h"

namespace zrktest {

/// "<address>/files/<p>" is `folder`/<p>; routes added through httpServer() before `start`
/// misbehave on purpose.
class LoopbackFiles {
public:
    kavri3D::core::FileServer server;

    /// Its addresses are routed to its socket for the transfers while it serves, as the game's are.
    bool start(const std::string& folder, const std::string& installer = "")
    {
        if (!server.start(installer, folder, folder + "/web"))
            return false;
        kavri3D::core::TransportService::instance().setSocketRoute(kavri3D::core::FileServer::kHost,
                                                                   server.getSocketPath());
        return true;
    }
    ~LoopbackFiles()
    {
        kavri3D::core::TransportService::instance().setSocketRoute(kavri3D::core::FileServer::kHost, std::string());
    }
    /// The address of a published path ("data/box1.ss1").
    std::string url(const std::string& path) const { return server.getAddress() + "/files/" + path; }
};

/// Pumps the transport service (one pump a millisecond, as frames would) until `done` holds, at
/// most `milliseconds`; a failure says what was waited for (`what`, when given).
inline FramePump::Waited pumpUntil(const std::function<bool()>& done, int milliseconds = 10000,
                                   const std::string& what = std::string())
{
    FramePump pump([] {
        kavri3D::core::TransportService::instance().update();
        return true;
    });
    return pump.untilSeconds(done, milliseconds / 1000.0, what.empty() ? "the transfers" : what);
}

/// Whether the transport service has nothing in flight.
inline bool transportIdle()
{
    std::size_t active = 0, waiting = 0;
    kavri3D::core::TransportService::instance().getQueuedJobs(active, waiting);
    return active + waiting == 0;
}

} // namespace zrktest
