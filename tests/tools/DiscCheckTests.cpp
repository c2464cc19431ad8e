// tavolin-disc on good and broken discs: what it counts, the faults it
// names with file and line, and its exit statuses.
#include <gtest/gtest.h>

#include "tests/TestSupport.h"
#include "content/SpellingTable.h"
#include "tools/disc/DiscCheck.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>

#include <sstream>

using namespace tav;
using tavtest::TempFolder;
using tavtest::WriteFile;

namespace {

struct TRun {
    int Status = -1;
    std::string Out, Err;
    bool Has(const std::string& text) const { return Out.find(text) != std::string::npos; }
};

TRun RunTool(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    TRun r;
    r.Status = RunDiscTool(args, out, err);
    r.Out = out.str();
    r.Err = err.str();
    return r;
}

class DiscCheckTest : public ::testing::Test {
protected:
    TempFolder dir;
    std::string root;
    std::string target;
    void SetUp() override {
        root = dir.Path();
        target = root + "/French";
        tavtest::MakeFixtureDisc(root, "French");
        // The film parts, one written in other case: the look-up ignores case.
        WriteFile(target + "/part1.mpg", "x");
        WriteFile(target + "/PART2.MPG", "x");
        WriteFile(target + "/record.txt", "Marie\r\n2|3|3\r\n");
        // A word list of six entries, each with its picture and sound.
        WriteFile(target + "/DicWords.txt", "un\r\ndeux\r\ntrois\r\nquatre\r\ncinq\r\nsix\r\n");
        for (int n = 1; n <= 6; ++n) {
            WriteFile(target + "/DictPic/Dict" + std::to_string(n) + ".jpg", "x");
            WriteFile(target + "/DictSnd/Dict" + std::to_string(n) + ".aif", "x");
        }
        // The spelling table for the target's language 3 with every letter picture.
        WriteFile(root + "/Spelinfo.txt", "2 abc en\r\n3 " + kLetters + " xx\r\n");
        for (char c : kLetters)
            for (const std::string& name : LetterPictureNames(std::string(1, c))) WriteFile(SpellFile(name), "picture");
    }
    const std::string kLetters = "abcdefghijklmnopq";
    std::string SpellFile(std::string name) const {
        for (char& c : name)
            if (c == '\\') c = '/';
        QDir().mkpath(QString::fromStdString(root + "/shared/spell_xx" + name.substr(0, name.rfind('/'))));
        return root + "/shared/spell_xx" + name;
    }
};

} // namespace

TEST_F(DiscCheckTest, AGoodDiscLoadsAndIsCounted) {
    const TRun r = RunTool({"check", root});
    EXPECT_EQ(r.Status, 0) << r.Out;
    EXPECT_TRUE(r.Has("Target French")) << r.Out;
    EXPECT_TRUE(r.Has("  movie entries: 3\n")) << r.Out;
    EXPECT_TRUE(r.Has("  script rows: 9\n")) << r.Out;
    EXPECT_TRUE(r.Has("  activity lines: 3\n")) << r.Out;
    EXPECT_TRUE(r.Has("  actors: 1\n    Marie: 1 scene: 2|3|3\n")) << r.Out;
    EXPECT_TRUE(r.Has("  multi-menu entries: 0\n")) << r.Out;
    EXPECT_TRUE(r.Has("  filter words: 0\n")) << r.Out;
    EXPECT_TRUE(r.Has("  spelling letters: 17\n")) << r.Out;
    EXPECT_TRUE(r.Has("  search words: 2\n")) << r.Out;
    EXPECT_TRUE(r.Has("  dictionary entries: 6\n")) << r.Out;
    EXPECT_TRUE(r.Has("  problems: 0\n")) << r.Out;
    EXPECT_TRUE(r.Has("Result: the disc loads (0 problems)")) << r.Out;
}

