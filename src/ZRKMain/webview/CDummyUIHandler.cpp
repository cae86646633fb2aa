#include "webview/CDummyUIHandler.h"

#include "webview/CMyBrowserExternalObj.h"
#include "webview/HtmlView.h"

namespace kavri3D {
namespace zrk {

CDummyUIHandler& CDummyUIHandler::instance()
{
    static CDummyUIHandler handler;
    return handler;
}

CMyBrowserExternalObj* CDummyUIHandler::GetExternal()
{
    if (!mExternal && HtmlView::instance())
        mExternal.reset(new CMyBrowserExternalObj);
    return mExternal.get();
}

} // namespace zrk
} // namespace kavri3D
