// The film quiz on the fixture disc with the real main window and fake
// media (QuizFixture.h).
#include "QuizFixture.h"

#include "content/DebugLog.h"
#include "media/Movie.h"

using namespace tav;

TEST_F(QuizScreen, WelcomeThenRoundThenQuestionAndItsAnswersInOrder) {
    bool held = false;
    media.duringBlockingSound = [&] { held = true; };
    Enter();
    EXPECT_EQ(media.sounds, (std::vector<std::string>{"musak.aif"}));
    EXPECT_TRUE(quiz->Help->HelpVisible());
    // Each sound of the welcome brings the next when it ends; none waits.
    ASSERT_TRUE(RunTo(2));
    EXPECT_FALSE(held) << "a sound of the welcome held the learner's input";
    media.duringBlockingSound = nullptr;
    ASSERT_TRUE(RunTo(9));
    EXPECT_FALSE(quiz->Help->HelpVisible());
    const int n = quiz->CurrentQuestion.Number;
    const std::string order = quiz->AnswerOrder;
    const std::string q = IntToStr(n);
    std::vector<std::string> expected{"musak.aif", "welcome1.aif", "welcome2.aif", "round1.aif", "tvq" + q + ".aif"};
    for (int p = 1; p <= 3; ++p) expected.push_back("tva" + q + "_" + IntToStr(quiz->AnswerAt[size_t(p)]) + order + ".aif");
    EXPECT_EQ(media.sounds, expected);
    EXPECT_EQ(quiz->QuestionCount, 1);
    EXPECT_EQ(quiz->fcLabel_Caption->Caption(), quiz->CurrentQuestion.Question);
    for (int p = 1; p <= 3; ++p)
        EXPECT_EQ(quiz->fcLabel_Ans[size_t(p)]->Caption(), quiz->CurrentQuestion.Answer(quiz->AnswerAt[size_t(p)]));
    // Order "b" shows answers 3, 1, 2; the right position follows.
    const int c = quiz->CurrentQuestion.Correct;
    if (order == "a") EXPECT_EQ(quiz->CorrectPos, c);
    else EXPECT_EQ(quiz->CorrectPos, c == 1 ? 2 : c == 2 ? 3 : 1);
    EXPECT_TRUE(quiz->Thinking);
}

TEST_F(QuizScreen, LearnerRightFirstWinsFiftyPoints) {
    ToAllRead();
    TTimer::AdvanceTimers(2000);
    Click(quiz->CorrectPos);
    EXPECT_EQ(quiz->State, 12);
    EXPECT_FALSE(quiz->Timer_Player2.Enabled());
    EXPECT_EQ(media.sounds.back(), "applause.aif");
    EXPECT_EQ(quiz->OpponentDelay, 3500);
    ASSERT_TRUE(RunTo(16));
    EXPECT_EQ(quiz->LearnerScore, 50);
    EXPECT_EQ(quiz->OpponentScore, 0);
    EXPECT_TRUE(media.PlayedPrefix("play1y"));
    ASSERT_TRUE(RunTo(5)) << "the next question begins";
    EXPECT_EQ(quiz->QuestionCount, 2);
}

TEST_F(QuizScreen, OpponentRightFirstWinsAndAClickDuringItsAnswerTakesThePointsInstead) {
    ToAllRead();
    OpponentAnswers(true);
    EXPECT_EQ(quiz->State, 9) << "the answer takes effect when the answering action ends";
    EXPECT_EQ(quiz->OpponentChoice, quiz->CorrectPos);
    ASSERT_TRUE(RunTo(17));
    EXPECT_EQ(quiz->OpponentScore, 50);
    EXPECT_TRUE(media.PlayedPrefix("play2y"));

    // Next question: the learner clicks while the opponent's answer plays.
    ASSERT_TRUE(RunTo(9));
    OpponentAnswers(true);
    Click(quiz->CorrectPos);
    EXPECT_EQ(quiz->State, 12);
    ASSERT_TRUE(RunTo(16));
    EXPECT_EQ(quiz->LearnerScore, 50);
    EXPECT_EQ(quiz->OpponentScore, 50) << "the opponent's answer was dropped";
}

TEST_F(QuizScreen, ADamagedOpponentClipLetsTheGameGoOnWithoutItsAnimation) {
    ToAllRead();
    media.opponentFails = true; // every section of the opponent's clip fails
    OpponentAnswers(true);
    ASSERT_TRUE(RunTo(17)) << "the game stood when the opponent's answer could not play";
    EXPECT_EQ(quiz->OpponentScore, 50);
    ASSERT_TRUE(RunTo(5)) << "the next question begins";
}

