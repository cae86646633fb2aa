// The battle hints file goes to TinyXML only as whole text. Found by fuzzing: a file that ends
// inside a UTF-8 character made TinyXML step over the character by its first byte, past the
// text's end.
#include <gtest/gtest.h>
#include <string>

#include "battle/BattleHintManager.h"
#include "support/TestEnv.h"

using kavri3D::zrk::BattleHintManager;

namespace {

const std::string kHints =
    "<hints><zrk_hints><Item t=\"tip\"><Text r=\"1\">Hold Space \xE2\x9C\x93</Text></Item></zrk_hints></hints>";

std::size_t procsOf(const std::string& text)
{
    BattleHintManager manager(nullptr);
    manager.loadText(text);
    const std::size_t procs = manager.getProcCount();
    manager.stop();
    return procs;
}

} // namespace

TEST(BattleHintsInput, OnlyWholeUtf8TextReachesTheParser)
{
    EXPECT_EQ(procsOf(kHints), 1u);
    // Cut inside its last character, a bare continuation byte, an overlong form, a NUL inside.
    EXPECT_EQ(procsOf(kHints + "\xE2\x9C"), 0u);
    EXPECT_EQ(procsOf(kHints + "\xF0"), 0u);
    std::string bare = kHints;
    bare.insert(bare.find("Hold"), "\x9C");
    EXPECT_EQ(procsOf(bare), 0u);
    std::string overlong = kHints;
    overlong.insert(overlong.find("Hold"), "\xC0\xAF");
    EXPECT_EQ(procsOf(overlong), 0u);
    std::string nul = kHints;
    nul.insert(nul.find("Hold"), std::string(1, '\0'));
    EXPECT_EQ(procsOf(nul), 0u);
}
