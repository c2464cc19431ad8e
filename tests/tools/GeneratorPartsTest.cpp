// The generator's pieces on their own: Mac text, timecodes, the time line,
// the recording scenes, the course material and the AIFF writer.
#include <gtest/gtest.h>

#include <QString>
#include <algorithm>
#include <set>

#include "Courseware.h"
#include "DiscBuilder.h"
#include "DiscCheck.h"
#include "Film.h"
#include "MacText.h"
#include "Sound.h"
#include "tests/TestSupport.h"
#include "Timeline.h"
#include "content/OurUtils.h"

using namespace demodisc;

namespace {

// A film with stand-in audio of known lengths, no speech synthesis needed.
TFilm FakeFilm(const TStory& story) {
    std::vector<TSound> audio;
    for (size_t i = 0; i < story.Lines.size(); ++i) {
        TSound s;
        s.AppendSilence(700 + int(i % 5) * 333);
        audio.push_back(s);
    }
    return {story, LayOut(story, std::move(audio))};
}

std::string Lower(const std::string& utf8) { return QString::fromStdString(utf8).toLower().toStdString(); }

std::string AllText(const TStory& story) {
    std::string all;
    for (const TStoryLine& l : story.Lines) all += " " + Lower(l.Text) + " ";
    return all;
}

} // namespace

TEST(MacTextTest, FrenchTextRoundTripsThroughTheProgramsTable) {
    const std::string text = "Léa, ça va ? Où est le gâteau ? « Très bien », dit-elle. Œuvre, naïf, ambiguë, île, dû.";
    const std::string mac = ToMac(text);
    EXPECT_EQ(tav::MacToAnsi(mac), ToAnsi(text));
    EXPECT_EQ(mac.find('\t'), std::string::npos) << "spaces must stay spaces";
    EXPECT_EQ(static_cast<unsigned char>(ToMac("é")[0]), 0x8E);
    EXPECT_EQ(static_cast<unsigned char>(ToMac("à")[0]), 0x88);
}

TEST(MacTextTest, TextWithoutAWindowsCodeIsRefused) {
    EXPECT_THROW(ToMac("中文"), std::runtime_error);
}

TEST(MacTextTest, SpellingLettersAreNamedByTheirMacCode) {
    EXPECT_EQ(MacCodeOf('a'), 97);
    EXPECT_EQ(MacCodeOf(0xE9), 142); // é
    EXPECT_EQ(MacCodeOf(0x9C), 207); // œ
}

TEST(TimecodeTest, EveryUnitReadsBackExactly) {
    for (int units = 0; units < 40000; ++units)
        ASSERT_EQ(disccheck::TimecodeToUnits(UnitsToTimecode(units)), units) << UnitsToTimecode(units);
    EXPECT_EQ(UnitsToTimecode(25), "00:00:01:00");
    EXPECT_EQ(UnitsToTimecode(1552), "00:01:02:03");
}

TEST(TimelineTest, LinesRiseWithoutOverlapAndStayInsideTheirPart) {
    const TStory story = DemoStory();
    const TFilm film = FakeFilm(story);
    ASSERT_EQ(film.Timeline.Lines.size(), story.Lines.size());
    ASSERT_EQ(int(film.Timeline.Parts.size()), story.PartCount);
    int previousEnd = 0;
    for (size_t i = 0; i < story.Lines.size(); ++i) {
        const TTimedLine& t = film.Timeline.Lines[i];
        EXPECT_EQ(t.StartMs % kUnitMs, 0);
        EXPECT_EQ(t.EndMs % kUnitMs, 0);
        EXPECT_GT(t.EndMs, t.StartMs);
        EXPECT_GE(t.StartMs, previousEnd + 300) << "a pause before line " << i;
        EXPECT_GE(t.EndMs - t.StartMs, t.Audio.Ms()) << "the range holds the whole sound";
        const TFilmPart& part = film.Timeline.Parts[size_t(story.Lines[i].Part - 1)];
        EXPECT_GE(t.StartMs, part.StartMs);
        EXPECT_LE(t.EndMs, part.StartMs + part.LengthMs);
        previousEnd = t.EndMs;
    }
    for (size_t k = 1; k < film.Timeline.Parts.size(); ++k)
        EXPECT_EQ(film.Timeline.Parts[k].StartMs,
                  film.Timeline.Parts[k - 1].StartMs + film.Timeline.Parts[k - 1].LengthMs);
}

