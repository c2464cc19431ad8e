// The real screens on the generated Russian fixture disc (UTF-8 text,
// Cyrillic letters, made by tavolin-disc build from ru.srt): the missing
// word, spelling, vocabulary and next-line activities, the word search's
// highlight, the screenplay's script and the studio's actors, and a learner
// with a Cyrillic name whose practice score survives a new start of the
// program.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QRegularExpression>
#include <QTest>

#include <algorithm>
#include <map>
#include <set>

#include "../activities/ActivityFixture.h"
#include "activities/Missing.h"
#include "activities/MissingWords.h"
#include "activities/NextLine.h"
#include "activities/Spelling.h"
#include "activities/Vocab.h"
#include "components/ZrButton.h"
#include "content/UnicodeText.h"
#include "games/SearchScene.h"
#include "games/WordSearch.h"
#include "learners/StudRec.h"
#include "media/Movie.h"
#include "program/Screens.h"
#include "toolkit/Edit.h"
#include "toolkit/Image.h"
#include "toolkit/Label.h"
#include "toolkit/ListBox.h"
#include "toolkit/Panel.h"
#include "toolkit/Timer.h"
#include "viewer/ScreenPlay.h"

using namespace tav;
using namespace tavtest;

namespace {

// Six multiplication signs, U+00D7.
const std::string kSixMarks = "\xC3\x97\xC3\x97\xC3\x97\xC3\x97\xC3\x97\xC3\x97";

bool IsCyrillic(char32_t c) { return c >= 0x0400 && c <= 0x04FF; }

bool HasCyrillic(const std::string& utf8) {
    const std::u32string cps = CodePoints(utf8);
    return std::any_of(cps.begin(), cps.end(), IsCyrillic);
}

// Letters only, and at least one Cyrillic (Qt's character classes, not the program's).
bool IsCyrillicWord(const QString& w) {
    if (w.isEmpty()) return false;
    bool cyrillic = false;
    for (QChar c : w) {
        if (!c.isLetter()) return false;
        cyrillic = cyrillic || IsCyrillic(c.unicode());
    }
    return cyrillic;
}

// The subtitle texts of ru.srt in order, without their "SPEAKER:" prefix.
std::vector<std::string> SubtitleTexts() {
    std::vector<std::string> texts;
    const QStringList lines = QString::fromUtf8(QByteArray::fromStdString(ReadFile(TAVOLIN_RU_SRT))).split('\n');
    for (int i = 0; i + 1 < lines.size(); ++i)
        if (lines[i].contains("-->")) {
            QString text = lines[i + 1].trimmed();
            const qsizetype colon = text.indexOf(':');
            if (colon > 0 && text.left(colon) == text.left(colon).toUpper()) text = text.mid(colon + 1).trimmed();
            texts.push_back(FromQString(text));
        }
    return texts;
}

std::string SubtitleSpeaker(int n) {
    const QStringList lines = QString::fromUtf8(QByteArray::fromStdString(ReadFile(TAVOLIN_RU_SRT))).split('\n');
    int seen = 0;
    for (int i = 0; i + 1 < lines.size(); ++i)
        if (lines[i].contains("-->") && seen++ == n) return FromQString(lines[i + 1].section(':', 0, 0).trimmed());
    return {};
}

class RussianDisc : public ActivityScreensFixture {
protected:
    RussianDisc() { discRoot = TAVOLIN_FIXTURE_DISC_RU; }

