// Not compiled: lines cmake/CheckOneWay.cmake must mark, each under the heading of the check
// that marks it.

// event-id
raiseEvent(8);
dispatcher->raise(17);
queue->handle(40);
mDispatcher.callback(16, params().handle(kKind));
int getEventId() override { return 79; }
hallEvent<HallEixtEvent>(23),
static constexpr int kBagEventId = 8;
const int kResetEventIds[] = {40, 93, 101};
if (eventId == 21 || eventId == 18)
} else if (eventId != 99 && mMode == 8) {
return 61 == event->getEventId();
if (e.getEventId() == 38)

// land-event-id
core::EventPtr e = events().make(6510);
core::EventPtr e = make(npc ? 6512 : 6511);
core::EventPtr e = events.make(drowned || killer.empty() ? 6114 : 6113);
ZRKLand::LandAnyEvent event(6510);
events->post(boost::make_shared<ZRKLand::LandAnyEvent>(7000));
core::EventPtr e(new core::Event(6514));
events->addEventHandler(6501, mLandHandler);
mLand->addEventPreview(6112, preview);
if (type != 6512 && type != 6513)
    case 6501:
for (int type : {6201, 6510, 6511})
static constexpr int kEventType = 6514;
const int kLandEvents[] = {6501, 6502};

// state-name
session->teleport(std::string(), "room", std::string());
machine->changeState("logon");
machine->addState("arena", state);
if (state->getName() == "battle")
std::string mInitialState = "logon";

// json-reader
Json::CharReaderBuilder builder;
Json::Reader().parse(text, v);

// hand-disconnect
mDestroyed->disconnect();
mBoxConnection.disconnect();
    mConnections[channel].disconnect(); // ends the old slider's

// cegui-scoped-connection
std::vector<CEGUI::Event::ScopedConnection> mClickConnections;
    CEGUI::Event::ScopedConnection c = frame.getTopWindow()->subscribeEvent(

// box-numbers
frame->messageBox("error/title1", "error/map_change", 1, 9, 300, 150);
                                    3, 9, 300, 150);

// log-number
yake::logging::logger::instance().log(3, "scene", "not shown");
logLine(4, "product file " + file + " cannot be read");
writeLog(6, channel().c_str(), text);
LandEvents::log(3, "the battle is built already");
