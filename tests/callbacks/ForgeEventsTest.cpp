// The forge's four events: the exact request texts, one action at a time where the screen
// allows one, the mix's confirmation (confirmed, refused, replaced, answered after the bag
// changed), the values handed to the screen by mode, and the events against the embedded
// server's forge.
#include "EventsFixture.h"

#include <cmath>
#include <core/DialogBoxResult.h>
#include <server/ZRKGameServer.h>
#include <data/ZRKRequestBroker.h>
#include <data/ZRKUserRequest.h>
#include <json/json.h>
#include <lan/ZRKLan.h>
#include <yake/Time.h>

#include "callbacks/EquipEnchaseCallbackEvent.h"
#include "callbacks/EquipEnhanceCallbackEvent.h"
#include "callbacks/EquipMixCallbackEvent.h"
#include "callbacks/RefineCallbackEvent.h"
#include "events/LoginGoEvent.h"

using namespace kavri3D;
using namespace kavri3D::zrk;
using zrktest::EventsFixture;

namespace {

struct ForgeFixture : EventsFixture {
    LoginGoEvent login{page, dispatcher};
    EquipEnhanceCallbackEvent enhance{page, dispatcher};
    RefineCallbackEvent refine{page, dispatcher};
    EquipMixCallbackEvent mix{page, dispatcher};
    EquipEnchaseCallbackEvent enchase{page, dispatcher};
    boost::shared_ptr<zrktest::RecordingState> logon, room;

    ForgeFixture() { standAtLogOn(logon, room); }
    void logIn()
    {
        logInWith(login, "hero", "hero123");
        ASSERT_EQ(machine().currentStateName(), "room");
        control->clearRaised();
        broker().clearHistory();
    }
    static ZRKRequestBroker& broker() { return ZRKRequestBroker::getSingleton(); }
    /// The texts of the forge's requests sent since the last look, "op text".
    std::vector<std::string> sent()
    {
        std::vector<std::string> out;
        for (const ZRKRequestInfo& r : broker().history())
            if (r.kind == "ZRKEnhanceRequest")
                out.push_back(r.op + " " + r.params);
        broker().clearHistory();
        return out;
    }
    void set(std::initializer_list<std::pair<const char*, boost::any>> values)
    {
        control->clearPageParams(kLogin);
        for (const auto& v : values)
            setParam(v.first, v.second);
    }
    void hangForge()
    {
        for (const char* op : {"queryIfEnhance", "queryEnhance", "queryIfRefine", "queryRefine", "queryIfMix",
                               "queryMix", "queryIfEnchase", "queryEnchase"})
            session->getGameServer()->setModeFor(op, ZRKGameServer::Hang);
    }
    /// The names of the nodes handed out, in order.
    static std::vector<std::string> names(gui::ParamList* list)
    {
        std::vector<std::string> out;
        for (gui::ParamNode* n : *list)
            out.push_back(n->name);
        return out;
    }
    static const gui::ParamNode* node(gui::ParamList* list, const std::string& name)
    {
        for (gui::ParamNode* n : *list)
            if (n->name == name)
                return n;
        return nullptr;
    }
    template <class T> static T value(gui::ParamList* list, const std::string& name)
    {
        const gui::ParamNode* n = node(list, name);
        const T* v = n ? boost::any_cast<T>(&n->value) : nullptr;
        return v ? *v : T();
    }
    /// slot -> (item, count, level) of hero's bag as the server answered last.
    std::map<int, std::array<int, 3>> bag()
    {
        ZRKUserRequest::queryUserInventory(0, [](bool, const std::string&) {});
        frames(3);
        std::map<int, std::array<int, 3>> out;
        for (const core::XmlConfigHelper& i : ZRKUserRequest::getInventory()->items())
            out[i.getIntVal("pci_slot", 0)] = {i.getIntVal("i_id", 0), i.getIntVal("pci_num", 0),
                                               i.getIntVal("pci_lv", 0)};
        return out;
    }
    std::vector<int> raised() const { return control->raisedIds(); }
};

// The coat, its stones and the mixes of hero's bag.
const int kCoat = 65, kCannon = 66, kScoutCoat = 67, kStones = 68, kFineStones = 69, kLuck = 70, kSafety = 71;
const int kRuby = 75, kSapphire = 76;

} // namespace

