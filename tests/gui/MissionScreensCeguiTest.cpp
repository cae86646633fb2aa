// A mission's screens in the GUI plug-in over a headless CEGUI: the battle bar's waves and crews
// (told only when they change), the half-time screen between two stages, the growth road's tip
// over the bar, and the hall's create form with the missions played alone and its password's
// limit said under it.
#include <CEGUI/CEGUI.h>
#include <boost/any.hpp>
#include <core/GuiSystem.h>
#include <gui/EventId.h>
#include <gui/IBattlePanel.h>
#include <gui/IEventDispatcher.h>
#include <gui/IGuiAnimator.h>
#include <gui/IGuiPage.h>
#include <lan/ZRKLan.h>
#include <memory>
#include <yake/Time.h>

#include "PluginFixture.h"

using namespace kavri3D::zrk;
namespace ids = kavri3D::zrk::gui::EventId;

namespace {

std::string text(CEGUI::Window* w) { return w ? w->getText().c_str() : std::string("(none)"); }

void press(CEGUI::Window* button)
{
    CEGUI::WindowEventArgs args(button);
    button->fireEvent(CEGUI::PushButton::EventClicked, args, CEGUI::PushButton::EventNamespace);
}

/// A battle's status as the game's provider gives it: the wave status only in the pulls it is
/// told for, as the provider sends it on change.
struct WaveStatus : gui::IBattleStatus {
    int tactic = 9;
    bool tell = false;
    PVEStatus stat;
    void getPlayerList(PlayerEntry*, int) override {}
    void getSkillStates(SkillEntry*, int& count) override { count = 0; }
    void getBattleStatus(BattleStatus& status) override
    {
        status.tactic = tactic;
        status.wind = "1.0";
        if (tell)
            status.extra.setAttr("stat", stat);
        tell = false;
    }
    void getBags(Bags&) override {}
    void getCrateMarks(std::vector<CrateMark>& marks) override { marks.clear(); }
};

struct MissionScreens : zrktest::PluginFixture {
    std::unique_ptr<kavri3D::core::GuiSystem> ceguiSystem = kavri3D::core::GuiSystem::createHeadless(1024, 768);
    ZRKLan lan{"res/lan"}; // the game's texts

    void SetUp() override
    {
        zrktest::PluginFixture::SetUp();
        manager->setRootWindow(ceguiSystem->getRootWindow());
    }
    CEGUI::Window* find(const char* name) { return ceguiSystem->getRootWindow()->getChildRecursive(name); }
};

} // namespace

TEST_F(MissionScreens, TheBarKeepsTheLastWavesAndCrewsItWasToldUntilTheNextAndANewBattleForgetsThem)
{
    auto* host = static_cast<gui::IBattlePanelHost*>(manager->getPanelHost("Battle"));
    ASSERT_NE(host, nullptr);
    gui::IBattlePanel* bar = host->getPanel();
    auto status = boost::shared_ptr<WaveStatus>(new WaveStatus);
    bar->setStatusProvider(status);
    host->show();
    CEGUI::Window* line = find("BattlePanel")->getChild("Status");
    const auto shows = [&](const std::string& part) { return text(line).find(part) != std::string::npos; };

    status->stat.scenario = 1;
    status->stat.scenarioTotal = 3;
    status->stat.alive = 4;
    status->tell = true;
    host->update(0.1f);
    EXPECT_TRUE(shows("wave 1 of 3, crews 4")) << text(line);
    // Pulls that tell nothing keep what was told.
    for (int i = 0; i < 3; ++i)
        host->update(0.1f);
    EXPECT_TRUE(shows("wave 1 of 3, crews 4")) << text(line);
    status->stat.alive = 3;
    status->tell = true;
    host->update(0.1f);
    host->update(0.1f);
    EXPECT_TRUE(shows("wave 1 of 3, crews 3")) << text(line);

    // A battle of players keeps its scores there.
    auto players = boost::shared_ptr<WaveStatus>(new WaveStatus);
    players->tactic = 1;
    players->stat = status->stat;
    players->tell = true;
    bar->setStatusProvider(players);
    host->update(0.1f);
    EXPECT_FALSE(shows("wave")) << text(line);
    EXPECT_TRUE(shows("0 : 0")) << text(line);

    // The next battle starts from nothing: no waves until it tells its own.
    auto next = boost::shared_ptr<WaveStatus>(new WaveStatus);
    bar->setStatusProvider(next);
    host->update(0.1f);
    EXPECT_FALSE(shows("wave")) << text(line);
    next->stat.scenario = 2;
    next->stat.scenarioTotal = 2;
    next->stat.alive = 1;
    next->tell = true;
    host->update(0.1f);
    EXPECT_TRUE(shows("wave 2 of 2, crews 1")) << text(line);
    host->hide();
}

