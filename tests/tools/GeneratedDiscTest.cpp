// The generated discs as the program will read them: every key, index line
// and named file, the formats of pictures, sounds and film parts. The same
// checks run on the fixture disc (made here) and on the demo disc that the
// build lays out beside the program.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <map>
#include <memory>

#include "DiscBuilder.h"
#include "DiscCheck.h"
#include "content/KeyFiles.h"
#include "content/OurUtils.h"

using namespace disccheck;

namespace {

struct TExpect {
    const char* Name;
    size_t Parts, Actors, DictWords, SearchWords, QuizQuestions, StartLines;
    int MinSpokenLines;
    int MinFilmSeconds, MaxFilmSeconds;
};

const TExpect kFixture{"fixture", 2, 2, 8, 8, 20, 5, 12, 20, 40};
const TExpect kDemo{"demo", 3, 4, 40, 60, 24, 10, 70, 240, 360};

class GeneratedDisc : public ::testing::TestWithParam<TExpect> {
protected:
    static void SetUpTestSuite() {
        dir_ = std::make_unique<QTemporaryDir>();
        fixtureRoot_ = dir_->path().toStdString();
        demodisc::TDiscOptions o;
        o.Root = fixtureRoot_;
        o.Cache = DEMODISC_TEST_CACHE;
        o.Fixture = true;
        demodisc::BuildDisc(o);
    }
    static void TearDownTestSuite() { dir_.reset(); }

    void SetUp() override {
        if (std::string(GetParam().Name) == "fixture") {
            root_ = fixtureRoot_;
            return;
        }
        // The demo disc the build lays out in the program folder.
        const QByteArray program = qgetenv("TAVOLIN_PROGRAM");
        root_ = QFileInfo(QString::fromLocal8Bit(program)).absolutePath().toStdString();
        if (program.isEmpty() || !Exists(root_ + "/.content-made"))
            GTEST_SKIP() << "no demo disc beside the program (scripts/make-content has not run)";
    }

    static std::string Root(const std::string& name) { return root_ + "/" + name; }
    static std::string Target(const std::string& name) { return root_ + "/French/" + name; }

    struct TEntry {
        int Seq = 0, Start = 0, End = 0;
        QString Text, Speaker;
        bool Same = false, ForActivities = false;
    };
    static std::vector<TEntry> Entries() {
        std::vector<TEntry> out;
        const auto raw = RawLines(Target("movieinf.txt"));
        const auto text = MacLines(Target("movieinf.txt"));
        for (size_t i = 0; i < raw.size(); ++i) {
            const std::vector<std::string> f = Fields(raw[i], '|');
            EXPECT_GE(f.size(), 7u) << raw[i];
            if (f.size() < 7) continue;
            TEntry e;
            e.Seq = tav::StrToIntDef(f[0], 0);
            e.Start = TimecodeToUnits(f[1]);
            e.End = TimecodeToUnits(f[2]);
            e.Text = text[i].section('|', 3, 3);
            e.Speaker = text[i].section('|', 4, 4);
            e.Same = tav::StrToIntDef(f[5], 0) & 0xFF;
            e.ForActivities = tav::StrToIntDef(f[6], 0) & 0xFF;
            out.push_back(e);
        }
        return out;
    }
    // The film's length in film units, from the parts named in settings.txt.
    static int FilmUnits() {
        int units = 0;
        for (int frames : PartFrames()) units += frames;
        return units;
    }
    static std::vector<int> PartFrames() {
        static std::map<std::string, std::vector<int>> known;
        auto it = known.find(root_);
        if (it != known.end()) return it->second;
        std::vector<int> frames;
        for (const std::string& name : tav::SplitKeyList(RawLines(Target("settings.txt")), "MovieNames", '|'))
            frames.push_back(ProbeFilm(Target(name)).Frames);
        return known[root_] = frames;
    }

    static std::unique_ptr<QTemporaryDir> dir_;
    static std::string fixtureRoot_;
    static std::string root_;
};

std::unique_ptr<QTemporaryDir> GeneratedDisc::dir_;
std::string GeneratedDisc::fixtureRoot_;
std::string GeneratedDisc::root_;

} // namespace

