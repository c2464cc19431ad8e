// The content indexes: file formats with their edge cases, timecodes, the
// filter and the cursor searches.
#include <gtest/gtest.h>

#include "content/OurUtils.h"
#include "content/TargetIndex.h"
#include "tests/TestSupport.h"

#include <set>

using namespace tav;
using tavtest::TempFolder;
using tavtest::WriteFile;

namespace {

// A movieinf.txt line.
std::string Line(int seq, const std::string& start, const std::string& end, const std::string& text,
                 const std::string& speaker, int same = 0, int activities = 1) {
    return Format("%d|%s|%s|%s|%s|%d|%d|0|0\r\n", seq, start.c_str(), end.c_str(), text.c_str(), speaker.c_str(),
                  same, activities);
}

class MovieIndexTest : public ::testing::Test {
protected:
    TempFolder dir;
    TTargetIndex index;
    std::string Load(const std::string& bytes) {
        const std::string file = dir.File("movieinf.txt");
        WriteFile(file, bytes);
        index.LoadMovieIndex(file);
        return file;
    }
};

} // namespace

// ---- timecodes -------------------------------------------------------------------

TEST(Timecode, OneToFourFieldsCountFromTheLastAsThirtieths) {
    EXPECT_EQ(TimecodeToFrames("00:01:02:03"), 1552); // 1863 thirtieths
    EXPECT_EQ(TimecodeToFrames("1:02:03"), 1552);     // minutes, seconds, thirtieths
    EXPECT_EQ(TimecodeToFrames("02:03"), 52);         // 63 thirtieths
    EXPECT_EQ(TimecodeToFrames("30"), 25);
    EXPECT_EQ(TimecodeToFrames("01:00:00:00"), 90000);
    EXPECT_EQ(TimecodeToFrames(""), 0);
}

TEST(Timecode, StopsAtTheFirstFieldThatIsNoNumber) {
    EXPECT_EQ(TimecodeToFrames("00:02:xx:03"), TimecodeToFrames("00:02")); // read as 2 thirtieths
    EXPECT_EQ(TimecodeToFrames("00:02:xx:03"), 1);
    EXPECT_EQ(TimecodeToFrames("00:00:03:"), TimecodeToFrames("00:00:03"));
    EXPECT_EQ(TimecodeToFrames("abc"), 0);
    // A fifth field is never read.
    EXPECT_EQ(TimecodeToFrames("01:00:00:00:29"), 90000);
    // Huge values saturate instead of wrapping round.
    EXPECT_GT(TimecodeToFrames("99999999:00:00:00"), 0);
}

TEST(Timecode, CompletenessTellsWhetherEveryFieldWasRead) {
    EXPECT_TRUE(TimecodeIsComplete("00:01:02:03"));
    EXPECT_TRUE(TimecodeIsComplete("7"));
    EXPECT_FALSE(TimecodeIsComplete(""));
    EXPECT_FALSE(TimecodeIsComplete("00:01:x2:03"));
    EXPECT_FALSE(TimecodeIsComplete("00:01:02:"));
    EXPECT_FALSE(TimecodeIsComplete("00:00:01:02:03"));
}

TEST(Timecode, FramesToTimecodeFormatsTwoDigitFields) {
    EXPECT_EQ(FramesToTimecode(25), "00:00:01:00");
    EXPECT_EQ(FramesToTimecode(0), "00:00:00:00");
    EXPECT_EQ(FramesToTimecode(1552), "00:01:02:02");
    EXPECT_EQ(FramesToTimecode(90000), "01:00:00:00");
    EXPECT_EQ(FramesToTimecode(90000 * 12 + 1), "12:00:00:01");
    // Whole seconds survive the way back.
    for (int s = 0; s < 4000; s += 37) EXPECT_EQ(TimecodeToFrames(FramesToTimecode(s * 25)), s * 25);
}

// ---- movieinf.txt ----------------------------------------------------------------