TEST_F(DiscCheckTest, PlantedFaultsAreNamedWithFileAndLine) {
    WriteFile(target + "/movieinf.txt",
              "1|00:00:01:00|00:00:03:00|Bonjour !|MARIE|0|1|0|0\r\n"
              "0|00:00:03:00|00:00:04:00|Zero|PAUL|0|1|0|0\r\n"          // line 2: sequence 0
              "3|00:00:05:00|00:00:06:xx|Timecode|PAUL|0|1|0|0\r\n"      // line 3: end does not parse
              "4|00:00:07:00|00:00:08:00|Fine|MARIE|0|1|0|0\r\n");
    WriteFile(target + "/record.txt", "Marie\r\n1|2|3 2|3|9\r\n");
    WriteFile(target + "/settings.txt",
              "PCCaption|Test\r\nMovieNames|part1.mpg|part3.mpg\r\nNextGameStartLines|1|2|x\r\n");
    WriteFile(target + "/filter1.txt", "Dam\r\n");
    const TRun r = RunTool({"check", root});
    EXPECT_EQ(r.Status, 0) << r.Out; // faulty, but the program starts
    const std::string movie = target + "/movieinf.txt", record = target + "/record.txt",
                      settings = target + "/settings.txt";
    EXPECT_TRUE(r.Has(movie + ":2: line skipped: sequence number is 0")) << r.Out;
    EXPECT_TRUE(r.Has(movie + ":3: end timecode \"00:00:06:xx\" does not parse")) << r.Out;
    EXPECT_TRUE(r.Has(record + ":2: scene 1 starts with entry 1")) << r.Out;
    EXPECT_TRUE(r.Has(record + ":2: scene 2 line 3: 9 points at no entry")) << r.Out;
    // Entry 2 is line 3 of movieinf.txt: the skipped line shifted the numbering.
    EXPECT_TRUE(r.Has(record + ":2: scene 1 line 2: 2 is line 3 of movieinf.txt")) << r.Out;
    EXPECT_TRUE(r.Has(settings + ":3: NextGameStartLines: 2 matches no entry")) << r.Out;
    EXPECT_TRUE(r.Has(settings + ":3: NextGameStartLines: \"x\" is not a whole number")) << r.Out;
    EXPECT_FALSE(r.Has("NextGameStartLines: 1 ")) << r.Out;
    EXPECT_TRUE(r.Has(settings + ":2: film part \"part3.mpg\" not found")) << r.Out;
    EXPECT_FALSE(r.Has("\"part1.mpg\" not found")) << r.Out;
    EXPECT_TRUE(r.Has(target + "/filter1.txt:1: filter word \"Dam\" is not in lower case")) << r.Out;
    EXPECT_TRUE(r.Has("  movie entries: 3\n")) << r.Out;
}

TEST_F(DiscCheckTest, WordListFaultsAreNamedWithTheirEntries) {
    // Line 2 is empty (no entry), line 4 only blanks; entry 4's picture is
    // in other case (found), entry 5 has no sound, entry 6 no picture.
    WriteFile(target + "/DicWords.txt", "un\r\n\r\ndeux\r\n   \r\nquatre\r\ncinq\r\nsix\r\n");
    QFile::remove(QString::fromStdString(target + "/DictPic/Dict4.jpg"));
    WriteFile(target + "/DictPic/DICT4.JPG", "x");
    QFile::remove(QString::fromStdString(target + "/DictSnd/Dict5.aif"));
    QFile::remove(QString::fromStdString(target + "/DictPic/Dict6.jpg"));
    TRun r = RunTool({"check", root});
    const std::string words = target + "/DicWords.txt";
    EXPECT_EQ(r.Status, 0) << r.Out;
    EXPECT_TRUE(r.Has("  dictionary entries: 6\n")) << r.Out;
    EXPECT_TRUE(r.Has(words + ":4: entry 3 is only blanks")) << r.Out;
    EXPECT_FALSE(r.Has("entry 4: picture")) << r.Out;
    EXPECT_TRUE(r.Has(words + ":6: entry 5: sound DictSnd\\Dict5.aif not found")) << r.Out;
    EXPECT_TRUE(r.Has(words + ":7: entry 6: picture DictPic\\Dict6.jpg not found")) << r.Out;
    EXPECT_FALSE(r.Has("needs at least 6")) << r.Out;

    WriteFile(target + "/DicWords.txt", "un\r\ndeux\r\n");
    r = RunTool({"check", root});
    EXPECT_TRUE(r.Has(words + ": 2 entries: the vocabulary activity needs at least 6")) << r.Out;
    QFile::remove(QString::fromStdString(words));
    r = RunTool({"check", root});
    EXPECT_EQ(r.Status, 0) << r.Out;
    EXPECT_TRUE(r.Has(words + ": missing")) << r.Out;
}