TEST_P(GeneratedDisc, RootHoldsTheKeyFilesAndHelpFolders) {
    EXPECT_TRUE(Exists(Root("Target.txt")));
    EXPECT_TRUE(Exists(Root("Spelinfo.txt")));
    EXPECT_TRUE(Exists(Root("PC")));
    const auto target = RawLines(Root("Target.txt"));
    EXPECT_EQ(tav::LookupKey(target, "TargetFolderName", ""), "French");
    EXPECT_EQ(tav::LookupKey(target, "MultiMenu", ""), "");
    const auto langs = tav::SplitKeyList(target, "SourceHelpLangs", ',');
    ASSERT_EQ(langs, (tav::TStringList{"2", "5"}));
    for (const std::string& code : langs) EXPECT_TRUE(Exists(Root("shared/source/bubb" + code)));
    EXPECT_FALSE(Exists(Root("CustomStart/CustomStart.txt")));
}

TEST_P(GeneratedDisc, SettingsNameTheFilmAndTheNextLineStarts) {
    const auto settings = RawLines(Target("settings.txt"));
    EXPECT_TRUE(MacLines(Target("settings.txt"))[0].startsWith(QString::fromUtf8("PCCaption|Tavolin – Biscuit")));
    EXPECT_EQ(tav::LookupKey(settings, "TargetLang", ""), "3");
    const auto parts = tav::SplitKeyList(settings, "MovieNames", '|');
    ASSERT_EQ(parts.size(), GetParam().Parts);
    for (const std::string& p : parts) {
        const TStreamInfo film = ProbeFilm(Target(p));
        EXPECT_TRUE(film.HasVideo && film.HasAudio) << p;
        EXPECT_EQ(film.VideoCodec.rfind("mpeg", 0), 0u) << p;
        EXPECT_EQ(film.Width, 352);
        EXPECT_EQ(film.Height, 288);
        EXPECT_DOUBLE_EQ(film.Fps, 25.0);
    }
    const auto entries = Entries();
    const auto starts = tav::SplitKeyList(settings, "NextGameStartLines", '|');
    EXPECT_GE(starts.size(), GetParam().StartLines);
    for (const std::string& s : starts) {
        const int n = tav::StrToIntDef(s, 0);
        bool spoken = false;
        for (const TEntry& e : entries) spoken = spoken || (e.Seq == n && !e.Text.isEmpty());
        EXPECT_TRUE(spoken) << "start " << s << " is a spoken line";
    }
}

TEST_P(GeneratedDisc, MovieIndexLinesParseAndRiseInsideTheFilm) {
    const auto entries = Entries();
    const int film = FilmUnits();
    EXPECT_GE(film, GetParam().MinFilmSeconds * 25);
    EXPECT_LE(film, GetParam().MaxFilmSeconds * 25);
    int previousEnd = 0, silent = 0, forActivities = 0, sameSpeaker = 0;
    for (size_t i = 0; i < entries.size(); ++i) {
        const TEntry& e = entries[i];
        EXPECT_EQ(e.Seq, int(i) + 1);
        EXPECT_GE(e.Start, previousEnd) << "line " << i + 1;
        EXPECT_GT(e.End, e.Start) << "line " << i + 1;
        EXPECT_LE(e.End, film) << "line " << i + 1;
        previousEnd = e.End;
        if (e.Text.isEmpty()) {
            ++silent;
            EXPECT_FALSE(e.ForActivities);
        } else {
            EXPECT_FALSE(e.Speaker.isEmpty());
            const bool continues = i > 0 && !entries[i - 1].Text.isEmpty() && entries[i - 1].Speaker == e.Speaker;
            if (e.Same) EXPECT_TRUE(continues) << "line " << i + 1 << " continues another speaker";
            sameSpeaker += e.Same;
        }
        forActivities += e.ForActivities;
    }
    EXPECT_GE(int(entries.size()) - silent, GetParam().MinSpokenLines);
    EXPECT_GE(silent, 1);
    EXPECT_GE(sameSpeaker, 1);
    EXPECT_GE(forActivities, 8);
    EXPECT_TRUE(entries[1].Text.startsWith(QString::fromUtf8("Hugo, ")));
    EXPECT_EQ(entries[1].Speaker, QString::fromUtf8("Léa"));
}

