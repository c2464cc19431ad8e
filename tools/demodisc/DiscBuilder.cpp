#include "DiscBuilder.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFontDatabase>
#include <QProcess>
#include <cstdio>
#include <stdexcept>

#include "Courseware.h"
#include "DiscFiles.h"
#include "content/KeyFiles.h"
#include "Film.h"
#include "HelpTexts.h"
#include "MacText.h"
#include "Pictures.h"
#include "ProgramMedia.h"
#include "Sound.h"
#include "Speech.h"
#include "Style.h"

namespace demodisc {

namespace {

const char* kTarget = "French";
const TVoice kHost{"fr+m4", 45, 150};
const TVoice kNarrator{"fr+f2", 50, 140};

std::string FrenchLettersUtf8() { return "abcdefghijklmnopqrstuvwxyzàâçéèêëîïôùûœ"; }

class TStep {
public:
    TStep(bool verbose, const char* what) : verbose_(verbose), what_(what) { timer_.start(); }
    ~TStep() {
        if (verbose_) std::fprintf(stderr, "demodisc: %-28s %6.1f s\n", what_, timer_.elapsed() / 1000.0);
    }

private:
    bool verbose_;
    const char* what_;
    QElapsedTimer timer_;
};


void WriteRootFiles(const TDiscOptions& o, const std::string& lettersUtf8) {
    std::vector<std::string> multi;
    if (o.MultiMenu) {
        multi.push_back("MultiMenu|multimenu.jpg");
        multi.push_back(std::string("Target1|target1.jpg|280,250|") + kTarget + "|");
        multi.push_back(std::string("Target2|target2.jpg|280,350|") + kTarget + "2|");
    }
    WriteTargetFile(o.Root + "/Target.txt", kTarget, HelpLanguages(), multi);
    WriteMacLines(o.Root + "/Spelinfo.txt", {"3 " + lettersUtf8 + " fr"});
}

void WriteQuiz(const TDiscOptions& o, const TFilm& film, TSpeechCache& speech, const std::string& quizDir) {
    const std::vector<TQuizQuestion> questions = QuizQuestions(film.Story, o.Fixture, o.Fixture ? 20 : 26);
    std::vector<TQuizRecord> records;
    for (const TQuizQuestion& q : questions)
        records.push_back({film.Timeline.Lines[size_t(q.FromLine)].StartMs / kUnitMs,
                           film.Timeline.Lines[size_t(q.ToLine)].EndMs / kUnitMs, q.Question,
                           {q.Answers[0], q.Answers[1], q.Answers[2]}, q.Correct, {}});
    const std::vector<std::pair<std::string, std::string>> misc = {
        {"welcome1", "Bonjour et bienvenue au grand quiz du film !"},
        {"welcome2", "Regardez bien chaque scène, écoutez la question, et répondez plus vite que Zoé. Bonne chance !"},
        {"round1", "Première manche !"}, {"round2", "Deuxième manche !"},
        {"round3", "Troisième manche !"}, {"round4", "Dernière manche !"},
        {"play1y1", "Bravo, bonne réponse !"}, {"play1y2", "Excellent !"},
        {"play1y3", "Très bien, cinquante points !"}, {"play1y4", "Parfait !"},
        {"play1y5", "C'est juste !"}, {"play1y6", "Super, bien joué !"},
        {"play2y1", "Zoé marque cinquante points."}, {"play2y2", "Zoé a trouvé la bonne réponse."},
        {"P1Lead1", "Vous êtes en tête !"}, {"P1Lead2", "Vous menez, continuez comme ça !"},
        {"P1Lead3", "Vous avez de l'avance !"}, {"P2Lead1", "Zoé est en tête."},
        {"P2Lead2", "Zoé mène pour le moment."}, {"P2Lead3", "Attention, Zoé a de l'avance !"},
        {"Level1", "Égalité !"}, {"Level2", "Vous êtes à égalité."},
        {"P1Win1", "Vous avez gagné ! Félicitations !"}, {"P1Win2", "Bravo, vous êtes le champion du quiz !"},
        {"P2Win1", "Zoé a gagné cette fois."}, {"P2Win2", "Zoé gagne ! Vous ferez mieux la prochaine fois."},
        {"Draw", "Match nul ! Quelle partie !"}, {"TheEnd", "C'est la fin du quiz."},
        {"Bye", "Merci d'avoir joué. Au revoir !"},
    };
    WriteQuizFolder(quizDir, records, kHost, misc, "Zoé", speech, o.Fixture);
}

void WriteWordFiles(const TDiscOptions& o, const TFilm& film, TSpeechCache& speech, const std::string& targetDir) {
    const std::vector<TDictWord> dict = DictionaryWords(o.Fixture);
    std::vector<std::string> words;
    for (const TDictWord& w : dict) words.push_back(w.Word);
    WriteDictionary(targetDir, words, {}, kNarrator, speech);
    WriteDictionaryPictures(dict, targetDir + "/DictPic");

    WriteMacLines(targetDir + "/words.txt", DistractorWords());
    WriteMacLines(targetDir + "/Search.txt", SearchWords(film.Story, o.Fixture));
    WriteMacLines(targetDir + "/filter1.txt", {"gourmand"});
}

void WriteScores(const TDiscOptions& o, TSpeechCache& speech, const std::string& scoresDir) {
    std::vector<TSpeechRequest> requests;
    std::vector<std::string> files;
    for (int n = 0; n < 100; n += 5) {
        requests.push_back({kHost, FrenchNumber(n) + " points !"});
        files.push_back(scoresDir + "/Db" + std::to_string(n) + ".aif");
    }
    requests.push_back({kHost, "Cent points ! C'est parfait !"});
    files.push_back(scoresDir + "/Dbhh.aif");
    if (o.Fixture) {
        for (size_t i = 0; i < files.size(); ++i) WriteAiff(files[i], Beep(int(i)));
        return;
    }
    const std::vector<TSound> sounds = speech.SpeakAll(requests);
    for (size_t i = 0; i < files.size(); ++i) WriteAiff(files[i], sounds[i]);
}

void WriteSharedFiles(const TDiscOptions& o, TSpeechCache& speech, const std::string& title) {
    const std::string shared = o.Root + "/shared";
    WriteJingle(shared + "/jingle.aif");
    WriteMacLines(shared + "/licence.txt", {
        "Licence du contenu de démonstration / Demo content licence",
        "",
        "Le film « " + title + " », ses dialogues, images, sons et textes ont été",
        "créés par l'équipe Tavolin pour ce disque de démonstration.",
        "Ils sont publiés sous la licence Creative Commons Attribution 4.0 (CC BY 4.0).",
        "",
        "The film, its dialogue, pictures, sounds and texts were made by the Tavolin",
        "developers for this demo disc and are released under the Creative Commons",
        "Attribution 4.0 licence (CC BY 4.0).",
        "",
        "Voices: synthesized with espeak-ng.",
        "Dictionary pictures: glyphs of the Noto Color Emoji font, SIL Open Font Licence 1.1.",
        "Text: DejaVu and Liberation fonts.",
    });
    WriteHelpLanguages(shared, HelpLanguages(), speech);

    WriteSpellingTiles(ToAnsi(FrenchLettersUtf8()), shared + "/spell_fr");
    WriteCertificatePictures(shared + "/cert", o.Root + "/" + kTarget + "/cert", title);
}

void WriteSecondTarget(const TDiscOptions& o, const std::string& title) {
    // A second target that shares the first target's files (hard links) with
    // a caption of its own.
    const std::string first = o.Root + "/" + kTarget, second = o.Root + "/" + kTarget + "2";
    QDir(QString::fromStdString(second)).removeRecursively();
    if (QProcess::execute("cp", {"-al", QString::fromStdString(first), QString::fromStdString(second)}) != 0)
        throw std::runtime_error("cannot copy the target folder for the multi menu");
    // Its settings differ in the caption only.
    const std::string settings = second + "/settings.txt";
    std::vector<std::string> lines{ToMac("PCCaption|Tavolin \xE2\x80\x93 " + title + " (2)")};
    for (const std::string& line : tav::ReadTextLines(first + "/settings.txt"))
        if (line.rfind("PCCaption|", 0) != 0) lines.push_back(line);
    QFile::remove(QString::fromStdString(settings)); // a hard link to the first target's file
    WriteRawLines(settings, lines);
    WriteMultiMenuPictures(o.Root + "/multi", {title, title + " (2)"});
}

} // namespace

std::string FrenchSpellingLetters() { return ToAnsi(FrenchLettersUtf8()); }

void BuildDisc(const TDiscOptions& o) {
    if (o.Root.empty()) throw std::runtime_error("no output folder given");
    // Without the colour emoji font the dictionary pictures would come out blank.
    if (!QFontDatabase::families().contains("Noto Color Emoji"))
        throw std::runtime_error("the font \"Noto Color Emoji\" is missing (Debian package fonts-noto-color-emoji)");
    const std::string cache = o.Cache.empty() ? o.Root + "/.demodisc-cache" : o.Cache;
    TSpeechCache speech(cache + "/speech");
    const std::string targetDir = o.Root + "/" + kTarget;
    QDir().mkpath(QString::fromStdString(targetDir));

    const TStory story = o.Fixture ? FixtureStory() : DemoStory();
    TFilm film;
    {
        TStep s(o.Verbose, "speech and time line");
        film = MakeFilm(story, speech);
    }
    {
        TStep s(o.Verbose, "index files");
        WriteRootFiles(o, FrenchLettersUtf8());
        WriteFilmIndexes(film, targetDir, o.Fixture ? 2 : 9);
    }
    {
        TStep s(o.Verbose, "pictures");
        WriteMenuPictures(story, targetDir);
        WriteFilmStripPicture(film, targetDir);
        WriteActorPictures(film, ChooseRecordingScenes(film, o.Fixture ? 2 : 9), targetDir + "/recpic");
    }
    {
        TStep s(o.Verbose, "shared files");
        WriteSharedFiles(o, speech, story.Title);
    }
    {
        TStep s(o.Verbose, "words and scores");
        WriteWordFiles(o, film, speech, targetDir);
        WriteScores(o, speech, targetDir + "/scores");
    }
    {
        TStep s(o.Verbose, "quiz");
        WriteQuiz(o, film, speech, targetDir + "/quiz");
    }
    if (o.ProgramMedia) {
        TStep s(o.Verbose, "program media");
        WriteProgramMedia(o.Root + "/PC", cache);
    }
    if (o.CustomStart) {
        WriteCustomStartPicture(o.Root + "/CustomStart/start.jpg");
        WriteMacLines(o.Root + "/CustomStart/CustomStart.txt",
                      {"start.jpg", "web|250,420,550,470|https://tavolin.example/demo", "start|250,300,550,370"});
    }
    {
        TStep s(o.Verbose, "film parts");
        WriteFilmParts(film, targetDir, cache);
    }
    if (o.MultiMenu) WriteSecondTarget(o, story.Title);
    if (o.Verbose)
        std::fprintf(stderr, "demodisc: %d lines, film %.1f s, %d new speech files\n", int(story.Lines.size()),
                     film.Timeline.FilmMs() / 1000.0, speech.Synthesized());
}

} // namespace demodisc
