#include "hikari/FlashControl.h"

namespace Hikari {

FlashValue FlashControl::call(const std::string& name, const Arguments& args)
{
    auto it = mCallbacks.find(name);
    if (it == mCallbacks.end() || !it->second)
        return FlashValue();
    Callback cb = it->second; // the callback may unbind itself
    return cb(this, args);
}

} // namespace Hikari
