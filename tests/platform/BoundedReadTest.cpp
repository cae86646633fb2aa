// Files the game is given are read within a size and parsed within a depth: a huge, endless
// or deeply nested file is refused, never a crash or minutes of start-up.
#include <boost/property_tree/xml_parser.hpp>
#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <json/value.h>
#include <util/JsonText.h>
#include <util/Manifest.h>
#include <util/NetServerList.h>
#include <yake/Configuration.h>
#include <yake/FileText.h>
#include <yake/XmlText.h>

#include "support/ResidentMemory.h"
#include "support/TestEnv.h"

using kavri3D::core::JsonText;
using yake::FileText;
using yake::XmlText;

namespace {

// How deep the parser's elements nest (attributes and comments are no level).
std::size_t elementDepth(const XmlText::Tree& tree)
{
    std::size_t deepest = 0;
    for (const auto& child : tree)
        if (child.first.compare(0, 4, "<xml") != 0)
            deepest = std::max(deepest, 1 + elementDepth(child.second));
    return deepest;
}

} // namespace

TEST(FileText, ReadsUpToTheLimitAndRefusesMissingLargerAndEndlessFiles)
{
    zrktest::TempDir dir;
    std::string text, error;
    EXPECT_FALSE(FileText::read(dir.file("none"), text, error));
    EXPECT_EQ(error, "missing");
    EXPECT_TRUE(FileText::missing(dir.file("none")));

    zrktest::writeFile(dir.file("ten"), "0123456789");
    EXPECT_TRUE(FileText::read(dir.file("ten"), text, error, 10));
    EXPECT_EQ(text, "0123456789");
    EXPECT_FALSE(FileText::read(dir.file("ten"), text, error, 9));
    EXPECT_EQ(error, "larger than 9 bytes");
    EXPECT_TRUE(text.empty());
    EXPECT_FALSE(FileText::missing(dir.file("ten")));

    EXPECT_FALSE(FileText::read("/dev/zero", text, error, 1000)); // no size to ask, and no end
    EXPECT_EQ(error, "larger than 1000 bytes");
    EXPECT_FALSE(FileText::read(dir.path(), text, error));
    EXPECT_EQ(error, "unreadable");
}

TEST(XmlText, CountsNestingAsTheParserWalksItAndNeverLess)
{
    const struct {
        const char* text;
        std::size_t depth;
    } cases[] = {
        {"", 0},
        {"<a/>", 1},
        {"<a><b/><c><d>x</d></c></a>", 3},
        {"\xEF\xBB\xBF<?xml version='1.0'?><!-- <x><y> --><a/>", 1},
        {"<a><![CDATA[<b><c><d>]]></a>", 1},
        {"<a x='<b><c>' y=\">\"><d/></a>", 2},
        {"<a b\"c=\"x\"><d><e/></d></a>", 3}, // a quote may be part of an attribute's name
        {"<!DOCTYPE a [<!ELEMENT a ANY><!ELEMENT b [x]>]><a><b/></a>", 2},
        {"<?><a><b/></a>?><c/>", 1}, // "<?" ends only at a later "?>"
        {"<a>text<b>more</b  ></a  ><z/>", 2},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(XmlText::depth(c.text), c.depth) << c.text;
        XmlText::Tree tree;
        ASSERT_NO_THROW(XmlText::parse(c.text, tree)) << c.text;
        EXPECT_EQ(elementDepth(tree), c.depth) << c.text;
    }
    // Where the text stops being XML the parser stops too: what follows is not counted.
    EXPECT_EQ(XmlText::depth("<a><b x=1><c><d><e>"), 2u);
    EXPECT_EQ(XmlText::depth(std::string("<a><b>\0<c><d>", 13)), 2u);
    EXPECT_EQ(XmlText::depth("<!DOCTYPE a [<!-- ] -->]><a><b/></a>"), 0u); // its brackets are only counted
}

TEST(XmlText, DeepOrHugeSettingsAreRefusedQuicklyWithoutACrash)
{
    zrktest::TempDir dir;
    XmlText::Tree tree;
    EXPECT_NO_THROW(XmlText::parse(zrktest::nestedXml(XmlText::kMaxDepth), tree));
    EXPECT_THROW(XmlText::parse(zrktest::nestedXml(XmlText::kMaxDepth + 1), tree), std::runtime_error);

    // Some forty thousand levels ran the parser's stack out before the first frame.
    zrktest::writeFile(dir.file("deep.xml"), "<kavri3D>" + zrktest::nestedXml(40000) + "</kavri3D>");
    yake::Configuration config;
    try {
        config.readFromXML(dir.file("deep.xml"), "");
        ADD_FAILURE() << "a 40,000 levels deep file was read";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("nested deeper than 64 levels"), std::string::npos) << e.what();
    }

    kavri3D::core::Manifest manifest;
    EXPECT_FALSE(manifest.read("<manifest>" + zrktest::nestedXml(40000) + "</manifest>"));
    EXPECT_TRUE(manifest.empty());
    kavri3D::core::NetServerList servers;
    zrktest::writeFile(dir.file("servers.xml"),
                       "<servers>" + zrktest::nestedXml(40000) + "<server host='h'/></servers>");
    std::string why;
    EXPECT_FALSE(servers.readFromXmlFile(dir.file("servers.xml"), &why));
    EXPECT_NE(why.find("nested deeper"), std::string::npos) << why;

    // A 50 MB file took half a minute and gigabytes; now it is not even read.
    const std::string huge = dir.file("huge.xml");
    zrktest::writeFile(huge, "<kavri3D>");
    std::filesystem::resize_file(huge, 50u * 1024 * 1024);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_THROW(config.readFromXML(huge, ""), std::runtime_error);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    EXPECT_TRUE(config.tree().empty());
}

