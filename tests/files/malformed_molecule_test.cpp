// Malformed molecule files: each gives a clear, consistent molecule and
// never a node without an element, a dangling or one-sided link, or a
// position that is not finite.
#include <gtest/gtest.h>

#include "element.h"
#include "molecule.h"
#include "molecule_file.h"
#include "process_state.h"
#include "settings_file.h"

namespace {

struct Expected {
    std::vector<std::string> symbols;          // element of each node, in order
    std::vector<std::vector<int>> neighbours;  // of each node
    size_t messages = 0;                       // "Unrecognised Element" boxes
    std::string name = "Unnamed";
    std::string lastMessage = "Unrecognised Element";  // when there are any
};

struct Case {
    const char* label;
    std::string text;
    Expected expected;
};

std::string HundredKilobyteLine() {
    std::string line = "(0)C{";
    while (line.size() < 100000) line += "1,";
    return line + "1}[1,2,3]\n(1)O{0}[4,5,6]\n";
}

std::string Repeated(const std::string& line, int times) {
    std::string text;
    for (int i = 0; i < times; ++i) text += line;
    return text;
}

std::vector<Case> Cases() {
    using namespace std::string_literals;
    std::string garbage = "\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\x02\x58"s;
    garbage += "\n(\x01\xff{\x02}\x00[\xfe\xfd\n\xff\xfe[\x82\n[\x80\x81"s;
    return {
        {"empty file", "", {}},
        {"only a name line", "[Lonely]\n", {{}, {}, 0, "Lonely"}},
        {"binary garbage", garbage, {{}, {}, 1, "\x80\x81"}},
        {"a 100 kB line", HundredKilobyteLine(), {{"C", "O"}, {{1}, {0}}, 0}},
        {"links to missing nodes",
         "(0)C{5,-3,2147483647,99999999999}[0,0,0]\n(1)C{}[0,0,0]\n",
         {{"C", "C"}, {{}, {}}, 0}},
        {"unknown elements between known ones",
         "(0)H{2,4}[0,0,0]\n(1)Xy{0}\n(2)O{0,4}[1,1,1]\n(3)(4){}\n(4)H{0,2}[2,2,2]\n",
         {{"H", "O", "H"}, {{1, 2}, {0, 2}, {0, 1}}, 2}},
        {"one-sided links",
         "(0)C{1,2}[0,0,0]\n(1)C{}[0,0,0]\n(2)C{1}[0,0,0]\n",
         {{"C", "C", "C"}, {{1, 2}, {0, 2}, {1, 0}}, 0}},
        {"a node linked to itself",
         "(0)C{0,0,1}[0,0,0]\n(1)O{0}[0,0,0]\n",
         {{"C", "O"}, {{1}, {0}}, 0}},
        {"node lines without parts", "(\n()\n(0)\n(0)C\n", {{"C"}, {{}}, 3}},
        {"thirty unknown elements",
         Repeated("(0)Xx{}\n", 30) + "(1)C{}\n",
         {{"C"}, {{}}, 4, "Unnamed", "27 more lines with unknown elements were left out."}},
        {"coordinates out of range",
         "(0)C{}[1e39,-1e400,nan]\n(1)C{}[inf,-inf,1e-50]\n",
         {{"C", "C"}, {{}, {}}, 0}},
    };
}

class MalformedMoleculeTest : public FreshProcessTest {
protected:
    void SetUp() override {
        FreshProcessTest::SetUp();
        ParseSettingsText(ReadFileOrEmpty(SourceFile("Tessaril.ini")), settings, elementTable);
    }
};

TEST_F(MalformedMoleculeTest, EachFileGivesItsExpectedMolecule) {
    for (const Case& c : Cases()) {
        SCOPED_TRACE(c.label);
        ResetProcessState();
        ParseSettingsText(ReadFileOrEmpty(SourceFile("Tessaril.ini")), settings, elementTable);
        const Notices notices = ParseMoleculeText(c.text).notices;
        std::string why;
        EXPECT_TRUE(MoleculeIsConsistent(&why)) << why;
        EXPECT_TRUE(molecule.ready);
        EXPECT_EQ(molecule.name, c.expected.name);
        EXPECT_EQ(notices.size(), c.expected.messages);
        if (!notices.empty()) {
            EXPECT_EQ(notices.back().text, c.expected.lastMessage);
        }
        ASSERT_EQ(NodeCount(), static_cast<int>(c.expected.symbols.size()));
        for (int i = 0; i < NodeCount(); ++i) {
            EXPECT_EQ(molecule.nodes[i].element->symbol, c.expected.symbols[i]) << i;
            EXPECT_EQ(molecule.nodes[i].neighbours, c.expected.neighbours[i]) << i;
        }
        // Whatever was read writes out and reads back to the same text.
        const std::string written = FormatMoleculeText();
        ParseMoleculeText(written);
        EXPECT_EQ(FormatMoleculeText(), written);
    }
}

TEST_F(MalformedMoleculeTest, WithoutAnElementTableEveryNodeIsLeftOut) {
    elementTable.clear();
    const FileResult read = ParseMoleculeText("(0)C{1}[0,0,0]\n(1)O{0}[0,0,0]\n");
    EXPECT_EQ(NodeCount(), 0);
    EXPECT_EQ(read.notices.size(), 2u);
}

}  // namespace