    void SetUp() override {
        ActivityScreensFixture::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        RegisterScreen(stMissingPrac, [](TForm_Main& m, QWidget* p) { return new TForm_MissingPrac(m, p); });
        RegisterScreen(stMissingTest, [](TForm_Main& m, QWidget* p) { return new TForm_MissingTest(m, p); });
        RegisterScreen(stSpellingPrac, [](TForm_Main& m, QWidget* p) { return new TForm_SpellingPrac(m, p); });
        RegisterScreen(stVocabPrac, [](TForm_Main& m, QWidget* p) { return new TForm_VocabPrac(m, p); });
        RegisterScreen(stNextLinePrac, [](TForm_Main& m, QWidget* p) { return new TForm_NextLinePrac(m, p); });
        RegisterScreen(stWordSearch, [](TForm_Main& m, QWidget* p) { return new TForm_WordSearch(m, p); });
        RegisterScreen(stScreenPlay, [](TForm_Main& m, QWidget* p) { return new TForm_ScreenPlay(m, p); });
    }
    void TearDown() override {
        TTimer::SetManualTimers(false);
        main.reset();
        delete Form_Movie;
        Form_Movie = nullptr;
        ActivityScreensFixture::TearDown();
    }
    // The main window on the Russian disc, its text read as UTF-8 and cased as Russian.
    void StartOnDisc(const std::string& config = "[Defaults]\r\nRecords=0\r\nFast=1\r\n") {
        Start(config);
        ASSERT_NE(main, nullptr);
        ASSERT_EQ(main->TargetFolderName, "Russian");
        ASSERT_EQ(ContentEncoding(), TContentEncoding::Utf8);
        ASSERT_EQ(TextLanguage(), "ru");
        ASSERT_GE(main->MovieEntries.size(), 20u);
    }
    template <class T>
    T* Open(int state) {
        main->PostStateChange(state, 1);
        EXPECT_TRUE(WaitUntil([&] { return dynamic_cast<T*>(main->CurrentScreen()) != nullptr; }));
        return dynamic_cast<T*>(main->CurrentScreen());
    }
    // Types into an edit box as a Cyrillic keyboard does (QTest::keyClicks takes ASCII only).
    static void TypeText(QWidget* edit, const char* utf8) {
        for (char32_t c : QString::fromUtf8(utf8).toUcs4()) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString::fromUcs4(&c, 1));
            QApplication::sendEvent(edit, &press);
        }
    }
};

} // namespace

TEST_F(RussianDisc, MissingWordHidesAWholeCyrillicWordAndTheRightChoiceScores) {
    StartOnDisc();
    TForm_MissingPrac* s = Go<TForm_MissingPrac>(stMissingPrac);
    ASSERT_NE(s, nullptr);
    ASSERT_FALSE(s->NoQuestion) << s->fcLabel_Caption->Caption();
    bool capitalHidden = false;
    for (int q = 0; q < 60 && !HasFailure(); ++q) {
        if (q > 0) s->NextQuestion();
        ASSERT_FALSE(s->NoQuestion) << s->fcLabel_Caption->Caption();
        const std::string line = s->CurrentLine->LineText, caption = s->fcLabel_Caption->Caption();
        ASSERT_TRUE(IsValidUtf8(caption)) << caption;
        // The caption is the line with one stretch replaced by the six marks.
        const size_t gap = caption.find(kSixMarks);
        ASSERT_NE(gap, std::string::npos) << caption;
        ASSERT_GE(line.size() + kSixMarks.size(), caption.size());
        const size_t hiddenBytes = line.size() + kSixMarks.size() - caption.size();
        EXPECT_EQ(caption.substr(0, gap), line.substr(0, gap)) << caption;
        EXPECT_EQ(caption.substr(gap + kSixMarks.size()), line.substr(gap + hiddenBytes)) << caption;
        // That stretch is a whole Cyrillic word of the line ...
        const QString hidden = ToQString(line.substr(gap, hiddenBytes));
        EXPECT_TRUE(IsCyrillicWord(hidden)) << line << " / " << caption;
        const QString before = ToQString(line.substr(0, gap)), after = ToQString(line.substr(gap + hiddenBytes));
        EXPECT_TRUE(before.isEmpty() || !before.back().isLetter()) << caption;
        EXPECT_TRUE(after.isEmpty() || !after.front().isLetter()) << caption;
        // ... and the hidden word is it in lower case, by Unicode rules.
        EXPECT_EQ(s->HiddenWord, FromQString(hidden.toLower())) << line;
        capitalHidden = capitalHidden || hidden.front().isUpper();
        EXPECT_EQ(s->Labels[size_t(s->CorrectSlot)]->Caption(), s->HiddenWord);
        std::set<std::string> shown;
        for (int k = 1; k <= TForm_Missing::kChoices; ++k) shown.insert(s->Labels[size_t(k)]->Caption());
        EXPECT_EQ(shown.size(), size_t(TForm_Missing::kChoices)) << "ten different words";
        for (const std::string& w : shown) EXPECT_TRUE(IsCyrillicWord(ToQString(w))) << w;
    }
    EXPECT_TRUE(capitalHidden) << "a line's capitalised first word was never hidden";

    // The right choice: the full line, and the practice counts it.
    const TMovieEntry* line = s->CurrentLine;
    s->Image1Click(s->CorrectSlot);
    EXPECT_EQ(s->Percent, 100);
    EXPECT_EQ(s->fcLabel_Caption->Caption(), line->LineText);

    // The test scores it once the line has been heard.
    TTimer::SetManualTimers(false);
    TForm_MissingTest* t = Go<TForm_MissingTest>(stMissingTest);
    ASSERT_NE(t, nullptr);
    ASSERT_FALSE(t->NoQuestion) << t->fcLabel_Caption->Caption();
    EXPECT_NE(t->fcLabel_Caption->Caption().find(kSixMarks), std::string::npos);
    LineEnds(t);
    t->Image1Click(t->CorrectSlot);
    EXPECT_EQ(t->Score, 5);
}