TEST_F(QuizScreen, OpponentWrongThenLearnerRightOrWrong) {
    ToAllRead();
    OpponentAnswers(false);
    ASSERT_TRUE(RunTo(10));
    EXPECT_NE(quiz->OpponentChoice, quiz->CorrectPos);
    EXPECT_EQ(media.sounds.back(), "boo.aif");
    TTimer::AdvanceTimers(60000);
    Settle();
    EXPECT_EQ(quiz->State, 10) << "no time limit for the learner";
    Click(quiz->CorrectPos);
    ASSERT_TRUE(RunTo(16));
    EXPECT_EQ(quiz->LearnerScore, 50);

    ASSERT_TRUE(RunTo(9));
    OpponentAnswers(false);
    ASSERT_TRUE(RunTo(10));
    const int wrong = 6 - quiz->CorrectPos - quiz->OpponentChoice; // the third position
    Click(wrong);
    EXPECT_EQ(quiz->State, 14);
    ASSERT_TRUE(RunTo(18));
    EXPECT_EQ(quiz->LearnerScore, 50);
    EXPECT_EQ(quiz->OpponentScore, 0);
}

TEST_F(QuizScreen, LearnerWrongThenOpponentRightOrWrongButNeverTheLearnersAnswer) {
    ToAllRead();
    Click(Wrong());
    EXPECT_EQ(quiz->State, 11);
    EXPECT_TRUE(quiz->Timer_Player2.Enabled());
    Click(quiz->CorrectPos);
    EXPECT_EQ(quiz->State, 11) << "after a wrong answer clicks do nothing";
    OpponentAnswers(true);
    ASSERT_TRUE(RunTo(17));
    EXPECT_EQ(quiz->OpponentScore, 50);

    for (int k = 0; k < 3; ++k) { // several questions: the opponent's wrong pick varies
        ASSERT_TRUE(RunTo(9));
        const int learner = Wrong();
        Click(learner);
        OpponentAnswers(false);
        EXPECT_NE(quiz->OpponentChoice, learner);
        EXPECT_NE(quiz->OpponentChoice, quiz->CorrectPos);
        ASSERT_TRUE(RunTo(18));
    }
    EXPECT_EQ(quiz->LearnerScore, 0);
    EXPECT_EQ(quiz->OpponentScore, 50);
}

TEST_F(QuizScreen, AQuestionWithoutARightAnswerStillGetsAWrongOpponentAnswer) {
    // quiz.txt lines with a right-answer number other than 1..3 are accepted
    // (position 0 under either answer order); the opponent's wrong pick must
    // not depend on one of the three being right.
    ToAllRead();
    quiz->CorrectPos = 0;
    tavtest::MessageCapture messages;
    OpponentAnswers(false);
    ASSERT_TRUE(RunTo(10));
    EXPECT_GE(quiz->OpponentChoice, 1);
    EXPECT_LE(quiz->OpponentChoice, 3);
    EXPECT_TRUE(messages.Messages.empty()) << messages.Last();
}

TEST_F(QuizScreen, EarlyClicksOnlyOnAnswersAlreadyBeingRead) {
    Enter();
    ASSERT_TRUE(RunTo(6)); // answer A is being read
    Click(2);
    Click(3);
    EXPECT_EQ(quiz->LearnerChoice, 0) << "B and C are not read yet";
    // A answered while it is read: the learner answers early from now on.
    if (quiz->CorrectPos == 1) {
        Click(1);
        EXPECT_EQ(quiz->State, 12);
    } else {
        Click(1);
        EXPECT_EQ(quiz->State, 11);
    }
    EXPECT_TRUE(quiz->AnswersEarly);
    EXPECT_FALSE(quiz->Markers[1]->isHidden());
}

