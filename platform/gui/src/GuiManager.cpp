#include "GuiManager.h"
#include "BattlePanelHost.h"

#include <CEGUI/CEGUI.h>
#include <yake/Time.h>
#include <core/EventManager.h>
#include <gui/GuiAnyEvent.h>
#include <gui/IGuideContent.h>
#include <gui/RoleAttr.h>

#include <text/CeguiText.h>
#include "GuiLog.h"
#include "GuiPage.h"
#include "BagPage.h"
#include "CreateCharPage.h"
#include "AreaPage.h"
#include "ForgePage.h"
#include "LoginPage.h"
#include "OnlinePage.h"
#include "RoomListPage.h"
#include "RoomPage.h"
#include <yake/Time.h>
#include "PlayerPage.h"
#include "PortraitPage.h"
#include <core/BlackBoard.h>

namespace kavri3D {
namespace zrk {
namespace gui {

namespace {
// The screens: panel kind (-1: a screen without a page of its own), its window, its title
// and the name showPage knows it by.
struct Screen {
    int kind;
    const char* window;
    const char* title;
    const char* name;
};
const Screen kScreens[] = {
    {0, "AreaPage", "Areas", "area"},
    {3, "ChatPage", "Chat", "chat"},
    {4, "OnlinePlayersPage", "Players online", "online"},
    {LoginPage::kKind, "LoginPage", "Log in", "login"},
    {7, "PlayerPage", "Player", "player"},
    {8, "RoomListPage", "Rooms", "roomlist"},
    {9, "RoomPage", "Room", "room"},
    {10, "MapBoardPage", "Maps", "map"},
    {12, "BagPage", "Bag", "bag"},
    {13, "CreateCharPage", "New character", "createchar"},
    {ForgePage::kKind, "ForgePage", "Forge", "forge"},
    {-1, "", "", "battle"},
    // The screens after a battle: the pages go, the box panels show themselves.
    {-1, "", "", "openbox"},
    {-1, "", "", "pve_halftime"},
    {-1, "", "", "pve_openbox"},
};

// The pages that show pictures the game renders: the images by name, and the grid's columns.
struct Pictures {
    int kind;
    std::vector<std::string> images;
    int columns;
};
const Pictures kPictures[] = {
    {7, {"myself", "showview"}, 2},
    {9, {"red0", "red1", "red2", "red3", "blue0", "blue1", "blue2", "blue3"}, 4},
    // The bag: the player's figure beside the cells, the boxes in one row under them.
    {12, {"myself", "box1", "box2", "box3", "box4", "box5", "box6", "box7", "box8"}, 8},
};

const Pictures* picturesOf(int kind)
{
    for (const Pictures& p : kPictures)
        if (p.kind == kind)
            return &p;
    return nullptr;
}

CEGUI::Window* alive(CEGUI::Window* window)
{
    return window && CEGUI::WindowManager::getSingleton().isAlive(window) ? window : nullptr;
}
} // namespace

GuiManager::GuiManager()
{
    makePages();
    mDispatcher.setFillObserver([this](int id, ParamList* params) { onFilled(id, params); });
    mDispatcher.setRaiseObserver([this](int id) {
        onRaised(id);
        if (CreateCharPage* page = createCharPage())
            page->onRaised(id);
        mBoxPanel1.onRaised(id);
        mBoxPanel2.onRaised(id);
    });
    mAnimator.setFrameHook([this] { onFrame(); });
    // A step of the tutorial may come with its question.
    mGuide.setStepListener([this](int step) {
        mQuestions.close();
        if (step > 0)
            mQuestions.ask(step);
    });
    mGuide.setAskingSource([this] { return mQuestions.isOpen(); });
}

void GuiManager::makePages()
{
    GuiPage::ParentSource parent = [this] { return pageParent(); };
    for (const Screen& s : kScreens) {
        const Pictures* p = picturesOf(s.kind);
        if (s.kind == LoginPage::kKind)
            mPages[s.kind] = std::make_unique<LoginPage>(s.window, s.title, mParams, parent, mDispatcher);
        else if (s.kind == BagPage::kKind && p)
            mPages[s.kind] = std::make_unique<BagPage>(s.window, s.title, mParams, parent, p->images, p->columns,
                                                       mDispatcher, mImagesetNames, [this] { showPage("area"); });
        else if (s.kind == PlayerPage::kKind && p)
            mPages[s.kind] = std::make_unique<PlayerPage>(
                s.window, s.title, mParams, parent, p->images, p->columns, mDispatcher, [this] { showPage("area"); },
                [this] { return mWrapper.get(); });
        else if (s.kind == CreateCharPage::kKind)
            mPages[s.kind] = std::make_unique<CreateCharPage>(s.window, s.title, mParams, parent, mDispatcher,
                                                              [this, name = std::string(s.name)] { showPage(name); });
        else if (s.kind == AreaPage::kKind)
            mPages[s.kind] = std::make_unique<AreaPage>(
                s.window, s.title, mParams, parent, mDispatcher, [this] { showPage("forge"); },
                [this] { showPage("bag"); },
                [this] {
                    // "Shop" opens the shop, whichever tab of the player page was last in front.
                    if (auto* player = dynamic_cast<PlayerPage*>(page(PlayerPage::kKind)))
                        player->selectTab(PlayerPage::kShopTab);
                    showPage("player");
                });
        else if (s.kind == ForgePage::kKind)
            mPages[s.kind] = std::make_unique<ForgePage>(
                s.window, s.title, mParams, parent, mDispatcher, [this] { showPage("area"); },
                [this] { return mWrapper.get(); });
        else if (s.kind == RoomListPage::kKind)
            mPages[s.kind] = std::make_unique<RoomListPage>(s.window, s.title, mParams, parent, mDispatcher);
        else if (s.kind == RoomPage::kKind && p)
            mPages[s.kind] =
                std::make_unique<RoomPage>(s.window, s.title, mParams, parent, p->images, p->columns, mDispatcher);
        else if (s.kind == OnlinePage::kKind)
            mPages[s.kind] = std::make_unique<OnlinePage>(s.window, s.title, mParams, parent, mDispatcher);
        else if (p)
            mPages[s.kind] =
                std::make_unique<PortraitPage>(s.kind, s.window, s.title, mParams, parent, p->images, p->columns);
        else if (s.kind >= 0)
            mPages[s.kind] = std::make_unique<GuiPage>(s.kind, s.window, s.title, mParams, parent);
    }
}

void GuiManager::rebuildPages()
{
    mPages.clear(); // their windows go with them
    mShownPages.clear();
    makePages();
}

void GuiManager::onFirstPanelsCreated()
{
    mCalls.add("onFirstPanelsCreated");
    showPage("login");
    mAutoLoginArmed = true;
}

CreateCharPage* GuiManager::createCharPage()
{
    auto it = mPages.find(CreateCharPage::kKind);
    return it == mPages.end() ? nullptr : static_cast<CreateCharPage*>(it->second.get());
}

void GuiManager::onFrame()
{
    const double guideNow = yake::native::getTime();
    mGuide.update(mGuideClock < 0.0 ? 0.0f : static_cast<float>(guideNow - mGuideClock));
    mGuideClock = guideNow;
    if (CreateCharPage* page = createCharPage()) {
        try {
            page->onFrame();
        } catch (const std::exception& e) {
            guiLog(Severity::Error, "creation page step failed: ", e.what());
        }
    }
    switchScreens();
    const double now = yake::native::getTime();
    mEffect.update(now);
    mDollView.update(now);
    if (auto* rooms = static_cast<RoomListPage*>(page(RoomListPage::kKind)))
        rooms->onFrame(now);
    if (auto* areas = static_cast<AreaPage*>(page(AreaPage::kKind)))
        areas->onFrame(now);
    if (auto* login = static_cast<LoginPage*>(page(LoginPage::kKind)))
        login->onFrame();
    for (auto& shown : mPages)
        if (auto* pictures = dynamic_cast<PortraitPage*>(shown.second.get()))
            pictures->onFrame();
    if (!mAutoLoginArmed || !mDispatcher.find(LoginPage::kLoginEventId))
        return;
    mAutoLoginArmed = false;
    core::BlackBoard* bb = core::BlackBoard::getSingletonPtr();
    if (!bb || !bb->getBool("kavri3D/autoLogin/_act", false))
        return;
    const std::string name = bb->getString("kavri3D/autoLogin/name", "");
    if (name.empty())
        return; // a platform log-in: the hosting launcher brings the player in
    auto* page = static_cast<LoginPage*>(mPages[LoginPage::kKind].get());
    try {
        page->submit(name, bb->getString("kavri3D/autoLogin/password", ""), true);
    } catch (const std::exception& e) {
        guiLog(Severity::Error, "auto-login failed: ", e.what());
    }
}

GuiManager::~GuiManager()
{
    // The game's events stop before the pages they would reach go.
    mFrameworkConnection = boost::signals2::connection();
    mDispatcher.shutdown();
    releaseHandedOver();
    mPages.clear();
}

void GuiManager::connectFramework()
{
    core::EventManager* events = core::EventManager::getSingletonPtr();
    // A destroyed event manager ends its connections, so a new one is subscribed afresh.
    if (!events || mFrameworkConnection.connected())
        return;
    mFrameworkConnection = events->subscribeAll([this](const core::Event& e) { onFrameworkEvent(e); });
}

void GuiManager::shutdown()
{
    mCalls.add("shutdown");
    mFrameworkConnection = boost::signals2::connection();
    mDispatcher.shutdown();
    mQueue.clear();
    mBattleOver.destroyWindow();
    mBattlePanel.destroyWindow();
    mBoxPanel1.destroyWindow();
    mBoxPanel2.destroyWindow();
    mHalfTime.destroyWindow();
    mDollView.destroyWindow();
    releaseHandedOver();
}

void GuiManager::releaseHandedOver()
{
    mWrapper.reset();
    mGuideContent.reset();
    if (CEGUI::ImageManager* images = CEGUI::ImageManager::getSingletonPtr()) {
        for (const std::string& name : mImages) {
            notifyImage(name, false);
            if (images->isDefined(toCeguiString(name)))
                images->destroy(toCeguiString(name));
        }
    }
    mImages.clear();
}

void* GuiManager::getPanelHost(const std::string& name)
{
    return name == "Battle" ? static_cast<IBattlePanelHost*>(&mBattlePanel) : nullptr;
}

IGuiPage* GuiManager::getPage(int kind)
{
    auto it = mPages.find(kind);
    return it == mPages.end() ? nullptr : it->second.get();
}

CEGUI::Window* GuiManager::pageParent() const
{
    if (!CEGUI::WindowManager::getSingletonPtr())
        return nullptr;
    if (CEGUI::Window* w = alive(mRoot))
        return w;
    if (CEGUI::Window* w = alive(mTop))
        return w;
    return CEGUI::System::getSingleton().getDefaultGUIContext().getRootWindow();
}

void GuiManager::setImage(const CEGUI::String& name, CEGUI::Texture* texture)
{
    mCalls.add("setImage");
    CEGUI::ImageManager* images = CEGUI::ImageManager::getSingletonPtr();
    if (!images)
        return;
    try {
        const std::string key = fromCeguiString(name);
        // The pictures let the old image go before it is destroyed.
        notifyImage(key, false);
        if (images->isDefined(name))
            images->destroy(name);
        mImages.erase(key);
        if (!texture)
            return; // the scene took its texture back
        auto& image = static_cast<CEGUI::BasicImage&>(images->create("BasicImage", name));
        image.setTexture(texture);
        image.setArea(CEGUI::Rectf(CEGUI::Vector2f(0, 0), texture->getOriginalDataSize()));
        mImages.insert(key);
        notifyImage(key, true);
    } catch (const std::exception& e) {
        guiLog(Severity::Error, "image ", fromCeguiString(name), " not set: ", e.what());
    }
}

void GuiManager::notifyImage(const std::string& name, bool defined)
{
    for (auto& page : mPages)
        if (auto* pictures = dynamic_cast<PortraitPage*>(page.second.get()))
            pictures->onImage(name, defined);
    // The battle bar is kept from battle to battle outside the pages: its vane must let go of
    // an image before it is destroyed, or the next battle draws it from freed memory.
    mBattlePanel.onImage(name, defined);
    mBoxPanel1.onImage(name, defined);
    mBoxPanel2.onImage(name, defined);
}

std::string GuiManager::shownImage(int kind, const std::string& picture) const
{
    auto it = mPages.find(kind);
    auto* pictures = it == mPages.end() ? nullptr : dynamic_cast<PortraitPage*>(it->second.get());
    return pictures ? pictures->shownImage(picture) : std::string();
}

void GuiManager::showPage(const std::string& name)
{
    mShownPages.push_back(name);
    const Screen* shown = nullptr;
    for (const Screen& s : kScreens)
        if (name == s.name)
            shown = &s;
    if (!shown) {
        guiLog(Severity::Warning, "no screen named ", name);
        return;
    }
    for (auto& page : mPages)
        page.second->setVisible(page.first == shown->kind);
    // Between two stages of a mission: the screen saying which was won and which comes.
    mHalfTime.setVisible(name == "pve_halftime");
    // A screen that comes up asks its loading event for the values it shows, and shows them
    // (the remembered name and its tick on the log-in page).
    if (shown->kind == LoginPage::kKind && mDispatcher.find(LoginPage::kLoadingEventId))
        if (ParamList* values = mDispatcher.fillParams(LoginPage::kLoadingEventId))
            mPages[LoginPage::kKind]->onFilled(LoginPage::kLoadingEventId, *values);
    if (shown->kind == BagPage::kKind)
        static_cast<BagPage*>(mPages[BagPage::kKind].get())->onShown();
    if (shown->kind == ForgePage::kKind)
        static_cast<ForgePage*>(mPages[ForgePage::kKind].get())->onShown();
    if (shown->kind == PlayerPage::kKind)
        static_cast<PlayerPage*>(mPages[PlayerPage::kKind].get())->onShown();
}

GuiPage* GuiManager::page(int kind) const
{
    auto it = mPages.find(kind);
    return it == mPages.end() ? nullptr : it->second.get();
}

void GuiManager::onRaised(int eventId)
{
    // The ids the game raises when the area, the hall, leaving the hall and the room come on screen.
    if (eventId == EventId::AreaEntered || eventId == EventId::HallEntered || eventId == EventId::HallLeft ||
        eventId == EventId::PersonalRoomEntered)
        mScreenIds.push_back(eventId);
}

void GuiManager::switchScreens()
{
    std::vector<int> ids;
    ids.swap(mScreenIds);
    for (int id : ids) {
        try {
            if (id == EventId::AreaEntered) {
                showPage("area");
                static_cast<AreaPage*>(page(AreaPage::kKind))->load(yake::native::getTime());
            } else if (id == EventId::PersonalRoomEntered) {
                showRoom();
            } else {
                showHall(id == EventId::HallEntered);
            }
        } catch (const std::exception& e) {
            guiLog(Severity::Error, "screen for ", id, " not shown: ", e.what());
        }
    }
}

void GuiManager::showHall(bool shown)
{
    auto* rooms = static_cast<RoomListPage*>(page(RoomListPage::kKind));
    auto* online = static_cast<OnlinePage*>(page(OnlinePage::kKind));
    if (!shown) {
        rooms->close();
        rooms->setVisible(false);
        online->setVisible(false);
        return;
    }
    for (auto& p : mPages)
        p.second->setVisible(p.first == RoomListPage::kKind || p.first == OnlinePage::kKind);
    mShownPages.push_back("hall");
    const ParamNode* name = mParams.find(mParams.handle(LoginPage::kKind), "username");
    const std::string* player = name ? boost::any_cast<std::string>(&name->value) : nullptr;
    // The hall names the player by the character's nickname, as everyone else's lines do.
    std::string nickname;
    if (ParamList* attributes = mDispatcher.fillParams(PlayerPage::kAttrEventId))
        for (const ParamNode* n : *attributes)
            if (const auto* role = n && n->name == "currentRole" ? boost::any_cast<RoleAttr>(&n->value) : nullptr)
                nickname = role->pc_nickname;
    online->open();
    rooms->open(player ? *player : std::string(), nickname, yake::native::getTime());
    refreshOwnAttributes();
}

void GuiManager::showRoom()
{
    auto* hall = static_cast<RoomListPage*>(page(RoomListPage::kKind));
    auto* room = static_cast<RoomPage*>(page(RoomPage::kKind));
    const std::string zone = hall->zoneName();
    hall->close();
    for (auto& p : mPages)
        p.second->setVisible(p.first == RoomPage::kKind);
    mShownPages.push_back("room");
    const ParamNode* name = mParams.find(mParams.handle(LoginPage::kKind), "username");
    const std::string* player = name ? boost::any_cast<std::string>(&name->value) : nullptr;
    room->open(player ? *player : std::string(), zone);
    refreshOwnAttributes();
}

void GuiManager::setRenderSwitch(bool on)
{
    mCalls.add("setRenderSwitch");
    mRenderSwitch = on;
}

void GuiManager::setWrapper(IGuiWrapper* wrapper)
{
    if (wrapper != mWrapper.get())
        mWrapper.reset(wrapper); // each log-in hands a new one; the last one is done with
}

GuiAnyEvent* GuiManager::createAnyEvent(int eventId)
{
    if (eventId < 1 || eventId > kLastEventId) {
        guiLog(Severity::Warning, "no GUI event ", eventId);
        return nullptr;
    }
    return new GuiAnyEvent(eventId);
}

void GuiManager::onFrameworkEvent(const core::Event& event)
{
    const auto* any = dynamic_cast<const GuiAnyEvent*>(&event);
    if (!any)
        return; // land, doll and other framework events are not the GUI's
    try {
        const int id = any->getId();
        if (!mDispatcher.find(id)) {
            guiLog(Severity::Warning, "GUI event ", id, " arrived with no event registered for it");
            return;
        }
        mParams.clear(ParamStore::kAgentSlot);
        if (yake::ConfigurationPtr config = any->params.getConfiguration()) {
            const std::string& section = any->params.getSection();
            const yake::Configuration::Tree* branch = &config->tree();
            if (!section.empty()) {
                auto child = config->tree().get_child_optional(yake::Configuration::path(section));
                branch = child ? &*child : nullptr;
            }
            for (const auto& entry : branch ? *branch : yake::Configuration::Tree()) {
                // "_evt" names the event; "<xmlattr>" and the like are XML bookkeeping.
                if (entry.first == "_evt" || entry.first.empty() || entry.first[0] == '<')
                    continue;
                ParamNode node;
                node.name = entry.first;
                node.value = entry.second.data();
                node.size = static_cast<std::int32_t>(entry.second.data().size());
                node.type = ParamNode::String;
                mParams.set(ParamStore::kAgentSlot, node);
            }
        }
        mDispatcher.callback(id, mParams.handle(ParamStore::kAgentSlot));
        mParams.clear(ParamStore::kAgentSlot);
    } catch (const std::exception& e) {
        guiLog(Severity::Error, "GUI event ", any->getId(), " not carried out: ", e.what());
    }
}

void GuiManager::playFlash(const std::string& file, int width, int height, float seconds)
{
    mCalls.add("playFlash");
    mCalls.add("playFlash " + file);
    guiLog(Severity::Warning, "no Flash player: ", file, " (", width, "x", height, ", ", seconds, " s) not played");
}

void GuiManager::refreshOwnAttributes()
{
    showOwnAttributes();
    // A battle's awards and anything bought since are the server's: asked again, they come
    // back through the attribute event's refill.
    if (mDispatcher.find(PlayerPage::kAttrEventId))
        mDispatcher.callback(PlayerPage::kAttrEventId, mParams.handle(PlayerPage::kKind));
}

void GuiManager::showOwnAttributes(ParamList* attributes)
{
    if (!attributes && mDispatcher.find(PlayerPage::kAttrEventId))
        attributes = mDispatcher.fillParams(PlayerPage::kAttrEventId);
    if (!attributes)
        return;
    for (const ParamNode* n : *attributes)
        if (const auto* role = n && n->name == "currentRole" ? boost::any_cast<RoleAttr>(&n->value) : nullptr) {
            // The hall and the room show what the player holds now: a battle's awards come
            // back while they are up.
            const std::string line = PlayerPage::headerLine(*role);
            for (int kind : {RoomListPage::kKind, RoomPage::kKind})
                if (GuiPage* p = page(kind))
                    p->setTitleNote(line);
        }
}

void GuiManager::onFilled(int eventId, ParamList* params)
{
    if (!params)
        return;
    if (eventId == PlayerPage::kRefreshEventId || eventId == PlayerPage::kAttrEventId)
        showOwnAttributes(eventId == PlayerPage::kAttrEventId ? params : nullptr);
    for (auto& page : mPages) {
        try {
            page.second->onFilled(eventId, *params);
        } catch (const std::exception& e) {
            guiLog(Severity::Error, "page ", page.first, " could not show event ", eventId, ": ", e.what());
        }
    }
}

} // namespace gui
} // namespace zrk
} // namespace kavri3D
