// The hall's and the room's pages over a headless CEGUI with fake events: the create form's
// choices and the refusals it says, the hall's chat heard from the zone it shows, a room of
// any kind told by its own ids, any seat picked by a click in its cell, a mission's stages on
// its arrows, the title bar after a purchase and lines that fit their letters.
#include <CEGUI/CEGUI.h>
#include <boost/any.hpp>
#include <core/GuiSystem.h>
#include <gui/EventId.h>
#include <gui/IEventDispatcher.h>
#include <gui/IGuiAnimator.h>
#include <gui/IGuiPage.h>
#include <gui/MapInfList.h>
#include <gui/PlayerCard.h>
#include <gui/Room.h>
#include <memory>

#include "PluginFixture.h"
#include "support/LabelFit.h"

using namespace kavri3D::zrk;
namespace ids = kavri3D::zrk::gui::EventId;

namespace {

gui::ParamNode node(const char* name, const boost::any& value)
{
    gui::ParamNode n;
    n.name = name;
    n.value = value;
    return n;
}

std::string text(CEGUI::Window* w) { return w->getText().c_str(); }

void press(CEGUI::Window* button)
{
    CEGUI::WindowEventArgs args(button);
    button->fireEvent(CEGUI::PushButton::EventClicked, args, CEGUI::PushButton::EventNamespace);
}

/// A left click of the pointer in the middle of the window, as the GUI context takes it.
void clickInside(CEGUI::Window* w)
{
    const CEGUI::Rectf r = w->getUnclippedOuterRect().get();
    CEGUI::GUIContext& gui = CEGUI::System::getSingleton().getDefaultGUIContext();
    gui.injectMousePosition(r.left() + r.getWidth() / 2, r.top() + r.getHeight() / 2);
    gui.injectMouseButtonDown(CEGUI::LeftButton);
    gui.injectMouseButtonUp(CEGUI::LeftButton);
}

struct HallAndRoomPages : ::testing::Test {
    std::unique_ptr<kavri3D::core::GuiSystem> ceguiSystem = kavri3D::core::GuiSystem::createHeadless(1024, 768);
    zrktest::EventTally tally;
    ZRKGuiLoader loader;
    gui::IGuiManager* manager = nullptr;
    std::vector<std::unique_ptr<gui::ParamNode>> owned;

    void SetUp() override
    {
        loader.loadFrom(zrktest::pluginPath("ZRK_Gui").c_str());
        ASSERT_TRUE(loader.createGuiManager(&manager));
        manager->setRootWindow(ceguiSystem->getRootWindow());
    }
    gui::IEventDispatcher& events() { return *manager->getEventDispatcher(); }
    zrktest::FakeEvent* add(int id)
    {
        auto* e = new zrktest::FakeEvent(id, tally);
        events().registerEvent(e);
        return e;
    }
    /// What the event hands out from now on.
    void values(zrktest::FakeEvent* e, std::vector<gui::ParamNode> nodes)
    {
        e->onFill = [this, nodes](gui::ParamList& list) {
            list.clear();
            for (const gui::ParamNode& n : nodes) {
                owned.push_back(std::make_unique<gui::ParamNode>(n));
                list.push_back(owned.back().get());
            }
        };
    }
    template <class T> T param(int kind, const char* name, gui::ParamHandle h)
    {
        gui::ParamNode* n = manager->getPage(kind)->getParam(name, h);
        const T* v = n ? boost::any_cast<T>(&n->value) : nullptr;
        return v ? *v : T();
    }
    /// The page comes up as the game tells it (its id), on the GUI's next frame.
    void comeUp(int id)
    {
        events().raise(id);
        manager->getAnimator()->update(0.f);
    }
};

gui::MapInfList map(int id, const std::string& name, std::vector<int> stages = {})
{
    gui::MapInfList m;
    m.mapId = id;
    m.name = name;
    m.spare = std::move(stages);
    return m;
}

} // namespace