TEST(StoryTest, DemoFilmHasTheRightSize) {
    const TStory story = DemoStory();
    int spoken = 0, silent = 0;
    std::set<int> speakers;
    for (const TStoryLine& l : story.Lines) {
        if (l.Cue == TCue::Speech) {
            ++spoken;
            speakers.insert(l.Speaker);
            EXPECT_FALSE(l.Text.empty());
        } else {
            ++silent;
            EXPECT_TRUE(l.Text.empty());
        }
    }
    EXPECT_GE(spoken, 70);
    EXPECT_LE(spoken, 100);
    EXPECT_GE(silent, 2);
    EXPECT_GE(speakers.size(), 5u);
    EXPECT_EQ(story.PartCount, 3);
    EXPECT_GE(story.DogReturns, story.DogLeaves);
}

TEST(RecordingScenesTest, ActorsHaveScenesOfThreeToFiveOfTheirOwnLines) {
    for (const TStory& story : {DemoStory(), FixtureStory()}) {
        const TFilm film = FakeFilm(story);
        const auto actors = ChooseRecordingScenes(film, 9);
        EXPECT_GE(actors.size(), story.Lines.size() > 40 ? 4u : 2u);
        for (const TActorScenes& a : actors) {
            EXPECT_GE(a.Scenes.size(), 2u);
            EXPECT_LE(a.Scenes.size(), 9u);
            for (const auto& scene : a.Scenes) {
                EXPECT_GE(scene.size(), 3u);
                EXPECT_LE(scene.size(), 5u);
                EXPECT_GT(scene.front(), 1) << "the cue line before line 1 must exist";
                for (size_t k = 0; k < scene.size(); ++k) {
                    EXPECT_EQ(story.Lines[size_t(scene[k] - 1)].Speaker, a.Character);
                    if (k) EXPECT_GT(scene[k], scene[k - 1]);
                }
            }
        }
    }
}

TEST(CoursewareTest, DictionaryAndSearchWordsOccurInTheFilm) {
    const TStory story = DemoStory();
    const std::string all = AllText(story);
    const auto dict = DictionaryWords(false);
    EXPECT_GE(dict.size(), 40u);
    for (const TDictWord& w : dict) {
        // The noun without its article occurs in the dialogue.
        std::string noun = Lower(w.Word);
        for (const char* article : {"le ", "la ", "les ", "l'"})
            if (noun.rfind(article, 0) == 0) noun = noun.substr(std::string(article).size());
        noun = noun.substr(0, noun.find(' '));
        EXPECT_NE(all.find(noun), std::string::npos) << w.Word;
        EXPECT_NO_THROW(ToMac(w.Word));
    }
    const auto search = SearchWords(story, false);
    EXPECT_GE(search.size(), 60u);
    int withComment = 0;
    for (const std::string& entry : search) {
        withComment += entry.find(',') != std::string::npos;
        EXPECT_NE(all.find(Lower(entry.substr(0, entry.find(',')))), std::string::npos) << entry;
    }
    EXPECT_GE(withComment, 3);
    int distractors = 0;
    for (const std::string& line : DistractorWords()) distractors += int(disccheck::Fields(line, '|').size());
    EXPECT_GE(distractors, 100);
}

TEST(CoursewareTest, QuizQuestionsAreWellFormed) {
    for (bool fixture : {false, true}) {
        const TStory story = fixture ? FixtureStory() : DemoStory();
        const auto questions = QuizQuestions(story, fixture, fixture ? 20 : 26);
        EXPECT_EQ(questions.size(), fixture ? 20u : 26u);
        for (const TQuizQuestion& q : questions) {
            EXPECT_GE(q.Correct, 1);
            EXPECT_LE(q.Correct, 3);
            EXPECT_LE(q.FromLine, q.ToLine);
            EXPECT_NE(q.Answers[0], q.Answers[1]) << q.Question;
            EXPECT_NE(q.Answers[1], q.Answers[2]) << q.Question;
            EXPECT_NE(q.Answers[0], q.Answers[2]) << q.Question;
            EXPECT_NE(q.Question.find('?'), std::string::npos);
        }
    }
}