TEST_F(RussianDisc, SpellingDealsCyrillicTilesDrawsThoseWithoutPicturesAndTypingCompletesTheWord) {
    StartOnDisc();
    TForm_SpellingPrac* s = Go<TForm_SpellingPrac>(stSpellingPrac);
    ASSERT_NE(s, nullptr);
    ASSERT_FALSE(s->NoQuestion) << s->fcLabel_Caption->Caption();
    ASSERT_TRUE(HasCyrillic(s->SpellLetters));

    auto checkWord = [&] {
        const TStringList word = Graphemes(s->Word);
        EXPECT_EQ(s->WordLength, int(word.size()));
        EXPECT_TRUE(IsCyrillicWord(ToQString(s->Word))) << s->Word;
        // The gap has one mark per letter, and the word is one of the line's, in lower case.
        const std::string caption = s->fcLabel_Caption->Caption();
        EXPECT_NE(caption.find(std::string(word.size(), '?')), std::string::npos) << caption;
        const QStringList lineWords =
            ToQString(s->CurrentLine->LineText).toLower().split(QRegularExpression("[^\\p{L}\\p{M}]+"), Qt::SkipEmptyParts);
        EXPECT_TRUE(lineWords.contains(ToQString(s->Word))) << s->Word << " in " << s->CurrentLine->LineText;
        // Every tile one Cyrillic letter of the disc's alphabet, and the word's letters among them.
        std::map<std::string, int> onTiles;
        for (int t = 1; t <= kSpellTiles; ++t) {
            const std::string& c = s->TileLetters[size_t(t)];
            EXPECT_EQ(GraphemeCount(c), 1) << c;
            EXPECT_TRUE(HasCyrillic(c)) << c;
            EXPECT_NE(s->SpellLetters.find(c), std::string::npos) << c;
            EXPECT_FALSE(s->Tiles[size_t(t)]->isHidden());
            EXPECT_FALSE(s->Tiles[size_t(t)]->Picture().isNull()) << "tile " << t << " " << c;
            ++onTiles[c];
        }
        std::map<std::string, int> inWord;
        for (const std::string& c : word) ++inWord[c];
        for (auto [c, n] : inWord) EXPECT_GE(onTiles[c], n) << c;
    };
    checkWord();

    // Tiles whose picture files are missing are drawn with their letter:
    // different letters, different pictures.
    const std::string noPictures = s->SpellFolder + "\\no-such-folder";
    s->SpellFolder = noPictures;
    s->TilePrefix = noPictures + "\\PracTile\\PTile";
    s->NextQuestion();
    ASSERT_FALSE(s->NoQuestion) << s->fcLabel_Caption->Caption();
    checkWord();
    std::map<std::string, QImage> pictures;
    for (int t = 1; t <= kSpellTiles; ++t) pictures[s->TileLetters[size_t(t)]] = s->Tiles[size_t(t)]->Picture();
    ASSERT_GE(pictures.size(), 2u);
    for (auto a = pictures.begin(); a != pictures.end(); ++a)
        for (auto b = std::next(a); b != pictures.end(); ++b)
            EXPECT_NE(a->second, b->second) << a->first << " and " << b->first << " are drawn alike";

    // Typing the word's letters, one grapheme cluster a key, completes it.
    const TStringList word = Graphemes(s->Word);
    for (const std::string& c : word) s->KeyPressed(c);
    EXPECT_EQ(s->RemainingWord, TStringList(word.size(), ""));
    EXPECT_EQ(s->LettersLeft, 0);
    EXPECT_FALSE(s->QuestionActive);
    EXPECT_EQ(s->RightAnswers, int(word.size()));
    EXPECT_EQ(s->Percent, 100);
}

