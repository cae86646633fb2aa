#pragma once
#include <boost/shared_ptr.hpp>

namespace kavri3D {
namespace core {

class Application;

/// The application's main frame: the GUI's top level.
class Frame {
public:
    explicit Frame(Application& app) : mApp(app) {}
    virtual ~Frame() = default;
    virtual bool create() { return true; }
    virtual void destroy() {}
    Application& getApplication() const { return mApp; }

private:
    Application& mApp;
};

typedef boost::shared_ptr<Frame> FramePtr;

} // namespace core
} // namespace kavri3D