TEST_F(ForgeFixture, EnhanceTextsKeepEmptyListsAndOnlyThePerformCarriesTheSafetyStone)
{
    logIn();
    hangForge();
    set({{"flags", 2}, {"stones", std::vector<int>{3, 4}}, {"prosym", 7}, {"luksym", -1}, {"pciid", 12}});
    act(enhance);
    set({{"flags", 1}, {"stones", std::vector<int>{3, 4}}, {"prosym", 7}, {"luksym", 9}, {"pciid", 12}});
    act(enhance);
    set({{"flags", 2}, {"stones", std::vector<int>{5}}, {"prosym", -1}, {"luksym", -1}, {"pciid", 12}});
    act(enhance); // no busy guard: a second click is a second request
    EXPECT_EQ(sent(),
              (std::vector<std::string>{"queryEnhance {eh_stone:[3,4],luck_stone:[],pci_slot:12,safe_stone:[7]}\n",
                                        "queryIfEnhance {eh_stone:[3,4],luck_stone:[9],pci_slot:12}\n",
                                        "queryEnhance {eh_stone:[5],luck_stone:[],pci_slot:12,safe_stone:[]}\n"}));
    EXPECT_EQ(enhance.mode(), 2);

    // No stones, another mode, a missing or mistyped parameter: nothing goes out.
    set({{"flags", 1}, {"stones", std::vector<int>{}}, {"prosym", -1}, {"luksym", -1}, {"pciid", 12}});
    act(enhance);
    EXPECT_EQ(enhance.mode(), 1); // the mode is taken first
    set({{"flags", 3}, {"stones", std::vector<int>{1}}, {"prosym", -1}, {"luksym", -1}, {"pciid", 12}});
    act(enhance);
    set({{"flags", 1}, {"stones", std::vector<int>{1}}, {"prosym", -1}, {"luksym", -1}});
    act(enhance);
    set({{"flags", 1}, {"stones", std::vector<int>{1}}, {"prosym", -1}, {"luksym", std::string("-1")}, {"pciid", 12}});
    act(enhance);
    EXPECT_TRUE(sent().empty());
    EXPECT_EQ(log.countCaptured("EquipEnhanceCallbackEvent", "pciid paramNode is null"), 1u);
    EXPECT_EQ(log.countCaptured("EquipEnhanceCallbackEvent", ""), 2u);
}

TEST_F(ForgeFixture, RefineSendsThreeMetalsOneAtATimeAndOtherModesLeaveItReady)
{
    logIn();
    hangForge();
    for (std::vector<int> metals : {std::vector<int>{1, 2}, std::vector<int>{1, 2, 3, 4}}) {
        set({{"flags", 1}, {"stones", metals}, {"luk_slot", -1}});
        act(refine);
    }
    EXPECT_TRUE(sent().empty());
    EXPECT_FALSE(refine.busy());
    set({{"flags", 5}, {"stones", std::vector<int>{1, 2, 3}}, {"luk_slot", -1}});
    act(refine);
    EXPECT_FALSE(refine.busy()); // nothing went out, nothing to wait for
    set({{"flags", 1}, {"stones", std::vector<int>{72, 73, 74}}, {"luk_slot", kLuck}});
    act(refine);
    EXPECT_TRUE(refine.busy());
    set({{"flags", 2}, {"stones", std::vector<int>{72, 73, 74}}, {"luk_slot", -1}});
    act(refine); // ignored while the first is out
    EXPECT_EQ(sent(), std::vector<std::string>{"queryIfRefine {luck_stone:[70],metal:[72,73,74]}\n"});
    refine.fillParams(); // the screen read the result: ready again, whether or not a reply came
    EXPECT_FALSE(refine.busy());
    act(refine);
    EXPECT_EQ(sent(), std::vector<std::string>{"queryRefine {luck_stone:[],metal:[72,73,74]}\n"});
}