TEST_F(QuizScreen, OpponentDecidingWrongWhileAnswersAreReadAnswersWronglyAfterItsDelay) {
    Enter();
    quiz->AnswersEarly = true; // its timer starts with the right answer's reading
    ASSERT_TRUE(RunTo(8));
    for (int i = 0; i < 5 && !quiz->Timer_Player2.Enabled(); ++i) {
        media.EndSounds();
        Settle();
    }
    if (quiz->State < 9 && quiz->Timer_Player2.Enabled()) {
        OpponentAnswers(false);
        EXPECT_TRUE(quiz->WillBeWrong);
        EXPECT_LT(quiz->State, 9) << "nothing visible happens";
    }
    ASSERT_TRUE(RunTo(9));
    quiz->WillBeWrong = true;
    OpponentAnswers(true); // even a lucky draw cannot make it right now
    ASSERT_TRUE(RunTo(10));
}

TEST_F(QuizScreen, ReactionTimesSetTheOpponentsDelay) {
    ToAllRead();
    TTimer::AdvanceTimers(2000);
    Click(quiz->CorrectPos);
    EXPECT_EQ(quiz->OpponentDelay, 3500);
    ASSERT_TRUE(RunTo(9));
    TTimer::AdvanceTimers(1000);
    Click(quiz->CorrectPos);
    EXPECT_EQ(quiz->OpponentDelay, 2250);
    ASSERT_TRUE(RunTo(9));
    // The opponent answers wrongly first so the learner can take 9 s.
    OpponentAnswers(false);
    ASSERT_TRUE(RunTo(10));
    TTimer::AdvanceTimers(9000 - quiz->OpponentDelay - 1000);
    const uint32_t reaction = GetTickCount() - quiz->ReactionStart;
    Click(quiz->CorrectPos);
    EXPECT_EQ(quiz->OpponentDelay, std::min<int>(5000, int((2250 + reaction) / 2)));
    EXPECT_GE(reaction, 7000u);
}

TEST_F(QuizScreen, ScoreDigitsAndRoundResults) {
    Enter();
    quiz->SetLearnerScore(1000);
    EXPECT_EQ(quiz->Image_P1K->Picture(), quiz->ImageList_P1Score[1]);
    EXPECT_EQ(quiz->Image_P1H->Picture(), quiz->ImageList_P1Score[2]);
    EXPECT_EQ(quiz->Image_P1T->Picture(), quiz->ImageList_P1Score[12]);
    quiz->SetOpponentScore(950);
    EXPECT_EQ(quiz->Image_P2K->Picture(), quiz->ImageList_P2Score[0]);
    EXPECT_EQ(quiz->Image_P2H->Picture(), quiz->ImageList_P2Score[11]);
    EXPECT_EQ(quiz->Image_P2T->Picture(), quiz->ImageList_P2Score[13]);
    quiz->SetLearnerScore(0);
    quiz->SetOpponentScore(0);

    // Five questions the learner wins: the round result shows and announces the lead.
    for (int k = 0; k < 5; ++k) {
        ASSERT_TRUE(RunTo(9));
        Click(quiz->CorrectPos);
        ASSERT_TRUE(RunTo(16));
    }
    const size_t before = media.sounds.size();
    ASSERT_TRUE(RunTo(18));
    for (int i = 0; i < 5 && !media.PlayedPrefix("P1Lead", before); ++i) {
        media.EndOpponent();
        media.EndSounds();
        Settle();
    }
    EXPECT_TRUE(media.PlayedPrefix("P1Lead", before));
    EXPECT_TRUE(quiz->fcLabel_Score2->isVisible());
    EXPECT_EQ(quiz->fcLabel_Score2->Caption(), "Ann\r250");
    ASSERT_TRUE(RunTo(3));
    EXPECT_EQ(media.Count("round2.aif"), 1);
    EXPECT_FALSE(quiz->fcLabel_Score2->isVisible());
}

TEST_F(QuizScreen, AWholeGameEndsWithTheWinnerAndHandsTheScoreOver) {
    Enter();
    for (int k = 0; k < 20; ++k) {
        ASSERT_TRUE(RunTo(9)) << "question " << k + 1;
        Click(k < 12 ? quiz->CorrectPos : Wrong());
        if (quiz->State == 11) OpponentAnswers(true);
        ASSERT_TRUE(RunTo(18));
    }
    EXPECT_EQ(quiz->LearnerScore, 600);
    EXPECT_EQ(quiz->OpponentScore, 400);
    EXPECT_EQ(media.Count("round4.aif"), 1);
    // The twentieth question's end led on to the end of the game: "the end",
    // then, once it has been heard, the winner's words.
    EXPECT_EQ(media.Count("TheEnd.aif"), 1);
    EXPECT_FALSE(media.PlayedPrefix("P1Win"));
    media.EndSounds();
    Settle();
    EXPECT_TRUE(media.PlayedPrefix("P1Win"));
    EXPECT_TRUE(quiz->Timer_Flash.Enabled()) << "the leader's score blinks";
    const bool shown = quiz->fcLabel_Score2->isVisible();
    TTimer::AdvanceTimers(250);
    EXPECT_NE(quiz->fcLabel_Score2->isVisible(), shown);
    EXPECT_TRUE(quiz->fcLabel_Score1->isVisible());
    media.EndSounds();
    Settle();
    EXPECT_EQ(media.sounds.back(), "Bye.aif");
    EXPECT_FALSE(tavtest::AtState(*main, stMainMenu)) << "the goodbye is heard first";
    media.EndSounds();
    Settle();
    EXPECT_TRUE(tavtest::WaitUntil([&] { return tavtest::AtState(*main, stMainMenu); }));
    EXPECT_EQ(main->LastScore, 600);
}

