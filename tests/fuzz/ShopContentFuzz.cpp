// The lists of res/GUI/guildContent.json the player page's guild and arena shops offer
// ("guildshop", "arenashop"), as the real GUI plug-in reads them when their tabs come to front
// on a headless CEGUI system. Whatever the file holds, the tabs ask the price event for whole
// item ids above 0 only, for no more items than a shop offers, and nothing crashes.
#include <CEGUI/CEGUI.h>
#include <core/GuiSystem.h>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <gui/ICallBackEvent.h>
#include <gui/IGuiControl.h>
#include <gui/IEventDispatcher.h>
#include <gui/IGuiManager.h>
#include <gui/IGuiPage.h>
#include <gui/ParamNode.h>
#include <gui/ShopData.h>
#include <memory>

#include "FuzzSupport.h"
#include "shell/ZRKGuiLoader.h"

using namespace kavri3D;
using namespace kavri3D::zrk;

namespace {

const int kPlayerPage = 7;
const int kPrices = 78;
// What one shop offers at most (the tab's own limit), and the rounds of answers given.
const int kMostOffers = 40;
const int kRounds = 2 * kMostOffers + 2;

/// The price event: notes each item asked for and answers with its record.
class Prices : public gui::ICallBackEvent {
public:
    explicit Prices(gui::IGuiPage* page) : mPage(page) {}
    gui::ParamList* fillParams() override
    {
        gui::ShopData record;
        record.s_id = record.i_id = mLast;
        mNode = gui::ParamNode("prices", record, 0, 0);
        mList.assign(1, &mNode);
        return &mList;
    }
    void callback(gui::ParamHandle h) override
    {
        const gui::ParamNode* id = mPage->getParam("i_id", h);
        const int* value = id ? boost::any_cast<int>(&id->value) : nullptr;
        if (!value || *value <= 0)
            std::abort(); // only whole ids above 0 are asked for
        mLast = *value;
        ++asked;
    }
    int getEventId() override { return kPrices; }

    int asked = 0;

private:
    gui::IGuiPage* mPage;
    int mLast = 0;
    gui::ParamNode mNode;
    gui::ParamList mList;
};

void click(CEGUI::Window* button)
{
    CEGUI::WindowEventArgs args(button);
    button->fireEvent(CEGUI::PushButton::EventClicked, args, CEGUI::PushButton::EventNamespace);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool ready = (zrkfuzz::FuzzSupport::quiet(), true);
    (void)ready;
    static core::GuiSystem* cegui = core::GuiSystem::createHeadless(1024, 768).release(); // lives for the run
    const std::string folder = zrkfuzz::FuzzSupport::folder();
    std::filesystem::create_directories(folder + "res/GUI");
    zrkfuzz::FuzzSupport::write("res/GUI/guildContent.json", data, size);

    // One plug-in for the run: unloading an instrumented library under libFuzzer ends the
    // run. Its pages are made afresh for each input instead (a tab reads its list once).
    static ZRKGuiLoader* loader = [] {
        auto* l = new ZRKGuiLoader; // lives for the run
        l->loadFrom(zrkfuzz::FuzzSupport::besideProgram("libZRK_Gui.so").c_str());
        return l;
    }();
    gui::IGuiManager* manager = nullptr;
    if (!loader->createGuiManager(&manager))
        std::abort();
    manager->getControl()->rebuildPages();
    manager->setRootWindow(cegui->getRootWindow());
    auto* prices = new Prices(manager->getPage(kPlayerPage));
    manager->getEventDispatcher()->registerEvent(prices);
    manager->showPage("player");
    CEGUI::Window* page = manager->getPage(kPlayerPage)->getRootWindow();
    if (!page)
        std::abort();
    const std::string home = std::filesystem::current_path().string();
    for (const char* tab : {"Tab_Guild", "Tab_Arena"}) {
        std::filesystem::current_path(folder); // the tab reads its list from the program's folder
        click(page->getChild(tab));
        std::filesystem::current_path(home);
        for (int round = 0; round < kRounds; ++round)
            manager->getEventDispatcher()->raise(kPrices);
    }
    if (prices->asked > 2 * kMostOffers)
        std::abort();
    manager->shutdown();
    // A frame passes: the pages' destroyed windows leave CEGUI's dead pool, which only a
    // drawn frame empties, or every input's pages would stay for the run.
    cegui->injectTimePulse(0.0f);
    return 0;
}
