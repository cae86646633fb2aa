#include <CEGUI/CEGUI.h>
#include <core/GuiSystem.h>
#include <gtest/gtest.h>
#include <text/CeguiText.h>

using namespace kavri3D::zrk;

namespace {

/// The text CEGUI shows of a window text: what its formatting parser leaves of it.
struct ShownText : CEGUI::RenderedString {
    static std::string of(const CEGUI::String& windowText)
    {
        CEGUI::BasicRenderedStringParser parser;
        const CEGUI::RenderedString shown = parser.parse(windowText, nullptr, nullptr);
        std::string text;
        for (const CEGUI::RenderedStringComponent* c : shown.*(&ShownText::d_components))
            if (const auto* t = dynamic_cast<const CEGUI::RenderedStringTextComponent*>(c))
                text += t->getText().c_str();
        return text;
    }
};

struct CeguiTextTest : ::testing::Test {
    std::unique_ptr<kavri3D::core::GuiSystem> cegui = kavri3D::core::GuiSystem::createHeadless(800, 600);
};

} // namespace

TEST_F(CeguiTextTest, EveryFormattingTagOfOutsideTextShowsAsWritten)
{
    // Each tag CEGUI's parser knows, with good and bad values, and half-tags.
    const char* const lines[] = {"[font='x'] hi",
                                 "[font='DejaVuSans-10']big",
                                 "[colour='FFFF0000']x",
                                 "[image='TaharezLook/x']",
                                 "[image='nothing/none']",
                                 "[window='Root']",
                                 "[vert-alignment='centre']a",
                                 "[padding='l:1 t:2 r:3 b:4']p",
                                 "[top-padding='9']",
                                 "[bottom-padding='9']",
                                 "[left-padding='9']",
                                 "[right-padding='9']",
                                 "[aspect-lock='true']",
                                 "[image-size='w:9 h:9']",
                                 "[image-width='9']",
                                 "[image-height='9']",
                                 "[AFK] brb",
                                 "a [ b",
                                 "a ] b",
                                 "[]",
                                 "[[[[",
                                 "\\[colour='FFFF0000']x",
                                 "x\\",
                                 "\\",
                                 "[font='x'",
                                 "]['",
                                 "[colour=]"};
    for (const std::string line : lines) {
        std::string shown;
        ASSERT_NO_THROW(shown = ShownText::of(gui::outsideText(line))) << line;
        EXPECT_EQ(shown, line);
    }
    // Our own texts keep their formatting.
    EXPECT_EQ(ShownText::of(gui::toCeguiString("[colour='FFFF0000']red")), "red");
}

TEST_F(CeguiTextTest, NamesAndLinesJoinedFromEscapedPartsStayText)
{
    // A name ending in a backslash before a line starting with a tag.
    const std::string joined = gui::escapeMarkup("bob\\") + ": " + gui::escapeMarkup("[font='x'] hi");
    EXPECT_EQ(ShownText::of(gui::toCeguiString(joined)), "bob\\: [font='x'] hi");
    const std::string glued = gui::escapeMarkup("bob\\") + gui::escapeMarkup("[font='x']");
    EXPECT_EQ(ShownText::of(gui::toCeguiString(glued)), "bob\\[font='x']");
}

TEST_F(CeguiTextTest, BrokenUtf8IsReplacedAndGoodUtf8Kept)
{
    const std::string good = "Zo\xC3\xAB \xE4\xB8\xAD \xF0\x9F\x98\x80";
    EXPECT_EQ(gui::checkedUtf8(good), good);
    const std::string fffd = "\xEF\xBF\xBD";
    EXPECT_EQ(gui::checkedUtf8("ab\xE4\xB8"), "ab" + fffd);          // cut at the end
    EXPECT_EQ(gui::checkedUtf8("\xC0\xAFx"), fffd + "x");            // overlong
    EXPECT_EQ(gui::checkedUtf8("\xED\xA0\x80"), fffd);               // a surrogate
    EXPECT_EQ(gui::checkedUtf8("\xF4\x90\x80\x80"), fffd);           // past U+10FFFF
    EXPECT_EQ(gui::checkedUtf8("\x80\x80z\xFF"), fffd + "z" + fffd); // strays, one mark a run
    // CEGUI gets exactly the characters, never more.
    EXPECT_EQ(gui::toCeguiString("ab\xE4\xB8").length(), 3u);
    EXPECT_EQ(gui::toCeguiString("ab\xF0").length(), 3u);
    EXPECT_EQ(gui::fromCeguiString(gui::toCeguiString(good)), good);
}

TEST_F(CeguiTextTest, ControlCharactersOfOutsideTextAreReplacedButLineBreaksKept)
{
    EXPECT_EQ(gui::escapeMarkup("a\tb\nc\x01\x7F"), "a b\nc\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(gui::escapeMarkup(std::string("a\0b", 3)), "a\xEF\xBF\xBD"
                                                         "b");
}

TEST_F(CeguiTextTest, AListboxShowsLinesAfterAMarkupLine)
{
    CEGUI::WindowManager& wm = CEGUI::WindowManager::getSingleton();
    auto* list = static_cast<CEGUI::Listbox*>(wm.createWindow("TaharezLook/Listbox", "Chat"));
    cegui->getRootWindow()->addChild(list);
    list->setSize(CEGUI::USize(CEGUI::UDim(0, 300), CEGUI::UDim(0, 200)));
    for (const char* line : {"[font='x'] hi", "[image='no/such']", "bot: hello"}) {
        auto* item = new CEGUI::ListboxTextItem(gui::outsideText(line));
        ASSERT_NO_THROW(list->addItem(item));
        ASSERT_NO_THROW(item->getPixelSize());
    }
    EXPECT_EQ(list->getItemCount(), 3u);
    EXPECT_NO_THROW(cegui->getRootWindow()->render());
    wm.destroyWindow(list);
}
