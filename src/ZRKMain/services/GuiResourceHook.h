#pragma once
#include <boost/function.hpp>
#include <functional>

namespace kavri3D {
namespace zrk {

/// How the log-in and character creation wait for the lobby's GUI resources without knowing
/// the downloader: the shell registers it here at start-up and ends the registration at
/// shut-down.
class GuiResourceHook {
public:
    /// true: every GUI resource file is present.
    typedef boost::function<void(bool)> Callback;
    typedef std::function<void(const Callback&)> Requester;

    /// The downloader registers itself; an empty requester ends it.
    static void setRequester(Requester requester);
    /// Hands the callback to the downloader, which calls it once the resources are present
    /// (replacing any earlier one). False when there is no downloader: the resources then
    /// count as present and the caller goes on at once.
    static bool requestResources(const Callback& done);
};

} // namespace zrk
} // namespace kavri3D