TEST_P(GeneratedDisc, NoLineRunsAcrossTwoFilmParts) {
    std::vector<int> partEnds;
    int units = 0;
    for (int frames : PartFrames()) partEnds.push_back(units += frames);
    for (const TEntry& e : Entries()) {
        size_t part = 0;
        while (part < partEnds.size() && e.Start >= partEnds[part]) ++part;
        ASSERT_LT(part, partEnds.size()) << "line " << e.Seq;
        EXPECT_LE(e.End, partEnds[part]) << "line " << e.Seq << " ends in the next part";
    }
}

TEST_P(GeneratedDisc, RecordIndexNamesActorsLines) {
    const auto lines = RawLines(Target("record.txt"));
    const auto entries = Entries();
    int actors = 0;
    size_t i = 0;
    for (; i + 1 < lines.size() && !lines[i].empty(); i += 2) {
        ++actors;
        const QString name = MacLines(Target("record.txt"))[i];
        const auto scenes = Fields(lines[i + 1], ' ');
        EXPECT_GE(scenes.size(), 2u) << name.toStdString();
        for (const std::string& scene : scenes) {
            const auto numbers = Fields(scene, '|');
            EXPECT_GE(numbers.size(), 3u);
            EXPECT_LE(numbers.size(), 5u);
            EXPECT_GT(tav::StrToIntDef(numbers[0], 0), 1) << "line 1 is never the film's first entry";
            for (const std::string& n : numbers) {
                const int k = tav::StrToIntDef(n, 0);
                ASSERT_GE(k, 1);
                ASSERT_LE(k, int(entries.size()));
                EXPECT_EQ(entries[size_t(k - 1)].Speaker, name);
            }
        }
    }
    if (GetParam().Actors == 2) EXPECT_EQ(actors, 2);
    EXPECT_GE(size_t(actors), GetParam().Actors);
    EXPECT_LE(actors, 9);
    EXPECT_EQ(i + 1, lines.size()) << "an empty name line ends the file";
}

TEST_P(GeneratedDisc, FilmStripHasTwentyFourThumbnails) {
    const auto strip = RawLines(Target("strip.txt"));
    ASSERT_EQ(strip.size(), 24u);
    const int film = FilmUnits();
    int previous = -1;
    for (const std::string& line : strip) {
        const int pos = TimecodeToUnits(line.substr(0, line.find(',')));
        EXPECT_GT(pos, previous);
        EXPECT_LT(pos, film);
        EXPECT_NE(line.find(','), std::string::npos);
        previous = pos;
    }
    EXPECT_EQ(PictureSize(Target("minis.jpg")), QSize(770, 106));
}

TEST_P(GeneratedDisc, WordListsAndTheirFilesExist) {
    const auto words = MacLines(Target("DicWords.txt"));
    if (GetParam().DictWords == 8) EXPECT_EQ(words.size(), 8u);
    EXPECT_GE(words.size(), GetParam().DictWords);
    for (size_t n = 1; n <= words.size(); ++n) {
        EXPECT_EQ(PictureSize(Target("DictPic/Dict" + std::to_string(n) + ".jpg")), QSize(280, 212));
        EXPECT_TRUE(ReadAiffHeader(Target("DictSnd/Dict" + std::to_string(n) + ".aif")).Valid);
    }
    EXPECT_EQ(words[0], QString::fromUtf8("le chien"));
    EXPECT_GE(MacLines(Target("Search.txt")).size(), GetParam().SearchWords);
    size_t distractors = 0;
    for (const std::string& line : RawLines(Target("words.txt"))) distractors += Fields(line, '|').size();
    EXPECT_GE(distractors, 100u);
    EXPECT_EQ(MacLines(Target("filter1.txt")), std::vector<QString>{"gourmand"});
    for (int s = 0; s < 100; s += 5) EXPECT_TRUE(ReadAiffHeader(Target("scores/Db" + std::to_string(s) + ".aif")).Valid);
    EXPECT_TRUE(ReadAiffHeader(Target("scores/Dbhh.aif")).Valid);
}

