// Not compiled: lines cmake/CheckOneWay.cmake must mark, at least one for each of its checks.

// event-id
raiseEvent(8);
dispatcher->raise(17);
queue->handle(40);
mDispatcher.callback(16, params().handle(kKind));
int getEventId() override { return 79; }
hallEvent<HallEixtEvent>(23),
static constexpr int kBagEventId = 8;
const int kResetEventIds[] = {40, 93, 101};

// state-name
session->teleport(std::string(), "room", std::string());
machine->changeState("logon");
machine->addState("arena", state);
if (state->getName() == "battle")
std::string mInitialState = "logon";