TEST_F(MovieIndexTest, SkippedLinesStillCountForLineNumbers) {
    Load(Line(1, "00:00:01:00", "00:00:02:00", "One", "A") +
         "\r\n" +                                            // blank
         Line(0, "00:00:02:00", "00:00:03:00", "Zero", "A") + // sequence 0
         Line(4, "-2", "00:00:03:00", "Before", "A") +       // negative start
         Line(5, "00:00:03:00", "00:00:00:00", "NoEnd", "A") + // end 0
         Line(6, "00:00:04:00", "00:00:05:00", "Six", "B"));
    ASSERT_EQ(index.MovieEntries.size(), 2u);
    EXPECT_EQ(index.MovieEntries[0].LineNumber, 1);
    EXPECT_EQ(index.MovieEntries[1].LineNumber, 6);
    EXPECT_EQ(index.MovieEntries[1].SequenceNumber, 6);
    EXPECT_EQ(index.MovieEntries[1].StartFrame, 100);
    EXPECT_EQ(index.MovieEntries[1].EndFrame, 125);
}

TEST_F(MovieIndexTest, StartZeroIsKeptButEndZeroIsNot) {
    Load(Line(1, "00:00:00:00", "00:00:00:02", "a", "A") + Line(2, "00:00:00:00", "00:00:00:01", "b", "A"));
    ASSERT_EQ(index.MovieEntries.size(), 1u); // 1 thirtieth is 0 film units
    EXPECT_EQ(index.MovieEntries[0].EndFrame, 1);
}

TEST_F(MovieIndexTest, FieldsFlagsAndMissingTrailingFields) {
    Load("3|00:00:01:00|00:00:02:00|Hello|Ann|256|257|11|-4\r\n"
         "4|00:00:02:00|00:00:03:00|Short\r\n"
         "x|00:00:03:00|00:00:04:00|NoNumber|Ann\r\n");
    ASSERT_EQ(index.MovieEntries.size(), 2u);
    const auto& a = index.MovieEntries[0];
    EXPECT_FALSE(a.SameSpeaker);  // only the low byte counts: 256 is off
    EXPECT_TRUE(a.ForActivities); // 257 is on
    EXPECT_EQ(a.Extra1, 11);
    EXPECT_EQ(a.Extra2, -4);
    EXPECT_EQ(a.Speaker, "Ann");
    const auto& b = index.MovieEntries[1];
    EXPECT_EQ(b.LineText, "Short");
    EXPECT_EQ(b.Speaker, "");
    EXPECT_FALSE(b.ForActivities);
    EXPECT_EQ(b.Extra1, 0);
    EXPECT_EQ(index.ActivityLineCount, 1);
}

TEST_F(MovieIndexTest, TextIsConvertedFromMacAndHeadingsAreUpperCased) {
    // Mac 0x8E is e-acute (0xE9 in Windows-1252), whose capital is 0xC9.
    Load(Line(1, "00:00:01:00", "00:00:02:00", "Caf\x8E", "Ren\x8E"));
    ASSERT_EQ(index.MovieEntries.size(), 1u);
    EXPECT_EQ(index.MovieEntries[0].LineText, "Caf\xC3\xA9");
    EXPECT_EQ(index.MovieEntries[0].Speaker, "Ren\xC3\xA9");
    EXPECT_EQ(index.ScriptLines[1].Text, "REN\xC3\x89");
}

TEST_F(MovieIndexTest, AllLineEndsReadAlike) {
    const std::string a = Line(1, "00:00:01:00", "00:00:02:00", "a", "A");
    const std::string b = Line(2, "00:00:02:00", "00:00:03:00", "b", "B");
    auto strip = [](std::string s) { return s.substr(0, s.size() - 2); };
    for (const std::string& end : {std::string("\r\n"), std::string("\n"), std::string("\r")}) {
        Load(strip(a) + end + end + strip(b) + end);
        ASSERT_EQ(index.MovieEntries.size(), 2u) << int(end[0]);
        EXPECT_EQ(index.MovieEntries[1].LineNumber, 3);
        EXPECT_EQ(index.MovieEntries[1].LineText, "b");
    }
}