TEST_F(DiscCheckTest, QuizQuestionsSoundsAndOpponentNameAreChecked) {
    QDir().mkpath(QString::fromStdString(target + "/quiz/q2"));
    WriteFile(target + "/quiz/quiz.txt",
              "\r\n00:00:01:00|00:00:02:00|Qui ?|a|b|c|4\r\n");
    for (const char* f : {"tvq2", "tva2_1a", "tva2_2a", "tva2_3a", "tva2_1b", "tva2_2b"})
        WriteFile(target + "/quiz/q2/" + f + ".aif", "x");
    const TRun r = RunTool({"check", root});
    EXPECT_TRUE(r.Has("  quiz questions: 1\n")) << r.Out;
    EXPECT_TRUE(r.Has("quiz.txt: 1 questions: a game needs 20")) << r.Out;
    // Line 2 holds the question: its sounds live in q2, one is missing.
    EXPECT_TRUE(r.Has("quiz.txt:2: sound missing: ")) << r.Out;
    EXPECT_TRUE(r.Has("tva2_3b.aif")) << r.Out;
    EXPECT_FALSE(r.Has("tva2_3a.aif")) << r.Out;
    EXPECT_TRUE(r.Has("quiz.txt:2: right answer 4 is not 1, 2 or 3")) << r.Out;
    EXPECT_TRUE(r.Has("welcome1.aif: missing quiz sound")) << r.Out;
    EXPECT_TRUE(r.Has("oppname.txt: missing")) << r.Out;
    EXPECT_EQ(r.Status, 0) << "the program still starts";
}

TEST_F(DiscCheckTest, SpellingPicturesAndAlphabetAreCheckedWithFileAndLine) {
    QFile::remove(QString::fromStdString(SpellFile("\\Floaters\\FTile98.bmp")));
    QFile::remove(QString::fromStdString(SpellFile("\\TestTile\\TTile113.jpg")));
    TRun r = RunTool({"check", root});
    EXPECT_EQ(r.Status, 0) << r.Out;
    const std::string table = root + "/Spelinfo.txt";
    EXPECT_TRUE(r.Has(table + ":2: picture \"shared\\spell_xx\\Floaters\\FTile98.bmp\" for letter \"b\" not found"))
        << r.Out;
    EXPECT_TRUE(r.Has(table + ":2: picture \"shared\\spell_xx\\TestTile\\TTile113.jpg\" for letter \"q\" not found"))
        << r.Out;
    EXPECT_TRUE(r.Has("  problems: 2\n")) << r.Out;

    // Too short an alphabet for the target's language, then none at all.
    WriteFile(target + "/settings.txt", "PCCaption|Test\r\nMovieNames|part1.mpg|part2.mpg\r\nNextGameStartLines|1|3\r\n"
                                        "TargetLang|2\r\n");
    r = RunTool({"check", root});
    EXPECT_TRUE(r.Has(table + ":1: 3 letters: the spelling activity needs 17")) << r.Out;
    EXPECT_TRUE(r.Has(table + ":1: spelling folder \"shared\\spell_en\" not found")) << r.Out;
    WriteFile(target + "/settings.txt", "PCCaption|Test\r\nMovieNames|part1.mpg|part2.mpg\r\nNextGameStartLines|1|3\r\n"
                                        "TargetLang|5\r\n");
    r = RunTool({"check", root});
    EXPECT_TRUE(r.Has(table + ": no line for target language 5")) << r.Out;
    EXPECT_EQ(r.Status, 0) << r.Out;
}