TEST(CoursewareTest, FrenchNumbersForTheSpokenScores) {
    EXPECT_EQ(FrenchNumber(0), "zéro");
    EXPECT_EQ(FrenchNumber(21), "vingt et un");
    EXPECT_EQ(FrenchNumber(75), "soixante-quinze");
    EXPECT_EQ(FrenchNumber(80), "quatre-vingts");
    EXPECT_EQ(FrenchNumber(95), "quatre-vingt-quinze");
}

TEST(SoundTest, AiffHeaderDescribesTheSamples) {
    tavtest::TempFolder dir;
    TSound s = Note(440, 500);
    WriteAiff(dir.File("a.aif"), s);
    const auto info = disccheck::ReadAiffHeader(dir.File("a.aif"));
    ASSERT_TRUE(info.Valid);
    EXPECT_EQ(info.Channels, 1);
    EXPECT_EQ(info.Frames, long(s.Samples.size()));
    EXPECT_DOUBLE_EQ(info.Rate, 22050.0);
    WriteWav(dir.File("a.wav"), s);
    const TSound back = ReadWav(dir.File("a.wav"));
    ASSERT_EQ(back.Samples.size(), s.Samples.size());
    EXPECT_NEAR(back.Samples[1000], s.Samples[1000], 1e-4);
}

TEST(FailureTest, BadInputGivesAClearError) {
    tavtest::TempFolder dir;
    demodisc::TDiscOptions o; // no output folder
    EXPECT_THROW(demodisc::BuildDisc(o), std::runtime_error);
    tavtest::WriteFile(dir.File("not.wav"), "RIFX0000WAVEfmt ");
    EXPECT_THROW(ReadWav(dir.File("not.wav")), std::runtime_error);
    EXPECT_THROW(ReadWav(dir.File("missing.wav")), std::runtime_error);
    EXPECT_THROW(DemoStory().FindLine("a line nobody says"), std::runtime_error);
}

TEST(FrameStateTest, TheSpeakerTalksOnlyDuringTheirLine) {
    const TStory story = DemoStory();
    std::vector<TSound> audio;
    for (size_t i = 0; i < story.Lines.size(); ++i) audio.push_back(Note(300, 1200, 0.6f, 0.5));
    const TFilm film{story, LayOut(story, std::move(audio))};
    const int i = story.FindLine("Il court après un chat");
    const TTimedLine& line = film.Timeline.Lines[size_t(i)];
    const TFrameState during = StateAt(film, line.StartMs + 200);
    EXPECT_EQ(during.Speaker, story.Lines[size_t(i)].Speaker);
    EXPECT_GT(during.Mouth, 0.05f);
    EXPECT_EQ(during.Setting, "parc");
    EXPECT_NE(std::find(during.Cast.begin(), during.Cast.end(), during.Speaker), during.Cast.end());
    const TFrameState pause = StateAt(film, line.EndMs + 40);
    EXPECT_EQ(pause.Speaker, -1) << "nobody speaks in the pause after a line";
    EXPECT_TRUE(during.Dog);
    const int gone = film.Timeline.Lines[size_t(story.DogLeaves + 1)].StartMs + 100;
    EXPECT_FALSE(StateAt(film, gone).Dog) << "the dog has run off";
    EXPECT_TRUE(StateAt(film, film.Timeline.Lines.back().StartMs).Dog) << "and is home at the end";
    EXPECT_FALSE(StateAt(film, film.Timeline.Parts[1].StartMs + 100).Title.empty()) << "each part opens with a title";
    EXPECT_TRUE(StateAt(film, film.Timeline.Parts[1].StartMs + 5000).Title.empty());
}

TEST(FrameStateTest, ANewPlaceOpensBeforeItsFirstLineAndTheCastWalksIn) {
    const TStory story = DemoStory();
    std::vector<TSound> audio(story.Lines.size(), Note(300, 900));
    const TFilm film{story, LayOut(story, std::move(audio))};
    int first = 1;
    while (story.Lines[size_t(first)].Setting == story.Lines[size_t(first - 1)].Setting) ++first;
    const int start = film.Timeline.Lines[size_t(first)].StartMs;
    const TFrameState opening = StateAt(film, start - 1000);
    EXPECT_EQ(opening.Setting, story.Lines[size_t(first)].Setting);
    EXPECT_LT(opening.Arrival, 1.0);
    EXPECT_EQ(opening.Speaker, -1);
    EXPECT_GE(StateAt(film, start).Arrival, 1.0);
    EXPECT_EQ(StateAt(film, start - 1500).Setting, story.Lines[size_t(first - 1)].Setting);
}