TEST_F(RussianDisc, VocabularyAndNextLineAskInCyrillic) {
    StartOnDisc();
    auto* v = Open<TForm_VocabPrac>(stVocabPrac);
    ASSERT_NE(v, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return v->CurrentWord >= 0 || v->NoQuestion; }));
    ASSERT_FALSE(v->NoQuestion) << v->fcLabel_Caption->Caption();
    TTimer::SetManualTimers(true);
    // The word asked is a dictionary entry of the disc, a word of the film's lines.
    const std::string word = v->fcLabel_Caption->Caption();
    EXPECT_TRUE(IsCyrillicWord(ToQString(word))) << word;
    const TStringList dictionary = ReadContentLines(disc + "/Russian/DicWords.txt");
    EXPECT_NE(std::find(dictionary.begin(), dictionary.end(), word), dictionary.end()) << word;
    EXPECT_EQ(word, v->Captions[size_t(v->CurrentWord)]);
    EXPECT_TRUE(std::any_of(main->MovieEntries.begin(), main->MovieEntries.end(), [&](const TMovieEntry& e) {
        return ToQString(e.LineText).toLower().split(QRegularExpression("[^\\p{L}\\p{M}]+")).contains(ToQString(word));
    })) << word;
    EXPECT_TRUE(media.Played("Dict" + std::to_string(v->CurrentWord + 1) + ".aif"));
    Click(v->Images[size_t(v->CorrectSlot)]);
    EXPECT_EQ(v->Percent, 100);

    TTimer::SetManualTimers(false);
    TForm_NextLinePrac* n = Go<TForm_NextLinePrac>(stNextLinePrac);
    ASSERT_NE(n, nullptr);
    ASSERT_FALSE(n->NoQuestion) << n->fcLabel_Caption->Caption();
    EXPECT_EQ(n->fcLabel_Caption->Caption(), n->CurrentLine->LineText);
    EXPECT_TRUE(HasCyrillic(n->CurrentLine->LineText));
    const std::vector<std::string> subtitles = SubtitleTexts();
    EXPECT_NE(std::find(subtitles.begin(), subtitles.end(), n->CurrentLine->LineText), subtitles.end());
    LineEnds(n);
    EXPECT_FALSE(n->Panel_Bars->isHidden());
    ASSERT_NE(n->AnswerLine, nullptr);
    EXPECT_EQ(n->Bars[size_t(n->CorrectSlot)]->Caption(), n->AnswerLine->LineText);
    for (int k = 1; k <= TForm_NextLine::kBars; ++k)
        if (!n->Bars[size_t(k)]->isHidden()) {
            EXPECT_TRUE(HasCyrillic(n->Bars[size_t(k)]->Caption())) << k;
        }
}