TEST_F(DiscCheckTest, InvalidUtf8IsNamedWithFileAndLineWhereTheTextIsUtf8) {
    // Russian words, line 3 with a byte no UTF-8 text holds.
    const std::string words = "\xD0\xB4\xD0\xB0\r\n\xD0\xBD\xD0\xB5\xD1\x82\r\n\xD0\xB4\xFF\r\n"
                              "\xD1\x81\xD0\xB0\xD0\xB4\r\n\xD0\xB4\xD0\xBE\xD0\xBC\r\n\xD0\xBA\xD0\xBE\xD1\x82\r\n";
    const std::string dicWords = target + "/DicWords.txt";
    WriteFile(dicWords, words);
    // A Mac OS Roman disc takes every byte for a character.
    TRun r = RunTool({"check", root});
    EXPECT_TRUE(r.Has("  text: Mac OS Roman\n")) << r.Out;
    EXPECT_TRUE(r.Has("Result: the disc loads (0 problems)")) << r.Out;
    // The same file behind a byte-order mark is UTF-8 on that disc too.
    WriteFile(dicWords, "\xEF\xBB\xBF" + words);
    r = RunTool({"check", root});
    EXPECT_TRUE(r.Has(dicWords + ":3: not valid UTF-8")) << r.Out;
    EXPECT_TRUE(r.Has("Result: the disc loads (1 problem)")) << r.Out;

    // A UTF-8 disc: the file without a mark, and only its third line is named.
    WriteFile(root + "/Target.txt", "TargetFolderName|French\r\nTargetPathForPC|\r\nSourceHelpLangs|2,5\r\nTextEncoding|UTF-8\r\n");
    WriteFile(dicWords, words);
    r = RunTool({"check", root});
    EXPECT_EQ(r.Status, 0) << r.Out;
    EXPECT_TRUE(r.Has("  text: UTF-8 (Target.txt)\n")) << r.Out;
    EXPECT_TRUE(r.Has(dicWords + ":3: not valid UTF-8")) << r.Out;
    EXPECT_TRUE(r.Has("  dictionary entries: 6\n")) << r.Out;
    EXPECT_TRUE(r.Has("Result: the disc loads (1 problem)")) << r.Out;
}

TEST_F(DiscCheckTest, OrderFaultsOfTheMovieIndexAreFound) {
    WriteFile(target + "/movieinf.txt",
              "5|00:00:05:00|00:00:06:00|a|A|0|1|0|0\r\n"
              "4|00:00:01:00|00:00:02:00|b|A|0|1|0|0\r\n"
              "6|00:00:09:00|00:00:08:00|c|A|0|0|0|0\r\n");
    const TRun r = RunTool({"check", root});
    const std::string movie = target + "/movieinf.txt";
    EXPECT_TRUE(r.Has(movie + ":2: sequence number 4 does not rise after 5 (line 1)")) << r.Out;
    EXPECT_TRUE(r.Has(movie + ":2: starts before the line before it (line 1)")) << r.Out;
    EXPECT_TRUE(r.Has(movie + ":3: ends before it starts")) << r.Out;
}

TEST_F(DiscCheckTest, SearchWordsSpokenInNoLineAndRepeatedWordsAreNamed) {
    // "jour" lies inside "Bonjour"; "va" stands alone; "Salut" repeats "salut".
    WriteFile(target + "/Search.txt", "jour\r\n\r\nva, aller\r\nsalut\r\nSalut, encore\r\n,rien\r\n");
    const TRun r = RunTool({"check", root});
    EXPECT_EQ(r.Status, 0) << r.Out;
    const std::string search = target + "/Search.txt";
    EXPECT_TRUE(r.Has(search + ":1: \"jour\" is spoken as a whole word in no line of the film")) << r.Out;
    EXPECT_FALSE(r.Has(search + ":3:")) << r.Out;
    EXPECT_FALSE(r.Has(search + ":4:")) << r.Out;
    EXPECT_TRUE(r.Has(search + ":5: \"Salut\" repeats the word of line 4")) << r.Out;
    EXPECT_TRUE(r.Has(search + ":6: no search word before the comma")) << r.Out;
    EXPECT_TRUE(r.Has("  search words: 5\n")) << r.Out;

    WriteFile(target + "/Search.txt", "\r\n");
    EXPECT_TRUE(RunTool({"check", root}).Has(search + ": the word list is empty")) << r.Out;
    QFile::remove(QString::fromStdString(search));
    const TRun missing = RunTool({"check", root});
    EXPECT_EQ(missing.Status, 0) << "the program starts without a word list";
    EXPECT_TRUE(missing.Has(search + ": no word list")) << missing.Out;
}

