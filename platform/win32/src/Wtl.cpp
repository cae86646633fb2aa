#include "win32/Wtl.h"

#include <algorithm>

namespace WTL {

namespace {
template <class T> BOOL removeFrom(std::vector<T*>& list, T* item)
{
    auto it = std::find(list.begin(), list.end(), item);
    if (it == list.end())
        return FALSE;
    list.erase(it);
    return TRUE;
}
} // namespace

BOOL CMessageLoop::AddMessageFilter(CMessageFilter* filter)
{
    if (!filter)
        return FALSE;
    m_aMsgFilter.push_back(filter);
    return TRUE;
}

BOOL CMessageLoop::RemoveMessageFilter(CMessageFilter* filter) { return removeFrom(m_aMsgFilter, filter); }

BOOL CMessageLoop::AddIdleHandler(CIdleHandler* handler)
{
    if (!handler)
        return FALSE;
    m_aIdleHandler.push_back(handler);
    return TRUE;
}

BOOL CMessageLoop::RemoveIdleHandler(CIdleHandler* handler) { return removeFrom(m_aIdleHandler, handler); }

BOOL CMessageLoop::PreTranslateMessage(MSG* msg)
{
    std::vector<CMessageFilter*> filters = m_aMsgFilter; // a filter may remove itself
    for (auto it = filters.rbegin(); it != filters.rend(); ++it)
        if (*it && (*it)->PreTranslateMessage(msg))
            return TRUE;
    return FALSE;
}

BOOL CMessageLoop::OnIdle(int)
{
    std::vector<CIdleHandler*> handlers = m_aIdleHandler;
    for (CIdleHandler* h : handlers)
        if (h)
            h->OnIdle();
    return FALSE;
}

BOOL CAppModule::AddMessageLoop(CMessageLoop* loop)
{
    if (!loop || m_loop)
        return FALSE;
    m_loop = loop;
    return TRUE;
}

BOOL CAppModule::RemoveMessageLoop()
{
    if (!m_loop)
        return FALSE;
    m_loop = nullptr;
    return TRUE;
}

} // namespace WTL
