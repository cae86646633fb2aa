// The battle's screens and the room page show what they are given as written: every text they build at run time
// reaches CEGUI through outsideText, so a "[" in a skill line, a name or a data file's text is
// never read as formatting (and CEGUI's log does not fill with its complaints). The only other
// road, toCeguiString, is kept for window names, image names and property values, listed here.
#include <fstream>
#include <gtest/gtest.h>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

/// The sources of the battle's screens: the battle room's displays and panels, the battle
/// bar, the result screen and the prize-box screen; and the room page the battle returns to.
std::vector<std::string> battleScreens()
{
    std::vector<std::string> files = {"platform/gui/src/BattlePanelHost.cpp", "platform/gui/src/BattleOverView.cpp",
                                      "platform/gui/src/BoxPanel.cpp", "platform/gui/src/RoomPage.cpp"};
    for (const char* f :
         {"BattleRoom", "BattleLoading", "BattleInput", "BattleGuide", "BattleEnd", "BattleOverlays", "BattleBubbles",
          "hud/BattlePrompts", "hud/BattleStatusProvider", "EvtDollHandler", "EvtLandHandler", "EvtNpcHandler",
          "hud/ZRKBubblePanel", "hud/ZRKFlashPanel", "hud/ZRKProgressPanel", "hud/ZRKSightingPanel",
          "hud/ZRKSuspendPanel", "hud/SimBubbleInfoProvider"})
        files.push_back(std::string("src/ZRKMain/battle/") + f + ".cpp");
    return files;
}

/// toCeguiString sites that carry no shown text: "file: the line's code".
const std::set<std::string> kNamesAndProperties = {
    "BattlePrompts.cpp: const CEGUI::String name = gui::toCeguiString(image);",
    "BattlePrompts.cpp: w->setName(gui::toCeguiString(\"ZRKLand\" + std::to_string(gPromptCounter)));",
    // measures the text as drawn, without the escapes outsideText adds
    "BattleStatusProvider.cpp: return font->getTextExtent(gui::toCeguiString(t), 1.0f) > width;",
    "BattlePanelHost.cpp: CEGUI::Window* win = CEGUI::WindowManager::getSingleton().createWindow(type, "
    "toCeguiString(name));",
    "BattlePanelHost.cpp: fill->setProperty(\"ImageColours\", toCeguiString(colourRect(colour)));",
    "BattlePanelHost.cpp: const bool known = !name.empty() && images.isDefined(toCeguiString(name));",
    "BattlePanelHost.cpp: w->setProperty(\"Image\", known ? toCeguiString(name) : CEGUI::String());",
    "BattlePanelHost.cpp: const CEGUI::String p = toCeguiString(path);",
    "BattlePanelHost.cpp: name->setProperty(\"TextColours\", toCeguiString(colourRect(e.me ? \"FFFFFF60\" : "
    "teamColour(e.colour))));",
    "BattlePanelHost.cpp: dot->setProperty(\"TextColours\", toCeguiString(colourRect(e.me ? \"FFFFFF60\" : "
    "teamColour(e.colour))));",
    "BattlePanelHost.cpp: cell->setProperty(\"FrameColours\", toCeguiString(colourRect(inHand ? \"FFFFD040\" : "
    "\"FF808080\")));",
    "BattleOverView.cpp: CEGUI::Window* w = "
    "CEGUI::WindowManager::getSingleton().createWindow(\"TaharezLook/StaticText\", "
    "toCeguiString(name));",
    "BattleOverView.cpp: CEGUI::Window* bar = "
    "CEGUI::WindowManager::getSingleton().createWindow(\"TaharezLook/ProgressBar\", toCeguiString(row + \"Hp\"));",
    "BattleOverView.cpp: if (!a.icon.empty() && images.isDefined(toCeguiString(a.icon))) {",
    "BattleOverView.cpp: CEGUI::Window* icon = "
    "CEGUI::WindowManager::getSingleton().createWindow(\"TaharezLook/StaticImage\", toCeguiString(row + \"Icon\"));",
    "BattleOverView.cpp: icon->setProperty(\"Image\", toCeguiString(a.icon));",
    "BoxPanel.cpp: if (images.isDefined(toCeguiString(image)))",
    "BoxPanel.cpp: pic->setProperty(\"Image\", toCeguiString(image));",
    "BoxPanel.cpp: const CEGUI::String box = toCeguiString(kBoxPrefix + std::to_string(i));",
};

std::string trimmed(const std::string& s)
{
    const std::size_t a = s.find_first_not_of(" \t"), b = s.find_last_not_of(" \t\r");
    return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
}

/// A statement of the file with the line it starts on: the lines a statement is wrapped over,
/// joined, so a site reads the same however the code is wrapped. A statement ends at ";", "{",
/// "}" or a line that closes all its brackets with ")" (an if or for without braces).
struct Statement {
    int line;
    std::string code;
};

std::vector<Statement> statements(std::istream& in)
{
    std::vector<Statement> out;
    Statement current{0, std::string()};
    int depth = 0;
    std::string line;
    for (int n = 1; std::getline(in, line); ++n) {
        const std::string code = trimmed(line);
        if (code.empty() || code.rfind("//", 0) == 0)
            continue;
        if (current.code.empty())
            current.line = n;
        else if (current.code.back() != '(' && current.code.back() != '[')
            current.code += ' ';
        current.code += code;
        for (char c : code)
            depth += (c == '(') - (c == ')');
        const char last = code.back();
        if (last == ';' || last == '{' || last == '}' || code[0] == '#' || (last == ')' && depth <= 0)) {
            out.push_back(current);
            current = Statement{0, std::string()};
            depth = 0;
        }
    }
    if (!current.code.empty())
        out.push_back(current);
    return out;
}

} // namespace

TEST(BattleTextSites, EveryShownTextOfTheBattleScreensIsOutsideText)
{
    // A text set is outsideText, a literal of our own, or nothing.
    const std::regex fine(R"(setText\(\s*(gui::)?outsideText\(|setText\(\s*"|setText\(\s*CEGUI::String\(\)|)"
                          R"(setText\(\s*[\w.]+\s*\?\s*(CEGUI::String\(\)|(gui::)?outsideText\())");
    std::vector<std::string> unknown, plain;
    std::set<std::string> listedSeen;
    for (const std::string& file : battleScreens()) {
        std::ifstream in(std::string(ZRK_SOURCE_DIR) + "/" + file);
        ASSERT_TRUE(in) << file;
        const std::string base = file.substr(file.rfind('/') + 1);
        for (const Statement& statement : statements(in)) {
            const std::string& code = statement.code;
            const int n = statement.line;
            if (code.find("toCeguiString(") != std::string::npos) {
                const std::string site = base + ": " + code;
                if (kNamesAndProperties.count(site))
                    listedSeen.insert(site);
                else
                    unknown.push_back(file + ":" + std::to_string(n) + ": " + code);
            }
            const std::size_t at = code.find("setText(");
            if (at != std::string::npos && !std::regex_search(code.substr(at), fine))
                plain.push_back(file + ":" + std::to_string(n) + ": " + code);
        }
    }
    EXPECT_TRUE(unknown.empty()) << "toCeguiString outside the list of names and properties:\n"
                                 << ::testing::PrintToString(unknown);
    EXPECT_TRUE(plain.empty()) << "texts set without outsideText:\n" << ::testing::PrintToString(plain);
    // A listed site that went away leaves the list.
    for (const std::string& site : kNamesAndProperties)
        EXPECT_TRUE(listedSeen.count(site)) << "listed but not found: " << site;
}