TEST_F(ForgeFixture, EnchaseSendsTheItemAndExactlyFiveEntries)
{
    logIn();
    hangForge();
    for (std::vector<int> stones : {std::vector<int>{1, 2, 3, 4}, std::vector<int>{1, 2, 3, 4, 5, 6}}) {
        set({{"flags", 1}, {"equip_slot", kCoat}, {"stones", stones}});
        act(enchase);
    }
    EXPECT_TRUE(sent().empty());
    set({{"flags", 1}, {"equip_slot", kCoat}, {"stones", std::vector<int>{0, kRuby, -1, 0, 0}}});
    act(enchase);
    act(enchase); // busy
    EXPECT_EQ(sent(), std::vector<std::string>{"queryIfEnchase [65,0,75,-1,0,0]\n"});
    enchase.fillParams();
    set({{"flags", 2}, {"equip_slot", kCoat}, {"stones", std::vector<int>{0, kRuby, -1, 0, 0}}});
    act(enchase);
    EXPECT_EQ(sent(), std::vector<std::string>{"queryEnchase [65,0,75,-1,0,0]\n"});
}

TEST_F(ForgeFixture, TheMixAsksFirstAndPerformsOnlyWhatWasAskedOnTheBagItWasAskedOn)
{
    logIn();
    hangForge();
    auto askMix = [this](int flags, int luck = -1) {
        set({{"flags", flags}, {"equip_slot", kCoat}, {"mix_type", 1}, {"op_slot", kScoutCoat}, {"luk_slot", luck}});
        act(mix);
    };
    set({{"flags", 1}, {"equip_slot", kCoat}, {"mix_type", 0}, {"op_slot", kScoutCoat}, {"luk_slot", -1}});
    act(mix);
    EXPECT_TRUE(sent().empty());
    EXPECT_FALSE(mix.busy());
    askMix(1);
    EXPECT_EQ(sent(), std::vector<std::string>{"queryIfMix [65,1,67,-1]\n"}); // -1 fourth
    askMix(2);
    EXPECT_TRUE(sent().empty()); // busy
    mix.fillParams();
    askMix(2, kLuck);
    EXPECT_EQ(sent(), std::vector<std::string>{"queryMix [65,1,67,70]\n"});
    mix.fillParams();

    // Refused: nothing sent, ready again.
    askMix(3);
    const core::Frame::BoxRecord* box = frame.getOpenMessageBox();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->titleKey, "warning/title");
    EXPECT_EQ(box->textKey, "warning/mix_cfm");
    EXPECT_EQ(box->style, 3);
    EXPECT_EQ(box->type, 9);
    EXPECT_EQ(box->width, 300);
    EXPECT_EQ(box->height, 150);
    EXPECT_EQ(mix.mode(), 2);
    EXPECT_TRUE(mix.busy());
    askMix(1); // one at a time: the box is open
    EXPECT_TRUE(sent().empty());
    ASSERT_TRUE(frame.pressMessageBoxButton(1));
    EXPECT_FALSE(mix.busy());
    EXPECT_TRUE(sent().empty());

    // Replaced by another box: closed unanswered counts as refused.
    askMix(3);
    frame.messageBox("warning/title", "warning/quit", 1, 9, 300, 150);
    EXPECT_FALSE(mix.busy());
    frame.cancelMessageBox();

    // The bag changed under the open box: nothing mixed.
    askMix(3);
    core::XmlConfigHelper sort;
    sort.setIntVal("slot_from", 61);
    sort.setIntVal("slot_to", 77);
    ZRKUserRequest::changeSlot(sort, [](bool, const std::string&) {});
    frames(3);
    log.stopCapture();
    log.startCapture();
    ASSERT_TRUE(frame.pressMessageBoxButton(0));
    EXPECT_TRUE(sent().empty());
    EXPECT_FALSE(mix.busy());
    EXPECT_EQ(log.countCaptured("EquipMixCallbackEvent", "the bag changed while the mix was asked: nothing mixed"), 1u);
    // ... and said on the screen: the page that waits gets its answer.
    ASSERT_FALSE(raised().empty());
    EXPECT_EQ(raised().back(), 109);
    EXPECT_TRUE(value<bool>(mix.fillParams(), "error"));
    EXPECT_EQ(value<std::string>(mix.fillParams(), "msg"), ZRKLan::getMsg("forge/bag_changed"));

    // Confirmed: the text bound when the box opened goes, even after the page changed.
    askMix(3, kLuck);
    set({{"flags", 1}, {"equip_slot", 1}, {"mix_type", 2}, {"op_slot", 2}, {"luk_slot", -1}});
    ASSERT_TRUE(frame.pressMessageBoxButton(0));
    EXPECT_EQ(sent(), std::vector<std::string>{"queryMix [65,1,67,70]\n"});
    EXPECT_TRUE(mix.busy());
    EXPECT_EQ(value<int>(mix.fillParams(), "flag"), 2);
}