TEST_F(HallAndRoomPages, TheCreateFormOffersTheHallsModesOnTheirFirstMapAndSaysWhyARoomWasRefused)
{
    const int hallKind = 8;
    int askedMode = -1;
    auto* maps = add(ids::MapList);
    maps->onCallback = [&](gui::ParamHandle h) {
        askedMode = param<int>(hallKind, "mode", h);
        values(maps,
               {node("maps", askedMode == 9 ? std::vector<gui::MapInfList>{map(201, "Training Fort", {1, 2, 3})}
                                            : std::vector<gui::MapInfList>{map(1, "Green Hills"), map(3, "Far")})});
        events().raise(askedMode == 9 ? ids::PveMapList : ids::MapList);
    };
    std::vector<std::string> sent;
    auto* create = add(ids::RoomCreate);
    create->onCallback = [&](gui::ParamHandle h) {
        sent.push_back(
            std::to_string(param<int>(hallKind, "mode", h)) + " " + param<std::string>(hallKind, "place", h) + " " +
            std::to_string(param<int>(hallKind, "mebMax", h)) + " " + param<std::string>(hallKind, "title", h));
    };
    CEGUI::Window* hall = manager->getPage(hallKind)->getRootWindow();
    ASSERT_NE(hall, nullptr);
    comeUp(ids::HallEntered);
    // Labelled choices, named as the hall's list names the modes; nothing typed as a number.
    const std::pair<const char*, const char*> modes[] = {
        {"Mode1", "Team"}, {"Mode2", "Duel"}, {"Mode3", "Melee"}, {"Mode8", "Arena"}, {"Mode9", "Mission"}};
    for (const auto& m : modes)
        EXPECT_EQ(text(hall->getChild(m.first)), m.second);
    for (const char* label : {"ModeLabel", "SeatsLabel", "TitleLabel", "NewPasswordLabel", "JoinPasswordLabel"})
        EXPECT_FALSE(text(hall->getChild(label)).empty()) << label;
    EXPECT_EQ(zrktest::clippedLabels(hall), std::vector<std::string>{});
    EXPECT_FALSE(hall->isChild("NewMode"));
    EXPECT_FALSE(hall->isChild("NewSeats"));
    EXPECT_TRUE(static_cast<CEGUI::RadioButton*>(hall->getChild("Mode1"))->isSelected());
    EXPECT_TRUE(static_cast<CEGUI::RadioButton*>(hall->getChild("Seats8"))->isSelected());

    press(hall->getChild("Create"));
    static_cast<CEGUI::RadioButton*>(hall->getChild("Mode9"))->setSelected(true);
    static_cast<CEGUI::RadioButton*>(hall->getChild("Seats2"))->setSelected(true);
    EXPECT_FALSE(static_cast<CEGUI::RadioButton*>(hall->getChild("Mode1"))->isSelected());
    press(hall->getChild("Create"));
    // A mission opens on its stages' map; the others on the mode's first map.
    EXPECT_EQ(sent, (std::vector<std::string>{"1 1 8 My room", "9 201 2 My room"}));

    // Refused (in an arena zone the answer is 22): the server's words under the form; a room
    // opened says nothing.
    values(create, {node("room_error", std::string("The password may hold up to 16 letters and digits."))});
    events().raise(ids::ArenaRoomCreate);
    EXPECT_EQ(text(hall->getChild("CreateNote")), "The password may hold up to 16 letters and digits.");
    events().raise(ids::RoomCreate);
    EXPECT_EQ(text(hall->getChild("CreateNote")), "The password may hold up to 16 letters and digits.");
    values(create, {node("room_id", 4), node("room_name", std::string("plains_4")), node("mode", 9)});
    events().raise(ids::RoomCreate);
    EXPECT_EQ(text(hall->getChild("CreateNote")), "");
    EXPECT_FALSE(hall->getChild("Create")->isEffectiveDisabled());
}