TEST(JsonText, CommentsAllowedDepthLimitedAndNothingThrows)
{
    Json::Value v;
    std::string error;
    EXPECT_TRUE(JsonText::parse("// the boy\n{\"boy\": [1, /* two */ 2]}", v, error));
    EXPECT_EQ(v["boy"].size(), 2u);

    EXPECT_TRUE(JsonText::parse(zrktest::nestedJson(JsonText::kMaxDepth), v, error));
    for (std::size_t levels : {std::size_t(JsonText::kMaxDepth + 1), std::size_t(100000)}) {
        EXPECT_FALSE(JsonText::parse(zrktest::nestedJson(levels), v, error)) << levels;
        EXPECT_TRUE(v.isNull());
        EXPECT_FALSE(error.empty());
    }
    EXPECT_FALSE(JsonText::parse("", v, error));
    EXPECT_FALSE(JsonText::parse("{\"a\": ", v, error));

    zrktest::TempDir dir;
    zrktest::writeFile(dir.file("big.json"), "[" + std::string(2 * 1024 * 1024, ' ') + "]");
    EXPECT_FALSE(JsonText::readFile(dir.file("big.json"), v, error));
    EXPECT_EQ(error, "larger than 1048576 bytes");
    EXPECT_TRUE(JsonText::readFile(dir.file("big.json"), v, error, 4 * 1024 * 1024));
    EXPECT_TRUE(v.isArray());
}

TEST(JsonText, EachReaderSetsItsOwnSizeDepthAndDuplicateKeysAndIsToldWhyInOneLine)
{
    Json::Value v;
    std::string error;
    JsonText::Limits limits;
    limits.maxBytes = 16;
    limits.maxDepth = 4;

    const std::string sixteen = "[1, 2, 3, 4567 ]";
    ASSERT_EQ(sixteen.size(), 16u);
    EXPECT_TRUE(JsonText::parse(sixteen, v, error, limits)) << error;
    EXPECT_FALSE(JsonText::parse(sixteen + " ", v, error, limits));
    EXPECT_TRUE(v.isNull());
    EXPECT_EQ(error, "larger than 16 bytes");

    EXPECT_TRUE(JsonText::parse(zrktest::nestedJson(4), v, error, limits)) << error;
    EXPECT_FALSE(JsonText::parse(zrktest::nestedJson(5), v, error, limits));
    EXPECT_EQ(error, "nested deeper than 4 levels");
    // The default limits take what a caller's own limits refuse.
    EXPECT_TRUE(JsonText::parse(zrktest::nestedJson(5) + std::string(20, ' '), v, error)) << error;

    // A key given twice: the last one wins unless the reader refuses repeats.
    const std::string twice = "{\"gold\": 1, \"gold\": 900}";
    EXPECT_TRUE(JsonText::parse(twice, v, error));
    EXPECT_EQ(v["gold"].asInt(), 900);
    limits.maxBytes = JsonText::kMaxBytes;
    limits.rejectDuplicateKeys = true;
    EXPECT_FALSE(JsonText::parse(twice, v, error, limits));
    EXPECT_TRUE(v.isNull());
    EXPECT_EQ(error.find("not JSON: Line 1, Column "), 0u) << error;
    EXPECT_NE(error.find("gold"), std::string::npos) << error;

    // What went wrong and where, on one line: it goes into the log and into boxes.
    EXPECT_FALSE(JsonText::parse("{\"a\": 1\n\"b\": 2}", v, error));
    EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    EXPECT_EQ(error.find("not JSON: Line 2, Column 1: "), 0u) << error;
}

// A list just under the size start-up reads took 0.86 GB and 1.4 s to read as a whole tree. It
// is read in one pass now: a few times its own size at the most, and a list whose entries would
// each take a long path for their own is refused within that.
TEST(BoundedRead, AManifestAtItsCapIsReadInBoundedMemoryAndTime)
{
    for (bool tiny : {false, true}) {
        const std::string text = zrktest::manifestAtTheCap(tiny);
        ASSERT_GT(text.size(), 8u * 1024 * 1024 - 256);
        std::size_t files = 0;
        bool read = false;
        const auto start = std::chrono::steady_clock::now();
        {
            kavri3D::core::Manifest manifest;
            read = manifest.read(text);
            for (const auto& folder : manifest.getFolders())
                files += folder.items.size();
        }
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        EXPECT_EQ(read, !tiny) << (tiny ? "tiny entries" : "files");
        if (!tiny) {
            EXPECT_GT(files, 100000u);
        }
        EXPECT_LT(seconds, 5.0);   // well under a tenth of that in the optimised build
#if !defined(__SANITIZE_ADDRESS__) // the sanitizer's own bookkeeping swells every block
        const double peak = zrktest::peakGrowthMb([&] {
            kavri3D::core::Manifest manifest;
            (void)manifest.read(text);
        });
        EXPECT_GE(peak, 0.0);
        EXPECT_LT(peak, 96.0) << (tiny ? "tiny entries" : "files");
#endif
    }
}