TEST_F(DiscCheckTest, FilesTheProgramNeedsFailTheStart) {
    struct TCase {
        const char* remove;
        const char* named;
    } cases[] = {{"French/movieinf.txt", "movieinf.txt"},
                 {"French/record.txt", "record.txt"},
                 {"French/settings.txt", "settings.txt"},
                 {"Target.txt", "Target.txt"}};
    for (const auto& c : cases) {
        TempFolder other;
        tavtest::MakeFixtureDisc(other.Path(), "French");
        ASSERT_TRUE(QFile::remove(QString::fromStdString(other.Path() + "/" + c.remove)));
        const TRun r = RunTool({"check", other.Path()});
        EXPECT_EQ(r.Status, 1) << c.remove << "\n" << r.Out;
        EXPECT_TRUE(r.Has("error: ")) << r.Out;
        EXPECT_TRUE(r.Has(c.named)) << r.Out;
        EXPECT_TRUE(r.Has("would fail to start")) << r.Out;
    }
}

TEST_F(DiscCheckTest, RecordEndingOnANameFailsTheStart) {
    WriteFile(target + "/record.txt", "Marie\r\n2|3|3\r\nPaul\r\n");
    const TRun r = RunTool({"check", root});
    EXPECT_EQ(r.Status, 1) << r.Out;
    EXPECT_TRUE(r.Has("record.txt")) << r.Out;
    EXPECT_TRUE(r.Has("Paul")) << r.Out;
}

TEST_F(DiscCheckTest, MultiMenuTargetsAreEachLoaded) {
    WriteFile(root + "/Target.txt",
              "MultiMenu|back.jpg\r\nTarget1|fr.jpg|10,20|French|\r\nTarget3|de.jpg|1,1|German|\r\n");
    WriteFile(root + "/multi/back.jpg", "x");
    const TRun r = RunTool({"check", root});
    EXPECT_EQ(r.Status, 0) << r.Out;
    EXPECT_TRUE(r.Has("  multi-menu entries: 1\n")) << r.Out; // no Target2: Target3 is not read
    EXPECT_TRUE(r.Has("Target French")) << r.Out;
    EXPECT_FALSE(r.Has("German")) << r.Out;
    EXPECT_TRUE(r.Has("Target.txt:2: button picture \"fr.jpg\" not found in multi")) << r.Out;

    // A multi-menu target that cannot be loaded fails the check.
    WriteFile(root + "/Target.txt", "MultiMenu|back.jpg\r\nTarget1|fr.jpg|10,20|French|\r\n"
                                    "Target2|de.jpg|1,1|German|\r\n");
    const TRun bad = RunTool({"check", root});
    EXPECT_EQ(bad.Status, 1) << bad.Out;
    EXPECT_TRUE(bad.Has("Target German")) << bad.Out;
}