TEST_F(ForgeFixture, NodesComeByModeInOrderWithTheirTypesAndDefaults)
{
    // Before any action: the three that every mode gives.
    for (ForgeEvent* e : std::vector<ForgeEvent*>{&enhance, &refine, &mix, &enchase}) {
        gui::ParamList* list = e->fillParams();
        EXPECT_EQ(names(list), (std::vector<std::string>{"error", "msg", "val"}));
        EXPECT_EQ(value<bool>(list, "error"), false);
        EXPECT_EQ(value<std::string>(list, "msg"), "");
        EXPECT_EQ(value<int>(list, "val"), 0);
        EXPECT_EQ((*list)[0]->size, 0);
        EXPECT_EQ((*list)[0]->type, 0);
    }
    logIn();
    set({{"flags", 1}, {"stones", std::vector<int>{kStones}}, {"prosym", -1}, {"luksym", -1}, {"pciid", kCoat}});
    act(enhance);
    set({{"flags", 1}, {"stones", std::vector<int>{72, 73, 74}}, {"luk_slot", -1}});
    act(refine);
    set({{"flags", 1}, {"equip_slot", kCoat}, {"mix_type", 1}, {"op_slot", kScoutCoat}, {"luk_slot", -1}});
    act(mix);
    set({{"flags", 1}, {"equip_slot", kCoat}, {"stones", std::vector<int>{0, kRuby, kSapphire, 0, 0}}});
    act(enchase);
    frames(3);
    for (int id : {107, 108, 109, 110})
        EXPECT_EQ(count(raised(), id), 1u) << id;

    gui::ParamList* e = enhance.fillParams();
    EXPECT_EQ(names(e), (std::vector<std::string>{"can", "flag", "money", "rate", "rate1", "rate2", "rate3", "error",
                                                  "msg", "val"}));
    EXPECT_TRUE(value<bool>(e, "can"));
    EXPECT_EQ(value<int>(e, "money"), 200);
    EXPECT_NEAR(value<float>(e, "rate1"), 0.75f, 1e-6);
    EXPECT_FLOAT_EQ(value<float>(e, "rate"), value<float>(e, "rate1"));
    EXPECT_NEAR(value<float>(e, "rate3"), 0.25f, 1e-6); // the coat is at 2: a failure loses one
    EXPECT_EQ(value<int>(e, "val"), 3);

    gui::ParamList* r = refine.fillParams();
    EXPECT_EQ(names(r), (std::vector<std::string>{"flag", "can", "desc", "money", "rate", "rate1", "rate2", "rate3",
                                                  "error", "msg", "val"}));
    EXPECT_EQ(value<std::string>(r, "desc"), "Steel Ingot");
    EXPECT_NEAR(value<float>(r, "rate1"), 0.8f, 1e-6);

    gui::ParamList* m = mix.fillParams();
    EXPECT_EQ(names(m), (std::vector<std::string>{"flag", "can", "money", "rate", "rate_f", "rate1", "rate2", "rate3",
                                                  "error", "msg", "val"}));
    EXPECT_EQ(value<int>(m, "rate_f"), 60);
    EXPECT_TRUE(node(m, "rate_f")->value.type() == typeid(int));
    EXPECT_TRUE(node(m, "rate1")->value.type() == typeid(float));

    gui::ParamList* c = enchase.fillParams();
    EXPECT_EQ(names(c), (std::vector<std::string>{"flag", "can", "money", "ecf", "error", "msg", "val"}));
    EXPECT_EQ(value<std::string>(c, "ecf"), "strength +2, vitality +3");
    EXPECT_EQ(value<int>(c, "money"), 160);

    // A view of the wrong types or not finite: the defaults, never a throw.
    Json::Value views;
    views["forge/ifEnhance"]["can"] = "perhaps";
    views["forge/ifEnhance"]["rate1"] = "nan";
    views["forge/ifEnhance"]["rate2"] = "inf";
    views["forge/ifEnhance"]["money"] = "lots";
    views["forge/ifEnhance"]["nValue"] = Json::Value(Json::arrayValue);
    ZRKGameData::getSingleton().applyViews(views);
    e = enhance.fillParams();
    EXPECT_FALSE(value<bool>(e, "can"));
    EXPECT_EQ(value<float>(e, "rate1"), 0.0f);
    EXPECT_EQ(value<float>(e, "rate2"), 0.0f);
    EXPECT_EQ(value<int>(e, "money"), 0);
    EXPECT_EQ(value<int>(e, "val"), 0);

    // Mode 2 gives the flag, refine its slot, then the three.
    set({{"flags", 2}, {"stones", std::vector<int>{72, 73, 74}}, {"luk_slot", -1}});
    act(refine);
    frames(3);
    r = refine.fillParams();
    EXPECT_EQ(names(r), (std::vector<std::string>{"flag", "slot", "error", "msg", "val"}));
    EXPECT_EQ(value<int>(r, "flag"), 2);
}