TEST_F(HallAndRoomPages, TheHallHearsTheZoneItShowsAndComesBackWithoutAnOldQuickJoin)
{
    auto* loading = add(ids::HallRoomListLoading); // an arena: the zone is told once it answered
    std::vector<std::string> heard;
    auto* listen = add(ids::ChatMsgListen);
    listen->onCallback = [&](gui::ParamHandle h) {
        heard.push_back(param<std::string>(8, "currentrid", h) + " " + param<std::string>(8, "cry_name", h));
    };
    auto* quick = add(ids::FastJoin);
    gui::Room found;
    found.title = "Quick match";
    found.lv = 9;
    values(quick, {node("room_lst", std::vector<gui::Room>{found})});
    CEGUI::Window* hall = manager->getPage(8)->getRootWindow();
    comeUp(ids::HallEntered);
    EXPECT_TRUE(heard.empty()); // no zone known yet: nothing is listened to
    values(loading, {node("zone_name", std::string("arena"))});
    events().raise(ids::HallRoomListLoading);
    EXPECT_EQ(heard, std::vector<std::string>{"arena arena_cry"});
    EXPECT_EQ(text(hall), "Rooms of arena");

    events().raise(ids::FastJoin);
    auto* rows = static_cast<CEGUI::MultiColumnList*>(hall->getChild("Found"));
    EXPECT_EQ(rows->getRowCount(), 1u);
    // A refused match offers nothing and says why.
    values(quick, {node("room_lst", std::vector<gui::Room>{}), node("room_error", std::string("Not now."))});
    events().raise(ids::FastJoin);
    EXPECT_EQ(rows->getRowCount(), 0u);
    EXPECT_EQ(text(hall->getChild("QuickJoinNote")), "Not now.");
    values(quick, {node("room_lst", std::vector<gui::Room>{found})});
    events().raise(ids::FastJoin);
    // The zone's talk, before and while the player is in one of its rooms.
    auto say = [&](const std::string& who, const std::string& what) {
        values(listen, {node("json", "{\"Sender\":{\"uname\":\"" + who + "\"},\"Content\":\"" + what + "\"}")});
        events().raise(ids::ChatMsgListen);
    };
    auto* chat = static_cast<CEGUI::Listbox*>(hall->getChild("Chat"));
    auto lines = [&] {
        std::vector<std::string> out;
        for (std::size_t i = 0; i < chat->getItemCount(); ++i)
            out.push_back(chat->getListboxItemFromIndex(i)->getText().c_str());
        return out;
    };
    say("Gale", "who plays?");
    // Back from a room: what the hall found before is gone; what the zone said is there, also
    // what was said while he was away.
    comeUp(ids::PersonalRoomEntered);
    say("Flint", "gg");
    comeUp(ids::HallEntered);
    EXPECT_EQ(rows->getRowCount(), 0u);
    EXPECT_EQ(text(hall->getChild("QuickJoinNote")), "");
    EXPECT_EQ(lines(), (std::vector<std::string>{"Gale: who plays?", "Flint: gg"}));
    // Out of the zone and into it again: its last lines are told anew, not kept twice.
    add(ids::HallEixt);
    press(hall->getChild("Leave"));
    comeUp(ids::HallEntered);
    EXPECT_EQ(lines(), std::vector<std::string>{});
    say("Gale", "who plays?");
    EXPECT_EQ(lines(), std::vector<std::string>{"Gale: who plays?"});
    // Another zone's hall does not show this one's talk.
    values(loading, {node("zone_name", std::string("plains"))});
    events().raise(ids::HallRoomListLoading);
    EXPECT_EQ(lines(), std::vector<std::string>{});
}