TEST_F(RussianDisc, WordSearchHighlightsTheCyrillicWordWhereItStands) {
    StartOnDisc();
    Form_Movie = new TForm_Movie(MovieSettingsFrom(*main));
    auto* s = Open<TForm_WordSearch>(stWordSearch);
    ASSERT_NE(s, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return main->ReadyScreen == nullptr || s->CurrentMatch || s->CoolListBox->Count() == 0; }));
    const auto& items = s->CoolListBox->Items();
    const auto entry = std::find(items.begin(), items.end(), "собака");
    ASSERT_NE(entry, items.end()) << "собака is on the disc's word list";
    s->CoolListBox->SetItemIndex(int(entry - items.begin()));
    s->CoolListBoxClick();
    ASSERT_EQ(s->SearchWord, "собака");
    // Whole words in any case: "Собака" opens line 2; "собаку" of line 4 is another word.
    ASSERT_EQ(s->Matches.size(), 2u);
    EXPECT_EQ(s->Matches[0]->LineText, "Где моя маленькая собака?");
    EXPECT_EQ(s->Matches[1]->LineText, "Собака сейчас в саду.");

    const QFont font = PixelFont("Arial", 20);
    const QFontMetrics fm(font);
    for (int m = 0; m < 2; ++m) {
        if (m == 1) {
            s->CoolListBox2->SetItemIndex(1);
            s->CoolListBox2Click();
        }
        const QString text = ToQString(s->Matches[size_t(m)]->LineText);
        ASSERT_EQ(s->PaintBox_Caption->Text(), s->Matches[size_t(m)]->LineText);
        const qsizetype at = text.indexOf(QString::fromUtf8("собака"), 0, Qt::CaseInsensitive);
        ASSERT_GE(at, 0);
        const auto lines = CaptionLines(s->PaintBox_Caption->Text(), s->SearchWord, font, s->PaintBox_Caption->width());
        ASSERT_EQ(lines.size(), 1u) << text.toStdString();
        EXPECT_EQ(lines[0].HighlightStart, at) << text.toStdString();
        EXPECT_EQ(lines[0].HighlightLength, 6);
        // And it is painted there: the red ink lies over the word and nowhere else.
        const QImage shot = s->PaintBox_Caption->grab().toImage();
        const int from = fm.horizontalAdvance(text.left(at)), to = fm.horizontalAdvance(text.left(at + 6));
        int minX = shot.width(), maxX = -1;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x) {
                const QColor c = shot.pixelColor(x, y);
                if (c.red() > 200 && c.green() < 140 && c.blue() < 160) minX = std::min(minX, x), maxX = std::max(maxX, x);
            }
        ASSERT_GE(maxX, 0) << "no highlighted ink in \"" << text.toStdString() << "\"";
        EXPECT_GE(minX, from - 2) << text.toStdString();
        EXPECT_LE(maxX, to + 2) << text.toStdString();
        EXPECT_GT(maxX - minX, (to - from) / 2) << text.toStdString();
    }
}

TEST_F(RussianDisc, TheScreenplayScriptShowsTheCyrillicLinesAndTheSpeakersAreTheStudiosActors) {
    StartOnDisc();
    Form_Movie = new TForm_Movie(MovieSettingsFrom(*main));
    auto* s = Open<TForm_ScreenPlay>(stScreenPlay);
    ASSERT_NE(s, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return s->Playing; }));
    TTimer::SetManualTimers(true);
    s->EButton_ScriptClick();
    TTimer::AdvanceTimers(50 * 30);
    ASSERT_EQ(s->DropDownMode, 1);
    ASSERT_FALSE(s->ListBox_DropDown->isHidden());
    // Every subtitle of ru.srt, in order, on its line's row, with its speaker's heading above it.
    const std::vector<std::string> subtitles = SubtitleTexts();
    ASSERT_EQ(subtitles.size(), 22u);
    std::vector<std::string> shownLines;
    std::set<std::string> headings;
    for (int row = 0; row < s->ListBox_DropDown->Count(); ++row) {
        const TScriptRow& r = main->ScriptLines[size_t(row)];
        const std::string shown = FromQString(s->ListBox_DropDown->ShownItem(row));
        if (r.Kind == TScriptRowKind::Line) shownLines.push_back(shown);
        if (r.Kind == TScriptRowKind::Heading) headings.insert(shown);
    }
    EXPECT_EQ(shownLines, subtitles);
    EXPECT_TRUE(headings.count(SubtitleSpeaker(0))) << SubtitleSpeaker(0);
    EXPECT_TRUE(headings.count(SubtitleSpeaker(1))) << SubtitleSpeaker(1);
    for (const TMovieEntry& e : main->MovieEntries) {
        if (e.SequenceNumber == 0) continue;
        EXPECT_EQ(FromQString(s->ListBox_DropDown->ShownItem(e.ScriptIndex)), e.LineText);
    }
    // The recording studio's actors are the two speakers, each with lines they speak.
    ASSERT_EQ(main->RecordEntries.size(), 2u);
    for (const TRecordEntry& actor : main->RecordEntries) {
        EXPECT_TRUE(actor.Title == SubtitleSpeaker(0) || actor.Title == SubtitleSpeaker(1)) << actor.Title;
        int parts = 0;
        for (const auto& scene : actor.Parts)
            for (int n : scene) {
                if (n == 0) continue;
                ++parts;
                const auto e = std::find_if(main->MovieEntries.begin(), main->MovieEntries.end(),
                                            [n](const TMovieEntry& m) { return m.LineNumber == n; });
                ASSERT_NE(e, main->MovieEntries.end()) << n;
                EXPECT_EQ(e->Speaker, actor.Title) << "line " << n;
            }
        EXPECT_GT(parts, 0) << actor.Title;
    }
    EXPECT_NE(main->RecordEntries[0].Title, main->RecordEntries[1].Title);

    // The caption under the film shows the line being played.
    const auto first = std::find_if(main->MovieEntries.begin(), main->MovieEntries.end(),
                                    [](const TMovieEntry& e) { return e.LineNumber == 1; });
    ASSERT_NE(first, main->MovieEntries.end());
    s->EButton_PlayClick();
    Form_Movie->SeekFilm(first->StartFrame);
    TTimer::AdvanceTimers(100);
    EXPECT_EQ(s->fcLabel_Caption->Caption(), "Где моя маленькая собака?");
}