TEST_F(DiscCheckTest, IndexAndScriptPrintTabSeparatedUtf8) {
    WriteFile(target + "/movieinf.txt", "1|00:00:01:00|00:00:03:00|Caf\x8E\tnoir|REN\x83|0|1|0|0\r\n"
                                        "2|00:00:03:00|00:00:04:00||REN\x83|1|0|0|0\r\n");
    const TRun index = RunTool({"index", root});
    EXPECT_EQ(index.Status, 0) << index.Err;
    EXPECT_EQ(index.Out, "line\tsequence\tstart\tend\tspeaker\tsame_speaker\tfor_activities\ttext\n"
                         "1\t1\t25\t75\tREN\xC3\x89\t0\t1\tCaf\xC3\xA9 noir\n"
                         "2\t2\t75\t100\tREN\xC3\x89\t1\t0\t\n");
    const TRun script = RunTool({"script", root, "french"});
    EXPECT_EQ(script.Status, 0) << script.Err;
    EXPECT_EQ(script.Out, "row\tkind\tline\ttext\n"
                          "0\tblank\t\t\n"
                          "1\theading\t\tREN\xC3\x89\n"
                          "2\tline\t1\tCaf\xC3\xA9 noir\n"
                          "3\tline\t2\t.....\n");
    const TRun missing = RunTool({"index", root, "German"});
    EXPECT_EQ(missing.Status, 1);
    EXPECT_NE(missing.Err.find("settings.txt"), std::string::npos) << missing.Err;
}

TEST(DiscTool, UsageErrorsExitWithTwo) {
    EXPECT_EQ(RunTool({}).Status, 2);
    EXPECT_EQ(RunTool({"check"}).Status, 2);
    EXPECT_EQ(RunTool({"check", "a", "b"}).Status, 2);
    EXPECT_EQ(RunTool({"frobnicate", "/"}).Status, 2);
    EXPECT_NE(RunTool({"bogus"}).Err.find("usage: tavolin-disc check ROOT"), std::string::npos);
    EXPECT_EQ(RunTool({"--help"}).Status, 0);
}

TEST(DiscTool, NotAFolderFailsTheStart) {
    const TRun r = RunTool({"check", "/nonexistent/disc"});
    EXPECT_EQ(r.Status, 1);
    EXPECT_TRUE(r.Has("is not a folder")) << r.Out;
}

// The installed executable gives the same statuses to the shell.
TEST_F(DiscCheckTest, TheExecutableReportsThroughItsExitStatus) {
    QProcess p;
    p.start(QStringLiteral(TAVOLIN_DISC_TOOL), {"check", QString::fromStdString(root)});
    ASSERT_TRUE(p.waitForFinished(20000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardOutput().toStdString();
    EXPECT_TRUE(p.readAllStandardOutput().contains("movie entries: 3"));
    QFile::remove(QString::fromStdString(target + "/movieinf.txt"));
    p.start(QStringLiteral(TAVOLIN_DISC_TOOL), {"check", QString::fromStdString(root)});
    ASSERT_TRUE(p.waitForFinished(20000));
    EXPECT_EQ(p.exitCode(), 1);
    p.start(QStringLiteral(TAVOLIN_DISC_TOOL), QStringList{});
    ASSERT_TRUE(p.waitForFinished(20000));
    EXPECT_EQ(p.exitCode(), 2);
}

TEST(DiscTool, PictureIsWrittenAsPngOrRefusedWithTheLoadersMessage) {
    tavtest::TempFolder dir;
    QImage img(6, 4, QImage::Format_RGB32);
    img.fill(qRgb(10, 200, 30));
    ASSERT_TRUE(img.save(QString::fromStdString(dir.File("pic.JPG")), "PNG")); // the name's extension may lie
    const TRun good = RunTool({"picture", dir.File("pic.jpg"), dir.File("out.png")});
    EXPECT_EQ(good.Status, 0) << good.Err;
    QImage back(QString::fromStdString(dir.File("out.png")));
    ASSERT_FALSE(back.isNull());
    EXPECT_EQ(back.size(), QSize(6, 4));
    EXPECT_EQ(back.pixel(2, 2), qRgb(10, 200, 30));

    tavtest::WriteFile(dir.File("bad.pct"), std::string(600, '\x11'));
    const TRun bad = RunTool({"picture", dir.File("bad.pct"), dir.File("bad.png")});
    EXPECT_EQ(bad.Status, 1);
    EXPECT_NE(bad.Err.find("Couldn't load"), std::string::npos) << bad.Err;
    EXPECT_EQ(RunTool({"picture", dir.File("pic.jpg")}).Status, 2);
}