TEST_F(HallAndRoomPages, AMissionRoomIsToldByItsOwnIdsAnySeatIsPickedAndItsArrowsStepThroughTheStages)
{
    const int roomKind = 9;
    auto* listen = add(ids::RoomListen);
    std::vector<gui::PlayerCard> cards(8);
    cards[0].occupied = cards[0].owner = true;
    cards[0].nickname = "Hero";
    auto seats = [&](unsigned stage, const std::string& title) {
        values(listen, {node("players", cards), node("my_pos", 0), node("mode", 9), node("mapid", 201),
                        node("mapidx", stage), node("title", title)});
    };
    seats(0u, "Hero's [b]game[/b]");
    auto* maps = add(ids::MapList);
    values(maps, {node("maps", std::vector<gui::MapInfList>{map(201, "Training Fort", {1, 2, 3})})});
    std::vector<std::string> locks, changes;
    auto* lock = add(ids::PositionLock);
    lock->onCallback = [&](gui::ParamHandle h) {
        locks.push_back(std::to_string(param<int>(roomKind, "pos", h)) +
                        (param<bool>(roomKind, "isLock", h) ? " shut" : " open"));
    };
    auto* change = add(ids::ChangeMap);
    change->onCallback = [&](gui::ParamHandle h) {
        changes.push_back(std::to_string(param<gui::MapInfList>(roomKind, "mapinf", h).mapId) + " " +
                          std::to_string(param<unsigned>(roomKind, "idx", h)));
    };
    auto* attributes = add(ids::PlayerAttrLoading);
    auto* bag = add(ids::PropLoad);
    CEGUI::Window* room = manager->getPage(roomKind)->getRootWindow();
    ASSERT_NE(room, nullptr);
    manager->showPage("room");
    events().raise(ids::PveRoomListen);
    events().raise(ids::PveMapList);
    CEGUI::Window* seatsWindow = room->getChild("Seats");
    EXPECT_NE(text(seatsWindow->getChild("Label_red0")).find("owner"), std::string::npos);
    EXPECT_EQ(text(room->getChild("RoomTitle")), "Hero's \\[b]game\\[/b]"); // as written
    EXPECT_EQ(text(room->getChild("MapName")), "Map: Training Fort, stage 1 of 3");
    EXPECT_FALSE(room->getChild("Lock")->isDisabled());

    // An empty seat is picked by a click on its cell (its line lets the click through), and
    // Lock acts on it; then the owner's own seat, by its picture.
    clickInside(seatsWindow->getChild("Label_blue1"));
    EXPECT_EQ(seatsWindow->getChild("Cell_blue1")->getProperty("FrameEnabled"), "true");
    EXPECT_TRUE(seatsWindow->getChild("Cell_blue1")->isBehind(*seatsWindow->getChild("Label_blue1"))); // still read
    EXPECT_TRUE(room->getChild("PropsPanel")->isInFront(*seatsWindow)); // the props still cover the seats
    press(room->getChild("Lock"));
    clickInside(seatsWindow->getChild("Cell_red2"));
    press(room->getChild("Lock"));
    EXPECT_EQ(seatsWindow->getChild("Cell_blue1")->getProperty("FrameEnabled"), "false");
    EXPECT_EQ(locks, (std::vector<std::string>{"5 shut", "2 shut"}));

    // The arrows step through the map's stages, round.
    press(room->getChild("MapNext"));
    press(room->getChild("MapPrev"));
    seats(1u, "Hero's game");
    events().raise(ids::PveRoomListen);
    EXPECT_EQ(text(room->getChild("MapName")), "Map: Training Fort, stage 2 of 3");
    press(room->getChild("MapNext"));
    EXPECT_EQ(changes, (std::vector<std::string>{"201 1", "201 2", "201 2"}));

    // A purchase brings the strip and the title bar's money again.
    const int fills = tally.callbacks;
    events().raise(ids::PropCheckout);
    EXPECT_EQ(tally.callbacks, fills + 2);
    (void)attributes;
    (void)bag;

    // Every line reads whole, however long the title.
    seats(1u, "An extremely long room title that nobody could ever read in one line of the room page");
    events().raise(ids::PveRoomListen);
    EXPECT_EQ(zrktest::clippedLabels(room), std::vector<std::string>{});
    EXPECT_NE(text(room->getChild("RoomTitle")).find("..."), std::string::npos);
}

TEST_F(HallAndRoomPages, KickAndLockWithNoSeatToActOnSayWhyAndSendNothing)
{
    const int roomKind = 9;
    auto* listen = add(ids::RoomListen);
    std::vector<gui::PlayerCard> cards(8);
    cards[0].occupied = cards[0].owner = true;
    cards[0].nickname = "Hero";
    cards[5].occupied = true;
    cards[5].nickname = "Harrow";
    values(listen, {node("players", cards), node("my_pos", 0), node("mode", 1), node("mapid", 1)});
    std::vector<std::string> said, sent;
    auto* box = add(ids::MessageBoxShow);
    box->onCallback = [&](gui::ParamHandle h) { said.push_back(param<std::string>(roomKind, "arg2", h)); };
    for (int id : {ids::TickPlayer, ids::PositionLock}) {
        auto* e = add(id);
        e->onCallback = [&sent, id, this](gui::ParamHandle h) {
            sent.push_back(std::string(id == ids::TickPlayer ? "kick " : "lock ") +
                           std::to_string(param<int>(roomKind, "pos", h)));
        };
    }
    CEGUI::Window* room = manager->getPage(roomKind)->getRootWindow();
    ASSERT_NE(room, nullptr);
    manager->showPage("room");
    events().raise(ids::RoomListen);
    ASSERT_FALSE(room->getChild("Kick")->isDisabled());

    press(room->getChild("Kick"));
    press(room->getChild("Lock"));
    CEGUI::Window* seats = room->getChild("Seats");
    clickInside(seats->getChild("Label_blue2")); // an empty seat
    press(room->getChild("Kick"));
    EXPECT_EQ(said, (std::vector<std::string>{"Click the seat of the player to put out, then press Kick.",
                                              "Click the seat to shut or open, then press Lock.",
                                              "Nobody sits on that seat: there is nobody to put out."}));
    EXPECT_TRUE(sent.empty());
    // A seat to act on: both go.
    press(room->getChild("Lock"));
    clickInside(seats->getChild("Label_blue1"));
    press(room->getChild("Kick"));
    EXPECT_EQ(sent, (std::vector<std::string>{"lock 6", "kick 5"}));
    EXPECT_EQ(said.size(), 3u);
}