TEST_F(MovieIndexTest, SameSpeakerLinesShareOneHeading) {
    Load(Line(1, "00:00:01:00", "00:00:02:00", "First", "Ann", 0) +
         Line(2, "00:00:02:00", "00:00:03:00", "Second", "Ann", 1));
    ASSERT_EQ(index.ScriptLines.size(), 4u);
    EXPECT_EQ(index.ScriptLines[0].Kind, TScriptRowKind::Blank);
    EXPECT_EQ(index.ScriptLines[1].Kind, TScriptRowKind::Heading);
    EXPECT_EQ(index.ScriptLines[1].Text, "ANN");
    EXPECT_EQ(index.ScriptLines[2].Kind, TScriptRowKind::Line);
    EXPECT_EQ(index.ScriptLines[3].Kind, TScriptRowKind::Line);
    EXPECT_EQ(index.ScriptLines[3].Text, "Second");
    EXPECT_EQ(index.MovieEntries[0].ScriptIndex, 2);
    EXPECT_EQ(index.MovieEntries[1].ScriptIndex, 3);
    EXPECT_EQ(index.ScriptLines[3].Entry, 1);
}

TEST_F(MovieIndexTest, WithoutSameSpeakerEachLineGetsBlankAndHeading) {
    Load(Line(1, "00:00:01:00", "00:00:02:00", "First", "Ann", 0) +
         Line(2, "00:00:02:00", "00:00:03:00", "Second", "Ann", 0));
    ASSERT_EQ(index.ScriptLines.size(), 6u);
    EXPECT_EQ(index.ScriptLines[3].Kind, TScriptRowKind::Blank);
    EXPECT_EQ(index.ScriptLines[4].Kind, TScriptRowKind::Heading);
    EXPECT_EQ(index.MovieEntries[1].ScriptIndex, 5);
}

TEST_F(MovieIndexTest, EmptyTextShowsAsDotsWithoutHeading) {
    Load(Line(1, "00:00:01:00", "00:00:02:00", "Hi", "Ann") + Line(2, "00:00:02:00", "00:00:03:00", "", "Bob", 0) +
         Line(3, "00:00:03:00", "00:00:04:00", "Yes", "Bob", 1));
    ASSERT_EQ(index.ScriptLines.size(), 5u);
    EXPECT_EQ(index.ScriptLines[3].Text, ".....");
    EXPECT_EQ(index.ScriptLines[3].Kind, TScriptRowKind::Line);
    EXPECT_EQ(index.MovieEntries[1].ScriptIndex, 3);
    EXPECT_EQ(index.MovieEntries[2].ScriptIndex, 4);
    // And it is never the next spoken line.
    EXPECT_EQ(index.NextSpokenLine(&index.MovieEntries[0]), &index.MovieEntries[2]);
}

TEST_F(MovieIndexTest, FilterClearsTheActivityFlagOnlyWhenSwitchedOn) {
    WriteFile(dir.File("filter1.txt"), "dam\r\n");
    index.LoadFilter(dir.File("filter1.txt"));
    const std::string text = Line(1, "00:00:01:00", "00:00:02:00", "Dam, yes", "A") +
                             Line(2, "00:00:02:00", "00:00:03:00", "Damn!", "A");
    Load(text);
    EXPECT_EQ(index.ActivityLineCount, 2);
    index.Filter1 = true;
    Load(text);
    EXPECT_FALSE(index.MovieEntries[0].ForActivities);
    EXPECT_TRUE(index.MovieEntries[1].ForActivities);
    EXPECT_EQ(index.ActivityLineCount, 1);
}