TEST_F(RussianDisc, ALearnerNamedIvanKeepsTheirPracticeScoreAfterTheProgramStartsAgain) {
    RegisterScreen(stStudRec, [](TForm_Main& m, QWidget* p) { return new TForm_StudRec(m, p); });
    const std::string config = "[Defaults]\r\nRecords=1\r\nFast=1\r\n";
    auto signIn = [&](bool typed) {
        auto* r = Open<TForm_StudRec>(stStudRec);
        ASSERT_NE(r, nullptr);
        if (typed) {
            r->CoolEdit_Name->clear();
            TypeText(r->CoolEdit_Name, "Иван");
            ASSERT_EQ(r->CoolEdit_Name->Text(), "Иван");
        } else {
            ASSERT_EQ(r->ListBox_Names->Items(), std::vector<std::string>{"Иван"});
            QTest::mouseClick(r->ListBox_Names, Qt::LeftButton, {}, QPoint(20, r->ListBox_Names->ItemHeight() / 2));
            ASSERT_EQ(r->CoolEdit_Name->Text(), "Иван");
        }
        r->SignIn();
        ASSERT_TRUE(WaitUntil([&] { return AtState(*main, stMainMenu); }));
        EXPECT_EQ(main->StudentName, "Иван");
    };

    StartMain(config);
    ASSERT_EQ(main->TargetFolderName, "Russian");
    ASSERT_FALSE(main->ProfileFile.empty());
    ASSERT_NE(NativePath(main->ProfileFile).find(data.Path()), std::string::npos) << main->ProfileFile;
    signIn(true);
    if (HasFatalFailure()) return;
    TForm_MissingPrac* s = Go<TForm_MissingPrac>(stMissingPrac);
    ASSERT_NE(s, nullptr);
    ASSERT_FALSE(s->NoQuestion);
    s->Image1Click(s->CorrectSlot);
    ASSERT_EQ(s->Percent, 100);
    Click(s->EButton_Back);
    ASSERT_TRUE(WaitUntil([&] { return AtActivitiesMenu(); }));
    EXPECT_EQ(main->Percents[2], 100);

    // The program again, on the same data folder: Иван is listed and has their score.
    TTimer::SetManualTimers(false);
    main.reset();
    StartMain(config);
    EXPECT_NE(main->StudentName, "Иван");
    signIn(false);
    if (HasFatalFailure()) return;
    EXPECT_EQ(main->Percents[2], 100);
}
