#pragma once
#include <string>
#include <vector>
#include "PortraitPage.h"

namespace kavri3D {
namespace zrk {
namespace gui {

class EventDispatcher;

/// The player page: the portraits and a line with the current character's nickname, level,
/// rank and money, filled from the attribute event and refreshed when its refresh id comes.
class PlayerPage : public PortraitPage {
public:
    static constexpr int kKind = 7;
    static constexpr int kAttrEventId = 16;
    static constexpr int kRefreshEventId = 17;

    PlayerPage(const std::string& windowName, const std::string& title, ParamStore& params, ParentSource parent,
               std::vector<std::string> images, int columns, EventDispatcher& dispatcher);

    void onFilled(int eventId, ParamList& params) override;
    /// The attribute line as shown ("" before the first fill).
    const std::string& attributeText() const { return mText; }

protected:
    void buildContent(CEGUI::Window& frame) override;

private:
    EventDispatcher& mDispatcher;
    std::string mText;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