TEST_F(MovieIndexTest, MissingFileNamesItAndReloadReplacesTheOldIndex) {
    Load(Line(1, "00:00:01:00", "00:00:02:00", "Hi", "Ann"));
    index.EntryAt(30);
    try {
        index.LoadMovieIndex(dir.File("nothere/movieinf.txt"));
        FAIL() << "no error";
    } catch (const EProgramError& e) {
        EXPECT_NE(std::string(e.what()).find("movieinf.txt"), std::string::npos) << e.what();
    }
    EXPECT_TRUE(index.MovieEntries.empty());
    Load(Line(7, "00:00:01:00", "00:00:02:00", "New", "Ann"));
    ASSERT_EQ(index.MovieEntries.size(), 1u);
    EXPECT_EQ(index.MovieEntries[0].SequenceNumber, 7);
    EXPECT_EQ(index.EntryCursor, 0);
}

TEST_F(MovieIndexTest, ProblemsNameTheSkippedLinesAndBadTimecodes) {
    TIndexProblems problems;
    const std::string file = dir.File("movieinf.txt");
    WriteFile(file, Line(1, "00:00:01:00", "00:00:02:00", "a", "A") + "\r\n" +
                        Line(0, "00:00:02:00", "00:00:03:00", "b", "A") +
                        Line(4, "00:00:0x:00", "00:00:05:00", "c", "A"));
    index.LoadMovieIndex(file, &problems);
    ASSERT_EQ(problems.size(), 3u);
    EXPECT_EQ(problems[0].Line, 2);
    EXPECT_EQ(problems[1].Line, 3);
    EXPECT_NE(problems[1].Text.find("sequence number"), std::string::npos);
    EXPECT_EQ(problems[2].Line, 4);
    EXPECT_NE(problems[2].Text.find("start timecode"), std::string::npos);
    EXPECT_EQ(problems[2].File, file);
    EXPECT_EQ(index.MovieEntries.size(), 2u); // the bad timecode line still loads, as the program reads it
}

// ---- filter1.txt and IsFilteredText ---------------------------------------------

class FilterTest : public ::testing::Test {
protected:
    TempFolder dir;
    TTargetIndex index;
    void Words(const std::string& bytes) {
        WriteFile(dir.File("filter1.txt"), bytes);
        index.LoadFilter(dir.File("filter1.txt"));
        index.Filter1 = true;
    }
};

TEST_F(FilterTest, MissingFileGivesNoWordsAndBlankLinesAreDropped) {
    index.FilterWords = {"old"};
    index.LoadFilter(dir.File("filter1.txt"));
    EXPECT_TRUE(index.FilterWords.empty());
    Words("dam\r\n\r\nbon dieu\r\ncaf\x8E\r\n");
    EXPECT_EQ(index.FilterWords, (TStringList{"dam", "bon dieu", "caf\xC3\xA9"}));
}

TEST_F(FilterTest, WordsCountOnlyBetweenBoundaries) {
    Words("dam\r\n");
    EXPECT_FALSE(index.IsFilteredText("Damn!"));      // a letter follows
    EXPECT_TRUE(index.IsFilteredText("Dam, yes"));    // at the start, a comma follows
    EXPECT_TRUE(index.IsFilteredText("Oh no, dam"));  // at the very end
    EXPECT_TRUE(index.IsFilteredText("dam"));         // the whole text
    EXPECT_FALSE(index.IsFilteredText("Adam"));       // a letter before
    EXPECT_FALSE(index.IsFilteredText("l'dam"));      // the apostrophe joins words
    EXPECT_FALSE(index.IsFilteredText("dam's"));
    EXPECT_TRUE(index.IsFilteredText("1dam2"));       // digits separate
    EXPECT_TRUE(index.IsFilteredText("\xC2\xA1" "dam!")); // inverted exclamation mark
    EXPECT_TRUE(index.IsFilteredText("\xC2\xBF" "dam?")); // inverted question mark
    EXPECT_FALSE(index.IsFilteredText("dam\xC3\xA9"));    // an accented letter is a letter
    EXPECT_FALSE(index.IsFilteredText("dam@"));       // 0x40 is past the boundary range
    EXPECT_FALSE(index.IsFilteredText("some text"));
}

