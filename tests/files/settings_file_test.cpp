// Reading and writing Tessaril.ini text: key lines, element lines, the
// rules that end reading, the writer's layout and the file on disk.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstring>

#include "element.h"
#include "process_state.h"
#include "settings.h"
#include "settings_file.h"

namespace {

Settings ReadKeys(const std::string& text) {
    Settings result;
    ElementTable table;
    ParseSettingsText(text, result, table);
    return result;
}

ElementTable ReadElements(const std::string& text) {
    Settings ignored;
    ElementTable table;
    ParseSettingsText(text, ignored, table);
    return table;
}

const char* kChlorine = "Chlorine,Cl,17,35.45,3,7,A,0,0,1,0\n";

TEST(SettingsKeyLineTest, IntegersFloatsAndPrefixes) {
    const Settings s = ReadKeys(
        "@WindowX=  -12abc\n@WindowY=7\n@WindowWidth=640\n@WindowHeight=480\n"
        "@Cohesion=75\n@DetailLevel=2\n@LightDiffuse=0.25\n@LightAmbient=x\n");
    EXPECT_EQ(s.WindowX, -12);
    EXPECT_EQ(s.WindowY, 7);
    EXPECT_EQ(s.WindowWidth, 640);
    EXPECT_EQ(s.WindowHeight, 480);
    EXPECT_EQ(s.Cohesion, 75);
    EXPECT_EQ(s.DetailLevel, 2);  // not range-limited
    EXPECT_FLOAT_EQ(s.LightDiffuse, 0.25f);
    EXPECT_FLOAT_EQ(s.LightAmbient, 0.0f);  // nothing readable gives 0

    EXPECT_EQ(ReadKeys("@WindowXY=7\n").WindowX, 7);
    // A later line for the same key wins.
    EXPECT_EQ(ReadKeys("@Cohesion=10\n@Cohesion=20\n").Cohesion, 20);
    // A key line without "=" or matching no key changes nothing.
    const Settings untouched = ReadKeys("@Cohesion 30\n@Unknown=5\n@cohesion=9\n");
    EXPECT_EQ(untouched.Cohesion, 50);
}

TEST(SettingsKeyLineTest, BooleansAreTrueOnlyWithEqualsOne) {
    struct Case {
        const char* line;
        bool expected;
    } cases[] = {
        {"@Shadows=1\n", true}, {"@Shadows=0\n", false}, {"@Shadows= 1\n", false},
        {"@Shadows=\n", false}, {"@Shadows=10\n", true}, {"@Shadows=0 =1\n", true},
    };
    for (const Case& c : cases) EXPECT_EQ(ReadKeys(c.line).Shadows, c.expected) << c.line;
    const Settings s = ReadKeys("@Specular=0\n@InvertColours=1\n@Squash=1\n");
    EXPECT_FALSE(s.Specular);
    EXPECT_TRUE(s.InvertColours);
    EXPECT_TRUE(s.Squash);
}

TEST(SettingsKeyLineTest, ColoursReadUpToFourComponents) {
    const Settings s = ReadKeys(
        "@CloudColour=[0.2,0.3]\n@BackgroundColour=[0.1,0.2,0.3,0.4,0.9]\n"
        "@LinkColour=[7]\n@TextColour=[,0.5,,]\n");
    EXPECT_FLOAT_EQ(s.CloudColour.red, 0.2f);
    EXPECT_FLOAT_EQ(s.CloudColour.green, 0.3f);
    EXPECT_FLOAT_EQ(s.CloudColour.blue, 0.5f);
    EXPECT_FLOAT_EQ(s.CloudColour.alpha, 0.25f);
    EXPECT_FLOAT_EQ(s.BackgroundColour.red, 0.1f);
    EXPECT_FLOAT_EQ(s.BackgroundColour.alpha, 0.4f);
    EXPECT_FLOAT_EQ(s.LinkColour.red, 7.0f);
    EXPECT_FLOAT_EQ(s.LinkColour.green, 1.0f);
    EXPECT_FLOAT_EQ(s.TextColour.red, 0.0f);
    EXPECT_FLOAT_EQ(s.TextColour.green, 0.5f);
    EXPECT_FLOAT_EQ(s.TextColour.alpha, 0.0f);

    // "Colour=[" on a line that begins with no colour key changes no colour.
    const Settings none = ReadKeys("@WrongColour=[0,0,0,0]\n@Shadows=1 Colour=[0,0,0,0]\n");
    EXPECT_FLOAT_EQ(none.SelectColour.red, 1.0f);
    EXPECT_FLOAT_EQ(none.CloudColour.red, 1.0f);
    EXPECT_FLOAT_EQ(none.BackgroundColour.alpha, 1.0f);
    EXPECT_TRUE(none.Shadows);
    // Only "Colour=[" marks a colour line: a blank before the bracket does not.
    EXPECT_FLOAT_EQ(ReadKeys("@CloudColour= [0.2,0.3]\n").CloudColour.red, 1.0f);
    // A non-finite component reads as 0, never as NaN or infinity.
    EXPECT_FLOAT_EQ(ReadKeys("@SelectColour=[nan,1e999]\n").SelectColour.green, 0.0f);
}

TEST(SettingsElementLineTest, ReadsEveryField) {
    const ElementTable table = ReadElements(kChlorine);
    ASSERT_EQ(table.size(), 1u);
    const Element& cl = table[0];
    EXPECT_EQ(cl.name, "Chlorine");
    EXPECT_EQ(cl.symbol, "Cl");
    EXPECT_EQ(cl.atomicNumber, 17);
    EXPECT_FLOAT_EQ(cl.mass, 35.45f);
    EXPECT_EQ(cl.period, 3);
    EXPECT_EQ(cl.group, 7);
    EXPECT_EQ(cl.groupLetter, 'A');
    EXPECT_EQ(cl.radiusAdjust, 0);
    EXPECT_FLOAT_EQ(cl.colour.red, 0.0f);
    EXPECT_FLOAT_EQ(cl.colour.green, 1.0f);
    EXPECT_FLOAT_EQ(cl.colour.blue, 0.0f);
    EXPECT_FLOAT_EQ(cl.colour.alpha, 1.0f);
    EXPECT_NEAR(cl.radius, 22.98f, 0.01f);
}

TEST(SettingsElementLineTest, SymbolLengthsLettersAndRadii) {
    const ElementTable table = ReadElements(
        "Hydrogen,H,1,1,1,1,A,0,1,1,1\n"
        "Carbon,C,2,12,2,4,AB,-2,0.5,0.5,0.5\n"
        "Longname,Abcd,3,1,1,0,,0,1,1,1\n"
        "Neon,Ne,4,20.18,2,0, ,0,1,1,1,extra,fields\n");
    ASSERT_EQ(table.size(), 4u);
    EXPECT_EQ(table[0].symbol, "H");
    EXPECT_FLOAT_EQ(table[0].radius, 14.0f);
    EXPECT_EQ(table[1].symbol, "C");
    EXPECT_EQ(table[1].groupLetter, 'A');  // further characters of the field are ignored
    EXPECT_NEAR(table[1].radius, 17.08f, 0.01f);
    EXPECT_EQ(table[2].symbol, "Abc");     // a longer symbol field keeps its first three
    EXPECT_EQ(table[2].groupLetter, ' ');  // an empty letter field gives a blank
    EXPECT_EQ(table[3].groupLetter, ' ');
    EXPECT_FLOAT_EQ(table[3].colour.blue, 1.0f);
}

TEST(SettingsElementLineTest, IncompleteLinesAreSkipped) {
    const ElementTable table = ReadElements(
        "no commas at all\n"
        "Short,S,1,2,3,4,A,0,1,1\n"          // ten fields
        "Hydrogen,,1,1.008,1,1,A,0,1,1,1\n"  // no symbol
        + std::string(kChlorine));
    ASSERT_EQ(table.size(), 1u);
    EXPECT_EQ(table[0].symbol, "Cl");
}

TEST(SettingsReadingTest, WhatEndsOrSkipsReading) {
    // A repeated consecutive atomic number ends reading there.
    const ElementTable duplicates = ReadElements(
        "Hydrogen,H,1,1,1,1,A,0,1,1,1\nHelium,He,2,4,1,0, ,0,1,1,1\n"
        "Again,Ag,2,4,1,0, ,0,1,1,1\nLithium,Li,3,7,2,1,A,0,1,1,1\n");
    ASSERT_EQ(duplicates.size(), 2u);
    EXPECT_EQ(duplicates[1].symbol, "He");

    // An empty line, or any line shorter than 5 with its line feed, ends reading.
    Settings s;
    ElementTable table;
    ParseSettingsText("@Cohesion=10\n\n@Cohesion=20\n" + std::string(kChlorine), s, table);
    EXPECT_EQ(s.Cohesion, 10);
    EXPECT_TRUE(table.empty());
    EXPECT_EQ(ReadKeys("@Cohesion=10\nabc\n@Cohesion=20\n").Cohesion, 10);
    EXPECT_EQ(ReadKeys("@Cohesion=10\nabcd\n@Cohesion=20\n").Cohesion, 20);

    // A line containing "#" anywhere is skipped, even a key line with a comment.
    EXPECT_EQ(ReadKeys("#\n@Cohesion=10 # ten\n@DetailLevel=9\n").Cohesion, 50);
    EXPECT_EQ(ReadKeys("#\n@Cohesion=10 # ten\n@DetailLevel=9\n").DetailLevel, 9);

    // Key lines only: no elements.
    EXPECT_TRUE(ReadElements("@Cohesion=10\n@Shadows=1\n").empty());
    // CR LF and a lone CR end a line as LF does, also for the length that
    // ends reading.
    EXPECT_EQ(ReadKeys("@Cohesion=33\r\n@DetailLevel=8\r\n").DetailLevel, 8);
    EXPECT_EQ(ReadKeys("@Cohesion=33\r@DetailLevel=8\r").DetailLevel, 8);
    EXPECT_EQ(ReadKeys("@Cohesion=10\r\nabc\r\n@Cohesion=20\r\n").Cohesion, 10);
    EXPECT_EQ(ReadKeys("@Cohesion=10\r\nabcd\r\n@Cohesion=20\r\n").Cohesion, 20);
    EXPECT_EQ(ReadElements(std::string("Chlorine,Cl,17,35.45,3,7,A,0,0,1,0.5\r\n"))[0].colour.blue,
              0.5f);
}

TEST(SettingsReadingTest, LongLinesAreOneLine) {
    // Past 127 characters a line goes on: its tail is no line of its own.
    const std::string padding(127 - std::string("@Cohesion=11").size(), ' ');
    Settings s = ReadKeys("@Cohesion=11" + padding + "@DetailLevel=13\n");
    EXPECT_EQ(s.Cohesion, 11);
    EXPECT_EQ(s.DetailLevel, 20);

    // A long comment, or a long line ending in a short tail, ends nothing.
    s = ReadKeys("#" + std::string(127, '-') + "\n@Cohesion=12" + padding +
                 "abc\n@DetailLevel=14\n");
    EXPECT_EQ(s.Cohesion, 12);
    EXPECT_EQ(s.DetailLevel, 14);

    // A huge line neither breaks the reader nor leaks into later keys.
    s = ReadKeys("@Shadows=0" + std::string(100000, 'x') + "\n@Squash=1\n");
    EXPECT_FALSE(s.Shadows);
    EXPECT_TRUE(s.Squash);
}

TEST(SettingsWriterTest, WritesTheExactLayout) {
    Settings s;
    s.WindowX = 104;
    s.WindowY = 150;
    s.restoredWidth = 592;
    s.restoredHeight = 346;
    s.Cohesion = 42;
    s.Shadows = true;
    s.LightAmbient = 0.3f;
    s.CloudColour = {0.1f, 0.2f, 0.3f, 0.4f};
    ElementTable table =
        ReadElements(std::string(kChlorine) + "Neon,Ne,18,20.1797,2,0,,-3,1,0.5,0.25\n");
    table[0].colour.alpha = 0.5f;  // alpha is never written

    const std::string expected =
        "# Tessaril.ini File\n#\n# Configuration Settings\n#\n"
        "@WindowX=100\n@WindowY=100\n@WindowWidth=600\n@WindowHeight=400\n"
        "@Cohesion=42\n@DetailLevel=20\n@Specular=1\n@Shadows=1\n@InvertColours=0\n@Squash=0\n"
        "@LightDiffuse=1\n@LightAmbient=0.3\n"
        "@BackgroundColour=[0,0,0,1]\n@SelectColour=[1,1,1,1]\n@HighlightColour=[0.8,0.8,0.8,1]\n"
        "@TextColour=[0.7,0.7,0.7,1]\n@LinkColour=[1,1,1,1]\n@CloudColour=[0.1,0.2,0.3,0.4]\n"
        "#\n# Atomic Data\n#\n"
        "Chlorine,Cl,17,35.45,3,7,A,0,0,1,0\n"
        "Neon,Ne,18,20.1797,2,0, ,-3,1,0.5,0.25\n";
    EXPECT_EQ(FormatSettingsText(s, table), expected);

    // The frame is computed wide: values at the ends of the range stay there.
    s.WindowX = INT_MIN;
    s.WindowY = INT_MAX;
    s.restoredWidth = INT_MAX;
    s.restoredHeight = INT_MIN;
    const std::string extremes = FormatSettingsText(s, {});
    EXPECT_NE(extremes.find("@WindowX=-2147483648\n@WindowY=2147483597\n"
                            "@WindowWidth=2147483647\n@WindowHeight=-2147483594\n"),
              std::string::npos);
}

TEST(SettingsWriterTest, RoundTripKeepsKeyAndElementLines) {
    Settings first;
    ElementTable table;
    const std::string text =
        "# Tessaril.ini File\n#\n# Configuration Settings\n#\n"
        "@WindowX=10\n@WindowY=20\n@WindowWidth=700\n@WindowHeight=500\n"
        "@Cohesion=42\n@DetailLevel=30\n@Specular=0\n@Shadows=1\n@InvertColours=1\n@Squash=1\n"
        "@LightDiffuse=0.75\n@LightAmbient=0.33\n"
        "@BackgroundColour=[0.1,0.2,0.3,1]\n@SelectColour=[1,0,0,1]\n"
        "@HighlightColour=[0.8,0.8,0.8,1]\n@TextColour=[0.7,0.7,0.7,1]\n"
        "@LinkColour=[1,1,1,0.5]\n@CloudColour=[1,0.5,0.5,0.25]\n"
        "#\n# Atomic Data\n#\n" +
        std::string(kChlorine);
    ParseSettingsText(text, first, table);
    // The window keeps the outer frame as the file gives it; during a run the
    // client area sits inside it by the fixed frame widths.
    first.WindowX += 4;
    first.WindowY += 50;
    first.restoredWidth = first.WindowWidth - 8;
    first.restoredHeight = first.WindowHeight - 54;
    EXPECT_EQ(FormatSettingsText(first, table), text);
}

// What the reader did not take (lines it could not use, and everything from
// the line that ended reading) is written back as it was, after the element
// lines, so that reading the rewritten file gives the same again.
TEST(SettingsWriterTest, RewriteKeepsWhatTheReaderDidNotTake) {
    const std::string unread =
        "@Unknown=5\nShort,S,1,2,3,4,A,0,1,1\n\n@Cohesion=20\n# kept\nNeon,Ne,10,20,2,0,,0,1,1,1";
    Settings first;
    ElementTable table;
    ParseSettingsText(
        "@Cohesion=10\r\n@Unknown=5\r\n" + std::string(kChlorine) +
            "Short,S,1,2,3,4,A,0,1,1\n\n@Cohesion=20\n# kept\nNeon,Ne,10,20,2,0,,0,1,1,1",
        first, table);
    EXPECT_EQ(first.Cohesion, 10);
    ASSERT_EQ(table.size(), 1u);
    const std::string written = FormatSettingsText(first, table);
    EXPECT_EQ(written.substr(written.size() - unread.size() - 1 - std::strlen(kChlorine)),
              std::string(kChlorine) + unread + "\n");
    Settings second;
    ElementTable again;
    ParseSettingsText(written, second, again);
    EXPECT_EQ(again.size(), 1u);
    EXPECT_EQ(*second.unreadLines, *first.unreadLines);
}

class SettingsFileTest : public FreshProcessTest {
protected:
    void TearDown() override { ASSERT_EQ(chdir("/"), 0); }
    TemporaryFolder folder;
};

TEST_F(SettingsFileTest, MissingFileReportsAndKeepsDefaults) {
    settings.startDirectory = folder.path();
    ASSERT_EQ(chdir(folder.path().c_str()), 0);
    const FileResult read = ReadSettingsFile();
    EXPECT_FALSE(read.ok);
    EXPECT_EQ(
        read.notices,
        (Notices{{"Unable to open file " + folder.File("Tessaril.ini") + "!", "File Error!"}}));
    EXPECT_EQ(settings.startDirectory, folder.path());
    EXPECT_EQ(settings.Cohesion, 50);
    EXPECT_EQ(ElementCount(), 0);
}

TEST_F(SettingsFileTest, ReadsFromTheWorkingDirectoryAndWritesThere) {
    WriteFileOrFail(folder.File("Tessaril.ini"), "@Cohesion=61\n" + std::string(kChlorine));
    ASSERT_EQ(chdir(folder.path().c_str()), 0);
    const FileResult read = ReadSettingsFile();
    EXPECT_TRUE(read.ok);
    EXPECT_TRUE(read.notices.empty());
    EXPECT_EQ(settings.Cohesion, 61);
    ASSERT_EQ(ElementCount(), 1);

    // Later changes of the working directory do not move the file.
    ASSERT_EQ(chdir("/"), 0);
    settings.Cohesion = 62;
    const FileResult written = WriteSettingsFile();
    ASSERT_TRUE(written.ok);
    EXPECT_EQ(ReadFileOrEmpty(folder.File("Tessaril.ini")),
              FormatSettingsText(settings, elementTable));
    EXPECT_TRUE(written.notices.empty());
}

// With the working directory gone there is no folder to name: the file is
// looked for by its relative name, never as "/Tessaril.ini".
TEST_F(SettingsFileTest, DeletedWorkingDirectoryGivesTheRelativeName) {
    const std::string gone = folder.File("gone");
    ASSERT_EQ(mkdir(gone.c_str(), 0755), 0);
    EXPECT_TRUE(RunInChild([&] {
        const bool moved = chdir(gone.c_str()) == 0 && rmdir(gone.c_str()) == 0;
        const FileResult read = ReadSettingsFile();
        return moved && SettingsFilePath(settings) == "Tessaril.ini" &&
               read.notices == Notices{{"Unable to open file Tessaril.ini!", "File Error!"}};
    }));
}

TEST_F(SettingsFileTest, FailedWriteReportsAndLeavesOldFile) {
    settings.startDirectory = folder.File("no-such-folder");
    const FileResult written = WriteSettingsFile();
    EXPECT_FALSE(written.ok);
    EXPECT_EQ(written.notices,
              (Notices{{"Unable to open file " + folder.File("no-such-folder/Tessaril.ini") + "!",
                        "File Error!"}}));
}

}  // namespace