TEST_F(ForgeFixture, FailedHangingOrGarbledRepliesStillRaiseAndShowDefaultsAndALateReplyReachesNothing)
{
    logIn();
    for (ZRKGameServer::Mode mode : {ZRKGameServer::Fail, ZRKGameServer::Garbage}) {
        session->getGameServer()->setModeFor("queryIfRefine", mode);
        control->clearRaised();
        set({{"flags", 1}, {"stones", std::vector<int>{72, 73, 74}}, {"luk_slot", -1}});
        act(refine);
        frames(3);
        EXPECT_EQ(count(raised(), 108), 1u) << ZRKGameServer::modeName(mode);
        gui::ParamList* r = refine.fillParams();
        EXPECT_FALSE(refine.busy());
        if (mode == ZRKGameServer::Fail) {
            EXPECT_TRUE(value<bool>(r, "error"));
            EXPECT_FALSE(value<std::string>(r, "msg").empty());
            EXPECT_FALSE(value<bool>(r, "can"));
        }
    }
    session->getGameServer()->clearModes();
    // A refusal of the server: its readable text, and nothing changed.
    const auto before = bag();
    set({{"flags", 2},
         {"stones", std::vector<int>{kFineStones, kFineStones, kFineStones}},
         {"prosym", -1},
         {"luksym", -1},
         {"pciid", kCoat}});
    act(enhance);
    frames(3);
    gui::ParamList* e = enhance.fillParams();
    EXPECT_TRUE(value<bool>(e, "error"));
    EXPECT_EQ(value<std::string>(e, "msg"), text("forge/twice"));
    EXPECT_EQ(bag(), before);

    // Hanging until the broker gives up: raised once, with the defaults.
    broker().setTimeout(1.0);
    session->getGameServer()->setModeFor("queryIfMix", ZRKGameServer::Hang);
    control->clearRaised();
    set({{"flags", 1}, {"equip_slot", kCoat}, {"mix_type", 1}, {"op_slot", kScoutCoat}, {"luk_slot", -1}});
    yake::native::setManualClock(true);
    yake::native::setTime(100.0);
    act(mix);
    frames(3);
    EXPECT_TRUE(raised().empty());
    EXPECT_TRUE(mix.busy());
    yake::native::advanceTime(2.0);
    frames(3);
    yake::native::setManualClock(false);
    EXPECT_EQ(count(raised(), 109), 1u);
    gui::ParamList* m = mix.fillParams();
    EXPECT_TRUE(value<bool>(m, "error"));
    EXPECT_EQ(value<std::string>(m, "msg"), ZRKRequestBroker::timeoutText());
    EXPECT_EQ(value<int>(m, "rate_f"), 0);
    EXPECT_FALSE(mix.busy());
    broker().setTimeout(30.0);
    session->getGameServer()->clearModes();

    // The event goes while its request is out: the reply reaches nothing.
    sent();
    control->clearRaised();
    {
        RefineCallbackEvent passing(page, dispatcher);
        set({{"flags", 1}, {"stones", std::vector<int>{72, 73, 74}}, {"luk_slot", -1}});
        passing.callback(control->paramHandle(kLogin));
    }
    EXPECT_EQ(sent().size(), 1u);
    {
        EquipMixCallbackEvent passing(page, dispatcher);
        set({{"flags", 3}, {"equip_slot", kCoat}, {"mix_type", 1}, {"op_slot", kScoutCoat}, {"luk_slot", -1}});
        passing.callback(control->paramHandle(kLogin));
        ASSERT_TRUE(frame.getOpenMessageBox());
    }
    EXPECT_FALSE(frame.pressMessageBoxButton(0) && !sent().empty());
    frames(3);
    EXPECT_EQ(count(raised(), 108), 0u);
    EXPECT_EQ(count(raised(), 109), 0u);
}

