#pragma once
// The few WTL names the game's own windows rely on: a message loop with message filters and
// idle handlers, and the module that knows the loop of the thread.
#include <vector>
#include <win32/Windows.h>

namespace WTL {

class CMessageFilter {
public:
    virtual ~CMessageFilter() = default;
    virtual BOOL PreTranslateMessage(MSG* msg) = 0;
};

class CIdleHandler {
public:
    virtual ~CIdleHandler() = default;
    virtual BOOL OnIdle() = 0;
};

class CMessageLoop {
public:
    virtual ~CMessageLoop() = default;

    BOOL AddMessageFilter(CMessageFilter* filter);
    BOOL RemoveMessageFilter(CMessageFilter* filter);
    BOOL AddIdleHandler(CIdleHandler* handler);
    BOOL RemoveIdleHandler(CIdleHandler* handler);

    /// The filters, last added first; TRUE when one handled the message.
    virtual BOOL PreTranslateMessage(MSG* msg);
    /// Every idle handler in the order added.
    virtual BOOL OnIdle(int idleCount);

    MSG m_msg{};

protected:
    std::vector<CMessageFilter*> m_aMsgFilter;
    std::vector<CIdleHandler*> m_aIdleHandler;
};

/// The module: the thread's message loop.
class CAppModule {
public:
    virtual ~CAppModule() = default;
    BOOL AddMessageLoop(CMessageLoop* loop);
    BOOL RemoveMessageLoop();
    CMessageLoop* GetMessageLoop() const { return m_loop; }

private:
    CMessageLoop* m_loop = nullptr;
};

} // namespace WTL