TEST_F(FilterTest, OnlyTheFirstOccurrenceOfAWordIsExamined) {
    Words("dam\r\n");
    EXPECT_FALSE(index.IsFilteredText("Adam said dam"));
    Words("adam\r\ndam\r\n"); // each word is looked for on its own
    EXPECT_FALSE(index.IsFilteredText("Madam, dam"));
    EXPECT_TRUE(index.IsFilteredText("Adam and dam"));
}

TEST_F(FilterTest, LowerCasingKnowsWindows1252AndPhrasesWork) {
    Words("\x8Et\x8E\r\nbon dieu\r\n"); // "été" in the file's Mac encoding
    EXPECT_TRUE(index.IsFilteredText("\xC3\x89T\xC3\x89!"));
    EXPECT_TRUE(index.IsFilteredText("Oh, BON DIEU."));
    EXPECT_FALSE(index.IsFilteredText("bon dieux"));
}

TEST_F(FilterTest, SwitchedOffNothingIsFiltered) {
    Words("dam\r\n");
    index.Filter1 = false;
    EXPECT_FALSE(index.IsFilteredText("dam"));
}

TEST(FilterBoundary, RangeEdges) {
    EXPECT_FALSE(IsFilterBoundary(0x1F));
    EXPECT_TRUE(IsFilterBoundary(0x20));
    EXPECT_FALSE(IsFilterBoundary(0x27));
    EXPECT_TRUE(IsFilterBoundary(0x3F));
    EXPECT_FALSE(IsFilterBoundary(0x40));
    EXPECT_TRUE(IsFilterBoundary(0xA1));
    EXPECT_TRUE(IsFilterBoundary(0xBF));
    EXPECT_FALSE(IsFilterBoundary(0xC0));
}

// ---- record.txt ------------------------------------------------------------------

class RecordIndexTest : public ::testing::Test {
protected:
    TempFolder dir;
    TTargetIndex index;
    void Load(const std::string& bytes, TIndexProblems* problems = nullptr) {
        WriteFile(dir.File("record.txt"), bytes);
        index.LoadRecordIndex(dir.File("record.txt"), problems);
    }
};

TEST_F(RecordIndexTest, ShortScenesLeaveTheRestAtZero) {
    Load("Marie\r\n12|13 20|21|22|23|24|25\r\n");
    ASSERT_EQ(index.RecordEntries.size(), 1u);
    const auto& r = index.RecordEntries[0];
    EXPECT_EQ(r.Title, "Marie");
    EXPECT_EQ(r.Parts[0][0], 12);
    EXPECT_EQ(r.Parts[0][1], 13);
    EXPECT_EQ(r.Parts[0][2], 0);
    EXPECT_EQ(r.Parts[0][4], 0);
    EXPECT_EQ(r.Parts[1][4], 24); // a sixth line is not read
    EXPECT_EQ(r.Parts[2][0], 0);
}

TEST_F(RecordIndexTest, AtMostNineScenesAndBadNumbersReadAsZero) {
    TIndexProblems problems;
    Load("Paul\r\n1 2 3 4 5 6 7 8 9 10\r\nAnn\r\n5|x|7\r\n", &problems);
    ASSERT_EQ(index.RecordEntries.size(), 2u);
    EXPECT_EQ(index.RecordEntries[0].Parts[8][0], 9);
    EXPECT_EQ(index.RecordEntries[1].Parts[0][0], 5);
    EXPECT_EQ(index.RecordEntries[1].Parts[0][1], 0);
    EXPECT_EQ(index.RecordEntries[1].Parts[0][2], 7);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].Line, 4);
}