TEST_F(MissionScreens, TheHalfTimeScreenSaysTheStagesWithoutBoxesAndGoesWhenTheNextBattleComes)
{
    gui::IHalfTimeView* halfTime = manager->getHalfTimeView();
    ASSERT_NE(halfTime, nullptr);
    halfTime->setStages("Stage 1 of Fort Raid is won!", "Next comes stage 2 of Fort Raid.");
    EXPECT_FALSE(halfTime->isShown());
    manager->showPage("pve_halftime");
    ASSERT_TRUE(halfTime->isShown());
    CEGUI::Window* page = find("HalfTimePage");
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(text(page->getChild("Won")), "Stage 1 of Fort Raid is won!");
    EXPECT_EQ(text(page->getChild("Next")), "Next comes stage 2 of Fort Raid.");
    // No box on it, nor a box screen beside it.
    for (const char* boxes : {"OpenBoxPage", "StageBoxPage"}) {
        CEGUI::Window* w = find(boxes);
        EXPECT_TRUE(!w || !w->isVisible()) << boxes;
    }
    EXPECT_EQ(page->getChildRecursive("Box0"), nullptr);
    // Told again while up, it says the new stages at once.
    halfTime->setStages("Stage 2 of Fort Raid is won!", "Next comes stage 3 of Fort Raid.");
    ASSERT_TRUE(halfTime->isShown());
    EXPECT_EQ(text(find("HalfTimePage")->getChild("Won")), "Stage 2 of Fort Raid is won!");
    // The rebuilt battle resets the pages, then takes the screen.
    manager->resetPages();
    EXPECT_FALSE(halfTime->isShown());
    manager->showPage("pve_halftime");
    manager->showPage("battle");
    EXPECT_FALSE(halfTime->isShown());
}

TEST_F(MissionScreens, TheGrowthRoadsTipShowsOverTheBarForItsTimeAndGoesWhenHidden)
{
    yake::native::setManualClock(true);
    yake::native::setTime(100.0);
    auto* tip = static_cast<gui::IDollView*>(manager->getDollView());
    ASSERT_NE(tip, nullptr);
    tip->show("", "Growth road stage 1", 5000, 0);
    CEGUI::Window* w = find("GrowthTip");
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(text(w), "Growth road stage 1");
    manager->getAnimator()->update(0.f);
    yake::native::advanceTime(4.5);
    manager->getAnimator()->update(0.f);
    EXPECT_TRUE(w->isVisible());
    yake::native::advanceTime(0.6);
    manager->getAnimator()->update(0.f);
    EXPECT_FALSE(w->isVisible());
    // Without a time it stays until hidden (a stage without a road hides it).
    tip->show("", "Growth road stage 2", 0, 0);
    yake::native::advanceTime(60.0);
    manager->getAnimator()->update(0.f);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(text(w), "Growth road stage 2");
    tip->hide();
    EXPECT_FALSE(w->isVisible());
    yake::native::setManualClock(false);
}

TEST_F(MissionScreens, TheCreateFormOffersTheMissionsPlayedAloneAndSaysThePasswordsLimitAtTheSeventeenthLetter)
{
    const int hallKind = 8;
    std::vector<int> sent;
    auto* create = add(ids::RoomCreate);
    create->onCallback = [&](gui::ParamHandle h) {
        gui::ParamNode* mode = manager->getPage(hallKind)->getParam("mode", h);
        const int* m = mode ? boost::any_cast<int>(&mode->value) : nullptr;
        sent.push_back(m ? *m : -1);
    };
    manager->getEventDispatcher()->raise(ids::HallEntered);
    manager->getAnimator()->update(0.f);
    CEGUI::Window* hall = manager->getPage(hallKind)->getRootWindow();
    ASSERT_NE(hall, nullptr);
    const std::pair<const char*, const char*> alone[] = {
        {"Mode1003", "Fort, stage 1"}, {"Mode1004", "Fort, stage 3"}, {"Mode2001", "Fort Raid"}};
    for (const auto& m : alone)
        EXPECT_EQ(text(hall->getChild(m.first)), m.second);
    EXPECT_FALSE(text(hall->getChild("AloneLabel")).empty());
    // One choice with the rooms' kinds: picking a mission alone unpicks the room's mode.
    static_cast<CEGUI::RadioButton*>(hall->getChild("Mode2001"))->setSelected(true);
    EXPECT_FALSE(static_cast<CEGUI::RadioButton*>(hall->getChild("Mode1"))->isSelected());
    press(hall->getChild("Create"));
    static_cast<CEGUI::RadioButton*>(hall->getChild("Mode1003"))->setSelected(true);
    press(hall->getChild("Create"));
    EXPECT_EQ(sent, (std::vector<int>{2001, 1003}));

    // Sixteen letters go in; the seventeenth does not, and the form says why under it.
    CEGUI::Window* password = hall->getChild("NewPassword");
    password->activate();
    CEGUI::GUIContext& gui = CEGUI::System::getSingleton().getDefaultGUIContext();
    for (char c : std::string("abcdefgh12345678"))
        gui.injectChar(static_cast<CEGUI::utf32>(c));
    EXPECT_EQ(text(password), "abcdefgh12345678");
    EXPECT_EQ(text(hall->getChild("CreateNote")), "");
    gui.injectChar(static_cast<CEGUI::utf32>('9'));
    EXPECT_EQ(text(password), "abcdefgh12345678");
    EXPECT_EQ(text(hall->getChild("CreateNote")), "The password may hold up to 16 letters and digits.");
}
