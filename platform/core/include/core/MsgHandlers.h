#pragma once
#include <boost/function.hpp>
#include <boost/shared_ptr.hpp>
#include <win32/Windows.h>

namespace kavri3D {
namespace core {
namespace msg {

/// Sees every window message before the framework handles it; true means handled.
class AbstractMsgHandler {
public:
    virtual ~AbstractMsgHandler() = default;
    virtual bool invoke(MSG& msg, LRESULT* result) = 0;
};

/// Runs when the frame loop idles between frames.
class AbstractIdleHandler {
public:
    virtual ~AbstractIdleHandler() = default;
    virtual void invoke() = 0;
};

class GenericMsgHandler : public AbstractMsgHandler {
public:
    typedef boost::function<bool(MSG&, LRESULT*)> Fn;
    explicit GenericMsgHandler(Fn fn) : mFn(fn) {}
    bool invoke(MSG& msg, LRESULT* result) override { return mFn ? mFn(msg, result) : false; }

private:
    Fn mFn;
};

class GenericIdleHandler : public AbstractIdleHandler {
public:
    typedef boost::function<void()> Fn;
    explicit GenericIdleHandler(Fn fn) : mFn(fn) {}
    void invoke() override
    {
        if (mFn)
            mFn();
    }

private:
    Fn mFn;
};

typedef boost::shared_ptr<AbstractMsgHandler> MsgHandlerPtr;
typedef boost::shared_ptr<AbstractIdleHandler> IdleHandlerPtr;

} // namespace msg
} // namespace core
} // namespace kavri3D
