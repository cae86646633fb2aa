// A chat line as the hall's chat box takes it: any text a player or the server sends, raw
// and as the content of a chat line, into the real GUI plug-in's chat box on a headless CEGUI
// system. Whatever it holds, a bot's line after it must still show.
#include <CEGUI/CEGUI.h>
#include <core/GuiSystem.h>
#include <cstdint>
#include <cstdlib>
#include <gui/ICallBackEvent.h>
#include <gui/ParamNode.h>
#include <gui/IEventDispatcher.h>
#include <gui/IGuiManager.h>
#include <gui/IGuiPage.h>
#include <json/json.h>

#include "FuzzSupport.h"
#include "shell/ZRKGuiLoader.h"

using namespace kavri3D;
using namespace kavri3D::zrk;

namespace {

const int kHallPage = 8;
const int kChatListen = 26;

/// The chat listener's values: the lines waiting to be shown.
class ChatLines : public gui::ICallBackEvent {
public:
    gui::ParamList* fillParams() override
    {
        mList.clear();
        for (gui::ParamNode& n : mNodes)
            mList.push_back(&n);
        return &mList;
    }
    void callback(gui::ParamHandle) override {}
    int getEventId() override { return kChatListen; }

    void set(const std::vector<std::string>& lines)
    {
        mNodes.clear();
        for (const std::string& line : lines) {
            gui::ParamNode n;
            n.name = "json";
            n.value = line;
            n.size = static_cast<std::int32_t>(line.size());
            n.type = gui::ParamNode::String;
            mNodes.push_back(n);
        }
    }

private:
    std::vector<gui::ParamNode> mNodes;
    gui::ParamList mList;
};

std::string chatLine(const std::string& sender, const std::string& content)
{
    Json::Value line;
    line["Channel"] = "1";
    line["Sender"]["uname"] = sender;
    line["Content"] = content;
    Json::StreamWriterBuilder writer;
    writer["indentation"] = "";
    return Json::writeString(writer, line);
}

/// The plug-in and its chat box, made once for the run.
struct Hall {
    std::unique_ptr<core::GuiSystem> cegui = core::GuiSystem::createHeadless(1024, 768);
    ZRKGuiLoader loader;
    gui::IGuiManager* manager = nullptr;
    ChatLines* lines = new ChatLines;
    CEGUI::Listbox* chat = nullptr;

    Hall()
    {
        loader.loadFrom(zrkfuzz::FuzzSupport::besideProgram("libZRK_Gui.so").c_str());
        if (!loader.createGuiManager(&manager))
            std::abort();
        manager->setRootWindow(cegui->getRootWindow());
        manager->getEventDispatcher()->registerEvent(lines);
        CEGUI::Window* page = manager->getPage(kHallPage)->getRootWindow();
        if (!page)
            std::abort();
        chat = static_cast<CEGUI::Listbox*>(page->getChild("Chat"));
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool ready = (zrkfuzz::FuzzSupport::quiet(), true);
    (void)ready;
    static Hall* hall = new Hall; // lives for the run: the plug-in stays loaded
    const std::string input = zrkfuzz::FuzzSupport::text(data, size);
    const std::string name = input.substr(0, input.find('\n'));

    hall->lines->set({input, chatLine(name, input), chatLine("bot", "hello")});
    hall->manager->getEventDispatcher()->raise(kChatListen);

    // Every line in the box measures and draws; the bot's line is the last one.
    const std::size_t count = hall->chat->getItemCount();
    if (count == 0)
        std::abort();
    for (std::size_t i = 0; i < count; ++i)
        (void)hall->chat->getListboxItemFromIndex(i)->getPixelSize();
    hall->cegui->getRootWindow()->render();
    if (hall->chat->getListboxItemFromIndex(count - 1)->getText() != "bot: hello")
        std::abort();
    return 0;
}
