#include "shell/CWtlMsgLoopAdapter.h"

#include <boost/make_shared.hpp>
#include <core/Application.h>
#include <core/win32FrameController.h>

namespace kavri3D {
namespace zrk {

namespace {
const char* const kName = "CWtlMsgLoopAdapter";
}

CWtlMsgLoopAdapter::CWtlMsgLoopAdapter(core::win32FrameController* controller)
{
    if (!controller)
        if (core::Application* app = core::Application::getSingletonPtr())
            controller = app->getFrameControl();
    if (!controller)
        return;
    mController = controller;
    mController->previewAppMessage(kName, boost::make_shared<core::msg::GenericMsgHandler>(
                                              [this](MSG& m, LRESULT* r) { return onMessage(m, r); }));
    mController->registerIdleHandler(kName, boost::make_shared<core::msg::GenericIdleHandler>([this] { onIdle(); }));
}

CWtlMsgLoopAdapter::~CWtlMsgLoopAdapter()
{
    if (mController) {
        mController->unpreviewAppMessage(kName);
        mController->unregisterIdleHandler(kName);
    }
}

bool CWtlMsgLoopAdapter::onMessage(MSG& msg, LRESULT*)
{
    m_msg = msg;
    return PreTranslateMessage(&msg) != FALSE;
}

void CWtlMsgLoopAdapter::onIdle() { OnIdle(0); }

} // namespace zrk
} // namespace kavri3D