TEST_F(QuizScreen, BackLeavesOnceWithThePointsSoFarAndLateCompletionsDoNothing) {
    ToAllRead();
    Click(quiz->CorrectPos);
    ASSERT_TRUE(RunTo(16));
    media.soundsDue.push_back(quiz); // a completion arrives after Back
    QPointer<TForm_Quiz> screen = quiz;
    quiz->EButton_BackClick();
    quiz->EButton_BackClick();
    EXPECT_EQ(main->LastScore, 50);
    media.EndSounds();
    media.EndOpponent();
    Settle();
    EXPECT_TRUE(tavtest::WaitUntil([&] { return tavtest::AtState(*main, stMainMenu); }));
    EXPECT_EQ(std::count(tavtest::ScreenLog.begin(), tavtest::ScreenLog.end(), std::string("create 5")), 1);
}

TEST_F(QuizScreen, BackDuringTheWelcomeMusicLeavesAtOnceAndNoWordsFollow) {
    Enter();
    ASSERT_EQ(media.sounds, (std::vector<std::string>{"musak.aif"}));
    quiz->EButton_BackClick();
    media.EndSounds(); // the music's end, if it still came, finds nothing to do
    Settle();
    EXPECT_TRUE(tavtest::WaitUntil([&] { return tavtest::AtState(*main, stMainMenu); }));
    EXPECT_EQ(media.sounds, (std::vector<std::string>{"musak.aif"}));
}

TEST_F(QuizScreen, BackDuringTheEndOfTheGameLeavesAtOnceAndNoWordsFollow) {
    Enter();
    quiz->QuestionsPerGame = 1;
    ASSERT_TRUE(RunTo(9));
    Click(quiz->CorrectPos);
    ASSERT_TRUE(RunTo(18));
    for (int i = 0; i < 5 && media.Count("TheEnd.aif") == 0; ++i) {
        media.EndOpponent();
        Settle();
    }
    ASSERT_EQ(media.Count("TheEnd.aif"), 1);
    const size_t heard = media.sounds.size();
    quiz->EButton_BackClick();
    EXPECT_TRUE(tavtest::WaitUntil([&] { return tavtest::AtState(*main, stMainMenu); }));
    media.EndSounds(); // the end's completion, if it still came, finds nothing to do
    Settle();
    EXPECT_EQ(media.sounds.size(), heard) << "neither the winner's words nor the goodbye";
    EXPECT_EQ(main->LastScore, 50);
}

TEST_F(QuizScreen, NineteenQuestionsRunOut) {
    Enter();
    tavtest::TempFolder dir;
    std::string text;
    for (int i = 0; i < 19; ++i) text += "00:00:01:00|00:00:02:00|Q|a|b|c|1\r";
    tavtest::WriteFile(dir.File("quiz.txt"), text);
    quiz->LoadQuiz(dir.File("quiz.txt"));
    for (int i = 0; i < 19; ++i) quiz->PickQuestion();
    try {
        quiz->PickQuestion();
        FAIL() << "no error";
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "Run out of questions!");
    }
}

TEST_F(QuizScreen, ShutDownDuringTheWelcomeClosesCleanly) {
    Enter(); // the welcome music plays
    main->CloseProgram();
    ASSERT_TRUE(tavtest::WaitUntil([&] { return !main->isVisible(); }));
    Settle();
    main.reset(); // destroys the quiz with its opponent panel
    SUCCEED();
}


// ---- messages that wait in the queue while a step runs --------------------------------

