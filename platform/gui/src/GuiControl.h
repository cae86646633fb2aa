#pragma once
#include <gui/IGuiControl.h>

namespace kavri3D {
namespace zrk {
namespace gui {

class GuiManager;

/// The control surface over the manager's parts: what a test or the embedded default does in
/// place of a player.
class GuiControl : public IGuiControl {
public:
    explicit GuiControl(GuiManager& manager) : mManager(manager) {}

    void setPageParam(int kind, const ParamNode& node) override;
    void clearPageParams(int kind) override;
    ParamHandle paramHandle(int kind) override;
    ICallBackEvent* findEvent(int eventId) override;
    std::vector<int> registeredIds() override;
    ParamList* fillParams(int eventId) override;
    bool callback(int eventId, int kind) override;
    std::vector<int> raisedIds() override;
    void clearRaised() override;
    std::vector<int> handledIds() override;
    std::vector<std::string> shownPages() override;
    int callCount(const std::string& operation) override;
    void setLoading(bool loading) override;
    std::string shownImage(int kind, const std::string& picture) override;
    void rebuildPages() override;

private:
    GuiManager& mManager;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
