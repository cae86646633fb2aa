#pragma once
#include <functional>
#include <map>
#include <string>
#include <hikari/FlashValue.h>

namespace Hikari {

/// A Flash movie in a pane. The movie calls its host's functions by name; the host binds
/// them. There is no Flash player here: `call` plays the movie's part for tests.
class FlashControl {
public:
    typedef std::function<FlashValue(FlashControl*, const Arguments&)> Callback;

    void bind(const std::string& name, Callback callback) { mCallbacks[name] = std::move(callback); }
    void unbind(const std::string& name) { mCallbacks.erase(name); }
    bool isBound(const std::string& name) const { return mCallbacks.count(name) > 0; }
    std::size_t boundCount() const { return mCallbacks.size(); }
    /// What the movie gets back from calling `name`; nothing when it is not bound.
    FlashValue call(const std::string& name, const Arguments& args = Arguments());

private:
    std::map<std::string, Callback> mCallbacks;
};

} // namespace Hikari