TEST_F(QuizScreen, AClickQueuedBehindTheEndOfAnAnswerIsTakenInTheStateThatFollows) {
    // Wrong on A: no second chance on B.
    Enter();
    ASSERT_TRUE(RunTo(6));
    quiz->CorrectPos = 2;
    media.EndSounds(); // A has been read: B follows
    PostClick(1);
    Settle();
    EXPECT_EQ(quiz->State, 11);
    EXPECT_EQ(quiz->LearnerChoice, 1);
    Click(2);
    EXPECT_EQ(quiz->LearnerChoice, 1) << "after a wrong answer clicks do nothing";
    OpponentAnswers(false);
    ASSERT_TRUE(RunTo(18));
    EXPECT_EQ(quiz->LearnerScore, 0);
    EXPECT_EQ(quiz->OpponentScore, 0);

    // Right on A: the points are the learner's.
    ASSERT_TRUE(RunTo(6));
    quiz->CorrectPos = 1;
    media.EndSounds();
    PostClick(1);
    Settle();
    EXPECT_EQ(quiz->State, 12);
    ASSERT_TRUE(RunTo(16));
    EXPECT_EQ(quiz->LearnerScore, 50);
    EXPECT_EQ(quiz->OpponentScore, 0);
}

TEST_F(QuizScreen, ARightClickQueuedWhenTheOpponentDecidesWinsAndTheOpponentsAnswerIsDropped) {
    ToAllRead();
    OpponentWillBe(true);
    PostClick(quiz->CorrectPos);
    TTimer::AdvanceTimers(quiz->OpponentDelay); // the opponent decides while the click waits
    Settle();
    EXPECT_EQ(quiz->State, 12);
    ASSERT_TRUE(RunTo(16));
    ASSERT_TRUE(RunTo(5)) << "the next question begins";
    EXPECT_EQ(quiz->LearnerScore, 50);
    EXPECT_EQ(quiz->OpponentScore, 0);
}

TEST_F(QuizScreen, BackDuringTheStillFrameLeavesWithoutAnError) {
    tavtest::MessageCapture messages;
    Enter();
    media.duringWaitingFilm = [this] {
        media.duringWaitingFilm = nullptr;
        quiz->EButton_BackClick(); // handled while the first frame is being shown
    };
    for (int i = 0; i < 10; ++i) {
        media.EndSounds();
        media.EndFilm();
        media.EndOpponent();
        Settle();
    }
    EXPECT_TRUE(tavtest::WaitUntil([&] { return tavtest::AtState(*main, stMainMenu); }));
    EXPECT_TRUE(messages.Messages.empty()) << messages.Last();
}

TEST_F(QuizScreen, ALineWhoseRightAnswerIsNotOneToThreeIsLeftOutAndNamed) {
    Enter();
    std::vector<std::string> log;
    SetDebugSink([&](const std::string& line) { log.push_back(line); });
    tavtest::TempFolder dir;
    tavtest::WriteFile(dir.File("quiz.txt"), "00:00:01:00|00:00:02:00|Q1|a|b|c|1\r"
                                             "00:00:01:00|00:00:02:00|Q2|a|b|c|4\r"
                                             "00:00:01:00|00:00:02:00|Q3|a|b|c|x\r"
                                             "00:00:01:00|00:00:02:00|Q4|a|b|c|3\r");
    quiz->LoadQuiz(dir.File("quiz.txt"));
    SetDebugSink(nullptr);
    ASSERT_EQ(quiz->Questions.size(), 2u);
    EXPECT_EQ(quiz->Questions[1].Number, 4);
    EXPECT_EQ(quiz->QuestionPool, "0001");
    const auto named = [&](const std::string& what) {
        return std::any_of(log.begin(), log.end(), [&](const std::string& l) { return l.find(what) != std::string::npos; });
    };
    EXPECT_TRUE(named("quiz.txt:2: right answer 4 is not 1, 2 or 3")) << (log.empty() ? "" : log.front());
    EXPECT_TRUE(named("quiz.txt:3: right answer 0 is not 1, 2 or 3"));
}