TEST_F(ForgeFixture, HeroEnhancesHisCoatAndTheBagShowsTheLevelAndOneStoneFewer)
{
    logIn();
    const auto before = bag();
    ASSERT_EQ(before.at(kCoat)[0], 3101);
    ASSERT_EQ(before.at(kCoat)[2], 2);
    set({{"flags", 2},
         {"stones", std::vector<int>{kStones, kFineStones}},
         {"prosym", kSafety},
         {"luksym", kLuck},
         {"pciid", kCoat}});
    act(enhance);
    frames(3);
    gui::ParamList* e = enhance.fillParams();
    EXPECT_FALSE(value<bool>(e, "error"));
    const int level = value<int>(e, "val");
    EXPECT_TRUE(level == 2 || level == 3); // the safety stone keeps a failure at 2
    const auto after = bag();
    EXPECT_EQ(after.at(kCoat)[2], level);
    EXPECT_EQ(after.at(kStones)[1], before.at(kStones)[1] - 1);
    EXPECT_EQ(after.at(kFineStones)[1], before.at(kFineStones)[1] - 1);
    EXPECT_EQ(after.at(kLuck)[1], before.at(kLuck)[1] - 1);
    EXPECT_EQ(after.count(kSafety), 0u); // the one safety stone is used up: its slot is free
    EXPECT_EQ(count(raised(), 107), 1u);
}
