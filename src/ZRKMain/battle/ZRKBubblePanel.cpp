#include "battle/ZRKBubblePanel.h"

#include <core/Frame.h>
#include "battle/BubbleInfoProvider.h"
#include "services/GameServices.h"

namespace kavri3D {
namespace zrk {

ZRKBubblePanel::ZRKBubblePanel(BattleRoom* room, const std::string& namePrefix)
    : core::CEGUIPanel(GameServices::frame()), mRoom(room), mNamePrefix(namePrefix)
{
}

ZRKBubblePanel::~ZRKBubblePanel() { destroyWindow(); }

bool ZRKBubblePanel::createWindow()
{
    core::CEGUIPanelContainer* container = getContainer();
    return mProvider && container && container->getTopWindow();
}

void ZRKBubblePanel::destroyWindow() {}

void ZRKBubblePanel::refresh()
{
    if (mProvider)
        ++mRefreshes;
}

void ZRKBubblePanel::update(const boost::shared_ptr<core::BasicPlayer>& player)
{
    if (player)
        ++mUpdates;
}

} // namespace zrk
} // namespace kavri3D