TEST_P(GeneratedDisc, SpellingTableAndEveryLetterTile) {
    const auto lines = RawLines(Root("Spelinfo.txt"));
    ASSERT_EQ(lines.size(), 1u);
    const auto fields = Fields(tav::MacToAnsi(lines[0]), ' ');
    ASSERT_EQ(fields.size(), 3u);
    EXPECT_EQ(fields[0], "3");
    EXPECT_GE(fields[1].size(), 17u);
    EXPECT_NE(fields[1].find(char(0xE9)), std::string::npos) << "é is a letter";
    const std::string folder = Root("shared/spell_" + fields[2]);
    for (unsigned char c : fields[1]) {
        const std::string k = std::to_string(tav::AnsiToMacCode(c));
        EXPECT_EQ(PictureSize(folder + "/PracTile/PTile" + k + ".jpg"), QSize(64, 64)) << k;
        EXPECT_EQ(PictureSize(folder + "/TestTile/TTile" + k + ".jpg"), QSize(64, 64)) << k;
        EXPECT_EQ(PictureSize(folder + "/Floaters/FTile" + k + ".bmp"), QSize(64, 64)) << k;
        EXPECT_EQ(PictureSize(folder + "/UpprTile/UTile" + k + ".jpg"), QSize(52, 51)) << k;
    }
    for (const char* tray : {"PC/Spell_Prac", "PC/Spell_Test"}) {
        EXPECT_TRUE(Exists(Root(std::string(tray) + "/Blank.jpg")));
        for (int n = 4; n <= 9; ++n) {
            const QSize holder = PictureSize(Root(std::string(tray) + "/Holder" + std::to_string(n) + ".jpg"));
            EXPECT_GE(holder.width(), 51 + 52 * n) << "the slots fit on the tray";
            EXPECT_LE(holder.width(), 800);
        }
    }
}

TEST_P(GeneratedDisc, QuizQuestionsAndAllTheirRecordings) {
    const auto lines = RawLines(Target("quiz/quiz.txt"));
    ASSERT_GE(lines.size(), GetParam().QuizQuestions);
    const int film = FilmUnits();
    for (size_t i = 0; i < lines.size(); ++i) {
        const auto f = Fields(lines[i], '|');
        ASSERT_EQ(f.size(), 7u) << lines[i];
        const int start = TimecodeToUnits(f[0]), end = TimecodeToUnits(f[1]);
        EXPECT_GE(start, 0);
        EXPECT_GT(end, start);
        EXPECT_LE(end, film);
        const int correct = tav::StrToIntDef(f[6], 0);
        EXPECT_GE(correct, 1);
        EXPECT_LE(correct, 3);
        const std::string n = std::to_string(i + 1), dir = Target("quiz/q" + n + "/");
        EXPECT_TRUE(ReadAiffHeader(dir + "tvq" + n + ".aif").Valid);
        for (int k = 1; k <= 3; ++k)
            for (const char* order : {"a", "b"})
                EXPECT_TRUE(ReadAiffHeader(dir + "tva" + n + "_" + std::to_string(k) + order + ".aif").Valid);
    }
    std::vector<std::string> misc{"welcome1", "welcome2", "Draw", "TheEnd", "Bye"};
    for (int r = 1; r <= 4; ++r) misc.push_back("round" + std::to_string(r));
    for (int k = 1; k <= 6; ++k) misc.push_back("play1y" + std::to_string(k));
    for (int k = 1; k <= 2; ++k) {
        misc.push_back("play2y" + std::to_string(k));
        misc.push_back("Level" + std::to_string(k));
        misc.push_back("P1Win" + std::to_string(k));
        misc.push_back("P2Win" + std::to_string(k));
    }
    for (int k = 1; k <= 3; ++k) {
        misc.push_back("P1Lead" + std::to_string(k));
        misc.push_back("P2Lead" + std::to_string(k));
    }
    for (const std::string& m : misc) EXPECT_TRUE(ReadAiffHeader(Target("quiz/miscq/" + m + ".aif")).Valid) << m;
    EXPECT_EQ(MacLines(Target("quiz/miscq/oppname.txt")).front(), QString::fromUtf8("Zoé"));
    EXPECT_EQ(PictureSize(Target("quiz/miscq/opppod.jpg")), QSize(118, 59));
}

