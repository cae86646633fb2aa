#pragma once
#include <string>
#include <sys/types.h>

namespace zrktest {

/// An X server of the test's own (Xvfb) with one screen of the given size, gone with the
/// object. display() is empty when it could not be started.
class XvfbServer {
public:
    XvfbServer(int width, int height);
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    /// ":N", to put in DISPLAY.
    const std::string& display() const { return mDisplay; }

private:
    pid_t mPid = -1;
    std::string mDisplay;
};

} // namespace zrktest
