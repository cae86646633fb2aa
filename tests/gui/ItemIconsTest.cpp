// Every item kind the server knows (res/server/itemclasses.json) has an icon of its own in the
// bag's image set: the icons file names one for it, the image set draws it, and no two kinds
// share one (a rank card that wore a suit's picture, boxes and function items that shared one).
#include <fstream>
#include <gtest/gtest.h>
#include <json/value.h>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <util/JsonText.h>
#include <vector>

namespace {

std::string fileText(const std::string& path)
{
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

Json::Value json(const std::string& path)
{
    Json::Value out;
    std::string why;
    EXPECT_TRUE(kavri3D::core::JsonText::readFile(path, out, why)) << path << ": " << why;
    return out;
}

} // namespace

TEST(ItemIcons, EveryItemKindOfTheServerHasAnIconOfItsOwnInTheBagsImageSet)
{
    const std::string res = std::string(ZRK_SOURCE_DIR) + "/res/";
    const Json::Value kinds = json(res + "server/itemclasses.json")["items"];
    const Json::Value icons = json(res + "GUI/zrk.icons")["data"];
    ASSERT_TRUE(kinds.isObject());
    ASSERT_TRUE(icons.isArray());
    std::map<int, std::string> iconOf;
    for (const Json::Value& entry : icons)
        iconOf[entry["id"].asInt()] = entry["icon"].asString();

    std::set<std::string> drawn;
    const std::string set = fileText(res + "GUI/ZRKIcons.imageset");
    const std::regex image("<Image name=\"([^\"]+)\"");
    for (auto it = std::sregex_iterator(set.begin(), set.end(), image); it != std::sregex_iterator(); ++it)
        drawn.insert((*it)[1].str());

    std::map<std::string, std::string> kindOf; // icon -> the kind that has it
    std::vector<std::string> faults;
    for (const std::string& id : kinds.getMemberNames()) {
        const std::string name = id + " " + kinds[id]["i_name"].asString();
        auto icon = iconOf.find(std::stoi(id));
        if (icon == iconOf.end()) {
            faults.push_back(name + ": no icon named");
            continue;
        }
        if (!drawn.count(icon->second))
            faults.push_back(name + ": " + icon->second + " is not in the image set");
        if (icon->second == "placeholder")
            faults.push_back(name + ": only the placeholder");
        auto taken = kindOf.emplace(icon->second, name);
        if (!taken.second)
            faults.push_back(name + ": " + icon->second + " is " + taken.first->second + "'s too");
    }
    EXPECT_EQ(faults, std::vector<std::string>{});
    EXPECT_TRUE(drawn.count("placeholder")) << "the picture for an icon that is missing";
}