TEST_P(GeneratedDisc, OpponentClipPerformsEveryActionTheGameAsksFor) {
    std::map<std::string, std::pair<int, int>> actions;
    for (const std::string& line : RawLines(Root("PC/quiz/oppmoov.txt"))) {
        const auto f = Fields(line, '|');
        ASSERT_EQ(f.size(), 3u);
        actions[f[0]] = {TimecodeToUnits(f[1]), TimecodeToUnits(f[2])};
    }
    std::vector<std::string> wanted{"idle", "wave", "lookup1", "lookup2"};
    for (int k = 1; k <= 3; ++k) wanted.push_back("think" + std::to_string(k));
    for (int k = 1; k <= 6; ++k) wanted.push_back("yes" + std::to_string(k));
    for (int k = 1; k <= 8; ++k) wanted.push_back("no" + std::to_string(k));
    for (const char* p : {"A", "B", "C"}) {
        wanted.push_back(std::string("AnswerShort") + p);
        wanted.push_back(std::string("AnswerLong") + p);
    }
    const TStreamInfo clip = ProbeFilm(Root("PC/quiz/oppmoov.mpg"));
    EXPECT_EQ(clip.Width, 192);
    EXPECT_EQ(clip.Height, 224);
    for (const std::string& name : wanted) {
        ASSERT_TRUE(actions.count(name)) << name;
        EXPECT_GT(actions[name].second, actions[name].first);
        EXPECT_LE(actions[name].second, clip.Frames) << name;
    }
}

TEST_P(GeneratedDisc, HelpAndHintPicturesInBothHelpLanguages) {
    const char* help[] = {"boothelp", "mainhelp", "acthelp", "namehelp", "langhelp", "rsmhelp", "rechelp",
                          "sphelp", "VocPHelp", "VocTHelp", "wphelp", "wthelp", "WNPHelp", "wnthelp",
                          "SplPHelp", "SplTHelp", "WSHelp", "DicHelp", "quizhelp", "wtsorry"};
    std::vector<std::string> hints{"lnghint1"};
    for (int k = 1; k <= 6; ++k) hints.push_back("boohint" + std::to_string(k));
    for (int k = 1; k <= 7; ++k) hints.push_back("mmhint" + std::to_string(k));
    for (int k = 1; k <= 10; ++k) hints.push_back("achint" + std::to_string(k));
    for (int k = 1; k <= 4; ++k) hints.push_back("sphint" + std::to_string(k));
    for (const char* lang : {"2", "5"}) {
        const std::string dir = Root(std::string("shared/source/bubb") + lang + "/");
        for (const char* h : help) {
            const QSize s = PictureSize(dir + h + ".jpg");
            EXPECT_TRUE(s.isValid()) << h;
            // Placed 45 pixels from the right and bottom edges, it stays on screen.
            EXPECT_LE(s.width(), 755) << h;
            EXPECT_LE(s.height(), 555) << h;
        }
        EXPECT_LE(PictureSize(dir + "langhelp.jpg").height(), 600 - 371);
        for (const std::string& h : hints) {
            const QSize s = PictureSize(dir + h + ".jpg");
            EXPECT_TRUE(s.isValid()) << h;
            EXPECT_LE(s.height(), 19) << h << " fits under the lowest hint place";
            EXPECT_LE(s.width(), 800 - 588) << h;
        }
        for (const char* g : {"gm", "ga", "ge"})
            EXPECT_TRUE(ReadAiffHeader(Root(std::string("shared/source/helpsnds/") + lang + g + ".aif")).Valid);
    }
    EXPECT_EQ(PictureSize(Root("shared/source/TheFlags.jpg")), QSize(213, 60));
}

