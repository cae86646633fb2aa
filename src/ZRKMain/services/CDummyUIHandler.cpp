#include "services/CDummyUIHandler.h"

#include "services/CMyBrowserExternalObj.h"
#include "services/HtmlView.h"

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
