#pragma once
#include <string>
#include <util/Singleton.h>

namespace kavri3D {
namespace core {

/// Loads the GUI's animation definitions from a resource file.
class CEGUIAnimationLib : public Singleton<CEGUIAnimationLib> {
public:
    /// The game's one library, made on first use.
    static CEGUIAnimationLib& instance();
    /// False (with a log line) when there is no GUI system or the file is missing or broken.
    bool loadAnimationsFromResource(const std::string& file, const std::string& group);
    int loadedCount() const { return mLoaded; }

private:
    int mLoaded = 0;
};

} // namespace core
} // namespace kavri3D

KAVRI_SINGLETON_DECLARE(kavri3D::core::CEGUIAnimationLib);