TEST_F(RecordIndexTest, EmptyNameEndsTheFileAndTitlesAreConverted) {
    Load("Ren\x8E\r\n1|2|3\r\n\r\nBob\r\n4|5|6\r\n");
    ASSERT_EQ(index.RecordEntries.size(), 1u);
    EXPECT_EQ(index.RecordEntries[0].Title, "Ren\xC3\xA9");
}

TEST_F(RecordIndexTest, NameOnTheLastLineIsAnErrorNamingTheFile) {
    Load("Marie\r\n1|2|3\r\n");
    try {
        Load("Marie\r\n1|2|3\r\nPaul\r\n");
        FAIL() << "no error";
    } catch (const EProgramError& e) {
        EXPECT_NE(std::string(e.what()).find("record.txt"), std::string::npos) << e.what();
    }
    EXPECT_TRUE(index.RecordEntries.empty()); // no half-read index is left behind
}

TEST_F(RecordIndexTest, MissingFileNamesIt) {
    try {
        index.LoadRecordIndex(dir.File("record.txt"));
        FAIL() << "no error";
    } catch (const EProgramError& e) {
        EXPECT_NE(std::string(e.what()).find("record.txt"), std::string::npos) << e.what();
    }
}

// ---- Target.txt: key files and multi-menu entries --------------------------------

TEST(KeyFiles, FirstCaseInsensitiveKeyWinsAndLinesWithoutBarAreKeys) {
    const TStringList lines{"Alone", "movienames|a.mpg|b.mpg||c.mpg", "MovieNames|other", "Key|with|bars"};
    EXPECT_EQ(LookupKey(lines, "MOVIENAMES", "-"), "a.mpg|b.mpg||c.mpg");
    EXPECT_EQ(LookupKey(lines, "alone", "-"), "");
    EXPECT_EQ(LookupKey(lines, "missing", "-"), "-");
    EXPECT_EQ(SplitKeyList(lines, "MovieNames", '|'), (TStringList{"a.mpg", "b.mpg"}));
    EXPECT_TRUE(SplitKeyList(lines, "missing", '|').empty());
    EXPECT_EQ(FindKeyLine(lines, "KEY"), 3);
    EXPECT_EQ(FindKeyLine(lines, "Ke"), -1);
}

TEST(MultiEntries, NumberingStopsAtTheFirstMissingKey) {
    TTargetIndex index;
    index.TargetLines = {"MultiMenu|back.jpg", "Target1|fr.jpg|100,200|French|  /discs/French  ",
                         "Target3|de.jpg|1,2|German|"};
    index.LoadMultiEntries();
    ASSERT_EQ(index.MultiEntries.size(), 1u);
    const auto& m = index.MultiEntries[0];
    EXPECT_EQ(m.PictureFile, "fr.jpg");
    EXPECT_EQ(m.ButtonLeft, 100);
    EXPECT_EQ(m.ButtonTop, 200);
    EXPECT_EQ(m.FolderName, "French");
    EXPECT_EQ(m.TargetPath, "/discs/French");
}

TEST(MultiEntries, BadPositionsReadAsZeroAndAnEmptyValueEnds) {
    TTargetIndex index;
    index.TargetLines = {"target1|a.jpg|x,|A", "TARGET2|b.jpg|5,6|B", "Target3|", "Target4|d.jpg|1,1|D"};
    index.LoadMultiEntries();
    ASSERT_EQ(index.MultiEntries.size(), 2u);
    EXPECT_EQ(index.MultiEntries[0].ButtonLeft, 0);
    EXPECT_EQ(index.MultiEntries[0].ButtonTop, 0);
    EXPECT_EQ(index.MultiEntries[0].TargetPath, "");
    EXPECT_EQ(index.MultiEntries[1].FolderName, "B");
}

// ---- searches ----------------------------------------------------------------------