namespace {

// Gives the screen the fixture's fake back when a test's own media go.
struct RestoreMedia {
    IQuizMedia* fallback;
    ~RestoreMedia() { SetQuizMedia(fallback); }
};

// The program's clip pool (none here: no menu made one) with the fake
// opponent, so the opponent's sections end when the test says.
struct PoolWithFakeOpponent : quiztest::FakeQuizMedia {
    IQuizMedia& pool = ClipPoolQuizMedia();
    void AttachDisplay(QWidget* panel) override { pool.AttachDisplay(panel); }
    void DetachDisplay() override { pool.DetachDisplay(); }
    void PlayFilm(int from, int to, bool wait, QObject* notify) override { pool.PlayFilm(from, to, wait, notify); }
    void PrepareSound(const std::string& path) override { pool.PrepareSound(path); }
    void PlaySound(const std::string& path, bool wait, QObject* notify) override {
        sounds.push_back(path.substr(path.find_last_of('\\') + 1));
        pool.PlaySound(path, wait, notify);
    }
    void StopSounds() override { pool.StopSounds(); }
    void CloseSounds() override { pool.CloseSounds(); }
    int ClassifyDevice(int id) const override { return pool.ClassifyDevice(id); }
};

} // namespace

TEST_F(QuizScreen, WithoutAClipPoolTheGameGoesOnWithoutFilmAndSoundAndSaysSo) {
    ASSERT_EQ(Form_Movie, nullptr);
    PoolWithFakeOpponent withoutPool;
    const RestoreMedia restore{&media};
    SetQuizMedia(&withoutPool);
    std::vector<std::string> log;
    SetDebugSink([&](const std::string& line) { log.push_back(line); });
    tavtest::MessageCapture messages;
    main->PostStateChange(stQuiz, 1);
    ASSERT_TRUE(tavtest::WaitUntil([&] { return dynamic_cast<TForm_Quiz*>(main->CurrentScreen()) != nullptr; }));
    quiz = dynamic_cast<TForm_Quiz*>(main->CurrentScreen());
    bool reached = false;
    for (int i = 0; i < 60 && !reached; ++i) {
        withoutPool.EndOpponent();
        Settle();
        reached = quiz->State == 9;
    }
    SetDebugSink(nullptr);
    ASSERT_TRUE(reached) << "stands in state " << quiz->State;
    EXPECT_TRUE(std::any_of(log.begin(), log.end(),
                            [](const std::string& l) { return l.find("no film clip pool") != std::string::npos; }));
    Click(quiz->CorrectPos);
    EXPECT_EQ(quiz->State, 12);
    quiz->EButton_BackClick();
    EXPECT_TRUE(tavtest::WaitUntil([&] { return tavtest::AtState(*main, stMainMenu); }));
    EXPECT_EQ(main->LastScore, 0);
    EXPECT_TRUE(messages.Messages.empty()) << messages.Last();
}

TEST_F(QuizScreen, APoolWithoutFilmLetsTheQuestionGoOnWithoutIt) {
    // The clip pool takes the film (it has no parts); sounds and the opponent are fakes.
    struct FilmOfPool : quiztest::FakeQuizMedia {
        void AttachDisplay(QWidget* panel) override { ClipPoolQuizMedia().AttachDisplay(panel); }
        void DetachDisplay() override { ClipPoolQuizMedia().DetachDisplay(); }
        void PlayFilm(int from, int to, bool wait, QObject* notify) override {
            ClipPoolQuizMedia().PlayFilm(from, to, wait, notify);
        }
    } filmOfPool;
    TMovieSettings settings;
    settings.TargetFolder = main->TargetFolder;
    Form_Movie = new TForm_Movie(settings);
    struct Free {
        ~Free() {
            delete Form_Movie;
            Form_Movie = nullptr;
        }
    } freePool;
    const RestoreMedia restore{&media};
    SetQuizMedia(&filmOfPool);
    tavtest::MessageCapture messages;
    main->PostStateChange(stQuiz, 1);
    ASSERT_TRUE(tavtest::WaitUntil([&] { return dynamic_cast<TForm_Quiz*>(main->CurrentScreen()) != nullptr; }));
    quiz = dynamic_cast<TForm_Quiz*>(main->CurrentScreen());
    for (int i = 0; i < 60 && quiz->State != 9; ++i) {
        filmOfPool.EndSounds();
        filmOfPool.EndOpponent();
        Settle();
    }
    EXPECT_EQ(quiz->State, 9) << "the game waits for a film that never plays";
    quiz->EButton_BackClick();
    EXPECT_TRUE(tavtest::WaitUntil([&] { return tavtest::AtState(*main, stMainMenu); }));
    EXPECT_TRUE(messages.Messages.empty()) << messages.Last();
}