TEST_P(GeneratedDisc, MenuCertificateAndActorPictures) {
    for (const char* m : {"bootmenu", "mainmenu", "actmenu"})
        EXPECT_EQ(PictureSize(Target(std::string("menus/") + m + ".jpg")), QSize(800, 600)) << m;
    EXPECT_EQ(PictureSize(Target("menus/panel.jpg")), QSize(304, 348));
    EXPECT_EQ(PictureSize(Target("recpic/actors.jpg")), QSize(800, 600));
    EXPECT_EQ(PictureSize(Target("recpic/pic1.jpg")), QSize(150, 150));
    EXPECT_EQ(PictureSize(Target("recpic/pic2.jpg")), QSize(150, 150));
    for (const char* c : {"CertTop", "Ribbon", "Signatur", "BGCol"})
        EXPECT_TRUE(PictureSize(Root(std::string("shared/cert/") + c + ".jpg")).isValid()) << c;
    for (const char* c : {"Title", "BAText", "SAText", "GAText"})
        EXPECT_TRUE(PictureSize(Target(std::string("cert/") + c + ".jpg")).isValid()) << c;
    EXPECT_FALSE(MacLines(Root("shared/licence.txt")).empty());
    EXPECT_TRUE(ReadAiffHeader(Root("shared/jingle.aif")).Valid);
}

TEST_P(GeneratedDisc, ProgramMediaInThePcFolder) {
    for (const char* s : {"right1", "right2", "right3", "wrong1", "wrong2", "wrong3", "boo", "applause", "applause2"})
        EXPECT_TRUE(ReadAiffHeader(Root(std::string("PC/common/") + s + ".aif")).Valid) << s;
    const QSize spinner = PictureSize(Root("PC/common/spinner.bmp"));
    EXPECT_EQ(spinner.width(), 188);
    EXPECT_EQ(spinner.height() % 185, 0);
    EXPECT_GE(spinner.height() / 185, 17);
    for (const char* a : {"Bronze", "Silver", "Gold"}) {
        EXPECT_EQ(PictureSize(Root(std::string("PC/actmenu/") + a + ".bmp")), QSize(20, 48));
        EXPECT_EQ(PictureSize(Root(std::string("PC/actmenu/") + a + "Anim.bmp")), QSize(36, 35 * 20));
    }
    for (int r = 1; r <= 4; ++r)
        EXPECT_EQ(PictureSize(Root("PC/quiz/R" + std::to_string(r) + "_anim.bmp")), QSize(128, 187 * 9));
    for (const char* b : {"animstrt", "cover", "winner"})
        EXPECT_EQ(PictureSize(Root(std::string("PC/quiz/") + b + ".bmp")), QSize(292, 188)) << b;
    EXPECT_TRUE(ReadAiffHeader(Root("PC/quiz/musak.aif")).Valid);
    EXPECT_FALSE(MacLines(Root("PC/pcreadme.txt")).empty());
}

TEST_P(GeneratedDisc, SameInputsGiveTheSameFiles) {
    if (std::string(GetParam().Name) != "fixture") GTEST_SKIP() << "checked on the fixture disc";
    // A fresh cache, so the film and pictures are made again rather than
    // copied. The speech recordings are the generator's input, not its
    // output: espeak-ng has been seen to voice a line differently from one
    // run to the next, so both builds start from the same recordings.
    QTemporaryDir again, cache;
    const QString speech = QString::fromStdString(std::string(DEMODISC_TEST_CACHE) + "/speech");
    QDir().mkpath(cache.path() + "/speech");
    for (const QString& name : QDir(speech).entryList({"*.wav"}, QDir::Files))
        ASSERT_TRUE(QFile::copy(speech + "/" + name, cache.path() + "/speech/" + name)) << name.toStdString();
    demodisc::TDiscOptions o;
    o.Root = again.path().toStdString();
    o.Cache = cache.path().toStdString();
    o.Fixture = true;
    o.ProgramMedia = false;
    demodisc::BuildDisc(o);
    for (const char* f : {"French/movieinf.txt", "French/record.txt", "French/strip.txt", "French/quiz/quiz.txt",
                          "French/minis.jpg", "French/part1.mpg", "French/DictSnd/Dict1.aif"}) {
        QFile a(QString::fromStdString(Root(f))), b(QString::fromStdString(o.Root + "/" + f));
        ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly)) << f;
        EXPECT_EQ(a.readAll(), b.readAll()) << f;
    }
}

INSTANTIATE_TEST_SUITE_P(Discs, GeneratedDisc, ::testing::Values(kFixture, kDemo),
                         [](const ::testing::TestParamInfo<TExpect>& info) { return std::string(info.param.Name); });