namespace {
// Four lines: [100,200) [200,300) gap [400,500) gap [600,700), numbers 10..40.
TTargetIndex FourLines() {
    TTargetIndex ix;
    const int frames[4][2] = {{100, 200}, {200, 300}, {400, 500}, {600, 700}};
    for (int i = 0; i < 4; ++i) {
        TMovieEntry e;
        e.LineNumber = i + 1;
        e.SequenceNumber = (i + 1) * 10;
        e.StartFrame = frames[i][0];
        e.EndFrame = frames[i][1];
        e.LineText = "line " + IntToStr(i + 1);
        e.ForActivities = i != 1;
        ix.MovieEntries.push_back(e);
    }
    ix.ActivityLineCount = 3;
    return ix;
}
} // namespace

TEST(EntryAt, LinesGapsAndBothEnds) {
    TTargetIndex ix = FourLines();
    const auto* e = ix.MovieEntries.data();
    EXPECT_EQ(ix.EntryAt(100), &e[0]); // first frame of a line
    EXPECT_EQ(ix.EntryAt(199), &e[0]);
    EXPECT_EQ(ix.EntryAt(200), &e[1]); // EndFrame of one where the next starts
    EXPECT_EQ(ix.EntryCursor, 1);
    EXPECT_EQ(ix.EntryAt(300), nullptr); // gap, walking forward
    EXPECT_EQ(ix.EntryCursor, 1);        // stopped before the gap
    EXPECT_EQ(ix.EntryAt(650), &e[3]);
    EXPECT_EQ(ix.EntryCursor, 3);
    EXPECT_EQ(ix.EntryAt(550), nullptr); // gap, walking back
    EXPECT_EQ(ix.EntryCursor, 3);
    EXPECT_EQ(ix.EntryAt(350), nullptr); // gap two lines back
    EXPECT_EQ(ix.EntryCursor, 2);
    EXPECT_EQ(ix.EntryAt(150), &e[0]); // back over several lines
    EXPECT_EQ(ix.EntryCursor, 0);
    EXPECT_EQ(ix.EntryAt(99), nullptr); // before the first line
    EXPECT_EQ(ix.EntryAt(0), nullptr);
    EXPECT_EQ(ix.EntryCursor, 0);
    EXPECT_EQ(ix.EntryAt(700), nullptr); // after the last
    EXPECT_EQ(ix.EntryCursor, 3);
    EXPECT_EQ(ix.EntryAt(699), &e[3]);
}

TEST(EntryAt, SequentialPositionsFindEveryLine) {
    TTargetIndex ix = FourLines();
    int hits = 0;
    for (int p = 0; p < 800; ++p) {
        const TMovieEntry* e = ix.EntryAt(p);
        const bool inLine = (p >= 100 && p < 300) || (p >= 400 && p < 500) || (p >= 600 && p < 700);
        ASSERT_EQ(e != nullptr, inLine) << p;
        if (e) {
            EXPECT_GE(p, e->StartFrame);
            EXPECT_LT(p, e->EndFrame);
            ++hits;
        }
    }
    EXPECT_EQ(hits, 400);
}

TEST(FindEntryByNumber, StepsBothWaysFromTheCursor) {
    TTargetIndex ix = FourLines();
    const auto* e = ix.MovieEntries.data();
    EXPECT_EQ(ix.FindEntryByNumber(30), &e[2]);
    EXPECT_EQ(ix.EntryCursor, 2);
    EXPECT_EQ(ix.FindEntryByNumber(10), &e[0]);
    EXPECT_EQ(ix.FindEntryByNumber(10), &e[0]);
    EXPECT_EQ(ix.FindEntryByNumber(40), &e[3]);
    // Past the last entry, before the first: none, cursor at that end.
    EXPECT_EQ(ix.FindEntryByNumber(41), nullptr);
    EXPECT_EQ(ix.EntryCursor, 3);
    EXPECT_EQ(ix.FindEntryByNumber(9), nullptr);
    EXPECT_EQ(ix.EntryCursor, 0);
}

