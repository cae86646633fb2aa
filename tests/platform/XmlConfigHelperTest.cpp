#include <gtest/gtest.h>
#include <util/XmlConfigHelper.h>

using kavri3D::core::XmlConfigHelper;

TEST(XmlConfigHelper, TypedGettersFallBackOnMissingOrMalformedValues)
{
    XmlConfigHelper c;
    c.setStringVal("a/int", "12x");
    c.setStringVal("a/bool", "maybe");
    c.setStringVal("a/real", "");
    c.setStringVal("a/big", "99999999999");
    EXPECT_EQ(c.getIntVal("a/int", 7), 7);
    EXPECT_TRUE(c.getBoolVal("a/bool", true));
    EXPECT_FLOAT_EQ(c.getRealVal("a/real", 1.5f), 1.5f);
    EXPECT_EQ(c.getIntVal("a/big", 3), 3);
    EXPECT_EQ(c.getIntVal("nope", -1), -1);
    c.setIntVal("a/int", -4);
    c.setBoolVal("a/bool", false);
    EXPECT_EQ(c.getIntVal("a/int", 7), -4);
    EXPECT_FALSE(c.getBoolVal("a/bool", true));
}

TEST(XmlConfigHelper, SectionViewsShareTheTree)
{
    XmlConfigHelper root;
    XmlConfigHelper app(root.getConfiguration(), "kavri3D/app/");
    app.setStringVal("audio/volume", "80 50 -30");
    EXPECT_EQ(root.getStringVal("kavri3D/app/audio/volume", ""), "80 50 -30");
}

TEST(XmlConfigHelper, MergeCopiesTheBranchSourceWinsTargetKeepsItsOwnKeys)
{
    XmlConfigHelper target, source;
    target.setStringVal("kavri3D/app/a", "old");
    target.setStringVal("kavri3D/app/only", "kept");
    target.setStringVal("kavri3D/other", "untouched");
    source.setStringVal("kavri3D/app/a", "new");
    source.setStringVal("kavri3D/app/deep/b", "added");
    source.setStringVal("kavri3D/other", "ignored");
    target.merge(source, "kavri3D/app");
    EXPECT_EQ(target.getStringVal("kavri3D/app/a", ""), "new");
    EXPECT_EQ(target.getStringVal("kavri3D/app/only", ""), "kept");
    EXPECT_EQ(target.getStringVal("kavri3D/app/deep/b", ""), "added");
    EXPECT_EQ(target.getStringVal("kavri3D/other", ""), "untouched");

    XmlConfigHelper empty;
    target.merge(empty, "kavri3D/app"); // a missing branch changes nothing
    EXPECT_EQ(target.getStringVal("kavri3D/app/a", ""), "new");
}

TEST(XmlConfigHelper, ClearValuesEmptiesEveryNodeButKeepsKeys)
{
    XmlConfigHelper c;
    c.setStringVal("kavri3D/app/a", "1");
    c.setStringVal("kavri3D/app/b/c", "2");
    c.setStringVal("kavri3D/keep", "3");
    c.clearValues("kavri3D/app");
    EXPECT_TRUE(c.hasKey("kavri3D/app/b/c"));
    EXPECT_EQ(c.getStringVal("kavri3D/app/a", "x"), "");
    EXPECT_EQ(c.getStringVal("kavri3D/app/b/c", "x"), "");
    EXPECT_EQ(c.getStringVal("kavri3D/keep", ""), "3");
}

TEST(XmlConfigHelper, ResetFillsOnlyMissingOrEmptyValues)
{
    XmlConfigHelper c;
    c.setStringVal("msg/host", "chat.example");
    c.resetStringVal("msg/host", "127.0.0.1");
    c.resetStringVal("msg/muc", "conference");
    c.resetBoolVal("player/lock", true);
    EXPECT_EQ(c.getStringVal("msg/host", ""), "chat.example");
    EXPECT_EQ(c.getStringVal("msg/muc", ""), "conference");
    EXPECT_TRUE(c.getBoolVal("player/lock", false));
}

#include <util/Manifest.h>

TEST(Manifest, ReadsFoldersAndFilesAndLeavesGarbageEmpty)
{
    kavri3D::core::Manifest m;
    EXPECT_TRUE(m.read("<manifest><folder path='/files/data'><file name='map1.ss1' sig='ab'/>"
                       "<file name='x' path='/files/data/sub/x.ss1'/><file/></folder></manifest>"));
    ASSERT_EQ(m.getFolders().size(), 1u);
    ASSERT_EQ(m.getFolders()[0].items.size(), 2u); // the nameless file is dropped
    EXPECT_EQ(m.getFolders()[0].items[0].path, "/files/data/map1.ss1");
    EXPECT_EQ(m.getFolders()[0].items[1].path, "/files/data/sub/x.ss1");
    for (const char* bad : {"", "garbage", "<manifest><folder", "<other/>"}) {
        EXPECT_FALSE(m.read(bad)) << bad;
        EXPECT_TRUE(m.empty()) << bad;
    }
}
