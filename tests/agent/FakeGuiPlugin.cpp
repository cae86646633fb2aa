// A GUI plug-in that knows only how to make events: positive ids are known screens' events,
// any other id is unknown and gives none.
#include <gui/GuiAnyEvent.h>
#include <gui/IGuiManager.h>
#include <gui/IScreenNotifier.h>

using namespace kavri3D::zrk::gui;

namespace {

class FakeGuiManager : public IGuiManager {
public:
    void setRootWindow(CEGUI::Window*) override {}
    void setTopWindow(CEGUI::Window*) override {}
    void shutdown() override {}
    IGuiAnimator* getAnimator() override { return nullptr; }
    IGuiPage* getPage(int) override { return nullptr; }
    void* getPanelHost(const std::string&) override { return nullptr; }
    void setImage(const CEGUI::String&, CEGUI::Texture*) override {}
    void setRoleView(void*, int, int) override {}
    void onFirstPanelsCreated() override {}
    void onLobbyPanelsCreated() override {}
    void showPage(const std::string&) override {}
    void resetPages() override {}
    void setRenderSwitch(bool) override {}
    void notifyBattleStarting() override {}
    void clearScreens() override {}
    void setWrapper(IGuiWrapper*) override {}
    IEventDispatcher* getEventDispatcher() override { return nullptr; }
    IEventIdQueue* getEventIdQueue() override { return nullptr; }
    std::vector<std::string>& getImagesetNames() override { return mImagesets; }
    void* getBattleOverView() override { return nullptr; }
    void* getDollView() override { return nullptr; }
    IGuideView* getGuideView() override { return nullptr; }
    void setGuideContent(boost::shared_ptr<IGuideContent>) override {}
    boost::shared_ptr<IGuideContent> getGuideContent() override { return {}; }
    void* getBoxOpenView() override { return nullptr; }
    void* getPveBoxOpenView() override { return nullptr; }
    IHalfTimeView* getHalfTimeView() override { return nullptr; }
    void notifyRoomEntering(int) override {}
    IScreenNotifier* getScreenNotifier() override { return &mNotifier; }
    GuiAnyEvent* createAnyEvent(int eventId) override { return eventId > 0 ? new GuiAnyEvent(eventId) : nullptr; }
    void playFlash(const std::string&, int, int, float) override {}
    IGrowthView* getGrowthView() override { return nullptr; }
    IGuiEffect* getEffect() override { return nullptr; }
    IGuiControl* getControl() override { return nullptr; }

private:
    struct Notifier : IScreenNotifier {
        void notify(int) override {}
    } mNotifier;
    std::vector<std::string> mImagesets;
};

FakeGuiManager gManager;

} // namespace

extern "C" __attribute__((visibility("default"))) bool zrkGuiManagerCreator(IGuiManager** out)
{
    *out = &gManager;
    return true;
}