TEST(FindEntryByNumber, WithoutExactMatchTheNearestInTheDirectionOfTravelAnswers) {
    TTargetIndex ix = FourLines();
    const auto* e = ix.MovieEntries.data();
    EXPECT_EQ(ix.FindEntryByNumber(25), &e[2]); // forward from 10: first number >= 25
    ix.EntryCursor = 3;
    EXPECT_EQ(ix.FindEntryByNumber(25), &e[1]); // back from 40: first number <= 25
}

TEST(Searches, EmptyIndexAndStrayCursorGiveNone) {
    TTargetIndex ix;
    EXPECT_EQ(ix.EntryAt(0), nullptr);
    EXPECT_EQ(ix.FindEntryByNumber(1), nullptr);
    EXPECT_EQ(ix.RandomActivityLine(), nullptr);
    EXPECT_EQ(ix.NextSpokenLine(nullptr), nullptr);
    ix.SettingsLines = {"NextGameStartLines|1|2"};
    EXPECT_EQ(ix.DrawNextLineStart(), nullptr);
    ix = FourLines();
    ix.EntryCursor = 99;
    EXPECT_EQ(ix.EntryAt(150), &ix.MovieEntries[0]);
    ix.EntryCursor = -5;
    EXPECT_EQ(ix.FindEntryByNumber(40), &ix.MovieEntries[3]);
}

TEST(RandomActivityLine, OnlyFlaggedLinesAndNoneWithoutAny) {
    TTargetIndex ix = FourLines();
    SetRandSeed(7);
    std::set<int> seen;
    for (int i = 0; i < 200; ++i) {
        const TMovieEntry* e = ix.RandomActivityLine();
        ASSERT_NE(e, nullptr);
        EXPECT_TRUE(e->ForActivities);
        seen.insert(e->SequenceNumber);
    }
    EXPECT_EQ(seen, (std::set<int>{10, 30, 40}));
    EXPECT_EQ(ix.EntryCursor, 0);
    for (auto& e : ix.MovieEntries) e.ForActivities = false;
    ix.ActivityLineCount = 0;
    EXPECT_EQ(ix.RandomActivityLine(), nullptr);
}

TEST(DrawNextLineStart, EveryStartOnceBeforeAnyRepeats) {
    TTargetIndex ix = FourLines();
    ix.SettingsLines = {"NextGameStartLines|10|30|40"};
    SetRandSeed(3);
    for (int round = 0; round < 3; ++round) {
        std::multiset<int> drawn;
        for (int i = 0; i < 3; ++i) {
            const TMovieEntry* e = ix.DrawNextLineStart();
            ASSERT_NE(e, nullptr);
            drawn.insert(e->SequenceNumber);
        }
        EXPECT_EQ(drawn, (std::multiset<int>{10, 30, 40})) << round;
        EXPECT_TRUE(ix.StartLinePool.empty());
    }
}

TEST(DrawNextLineStart, ABadNumberIsReportedOnceAndNoStartsGiveNone) {
    TTargetIndex ix = FourLines();
    ix.StartLinePool = {"abc"};
    ix.SettingsLines = {"NextGameStartLines|20"};
    EXPECT_THROW(ix.DrawNextLineStart(), EProgramError);
    EXPECT_EQ(ix.DrawNextLineStart(), &ix.MovieEntries[1]); // refilled from the settings
    ix.SettingsLines.clear();
    ix.StartLinePool.clear();
    EXPECT_EQ(ix.DrawNextLineStart(), nullptr);
}

TEST(NextSpokenLine, SkipsSilentLinesAndEndsWithNone) {
    TTargetIndex ix = FourLines();
    ix.MovieEntries[1].LineText.clear();
    const auto* e = ix.MovieEntries.data();
    EXPECT_EQ(ix.NextSpokenLine(&e[0]), &e[2]);
    EXPECT_EQ(ix.NextSpokenLine(&e[3]), nullptr);
    TMovieEntry stranger;
    EXPECT_EQ(ix.NextSpokenLine(&stranger), nullptr);
    EXPECT_EQ(ix.EntryCursor, 0);
}
