// Whole builds by tavolin-disc build on a film made here whose every frame
// shows its own number: the program's loaders read the result, every line
// starts on a key frame showing exactly the line's first film unit, the
// help-language lines sit beside the index, films in languages Mac OS Roman
// cannot carry give UTF-8 discs of whole words, and a refused or interrupted
// build leaves nothing behind. A 1080p film gives 1280 x 720 H.264 parts
// whose frame at a line's start, as the program's decoder seeks it, is the
// line's first.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <csignal>
#include <fstream>
#include <set>
#include <sstream>

#include "MediaClips.h"
#include "content/LineTranslations.h"
#include "content/SpellingTable.h"
#include "content/TargetIndex.h"
#include "content/UnicodeText.h"
#include "media/MediaDecoder.h"
#include "media/VideoPanel.h"
#include "tools/disc/DiscCheck.h"

namespace {

const int kSeconds = 48;

std::string Ts(int ms, char sep) {
    char b[32];
    std::snprintf(b, sizeof b, "%02d:%02d:%02d%c%03d", ms / 3600000, ms / 60000 % 60, ms / 1000 % 60, sep, ms % 1000);
    return b;
}

// Line k of the film: speakers in turn, one sound cue, one line with a dash.
struct TCueDef { int From, To; std::string Speaker, Text; };
std::vector<TCueDef> Script() {
    const char* names[] = {"ANNA", "BRUNO", "CARLA"};
    const char* texts[] = {"Where is the little dog today?", "The dog is in the garden now.",
                           "I can see the green garden gate.", "Please bring the little dog home.",
                           "The garden gate is open again.", "Today the weather is very nice."};
    std::vector<TCueDef> out;
    for (int k = 0; k < 16; ++k) {
        const int from = 1000 + k * 2800 + (k % 3) * 130;
        out.push_back({from, from + 2100, names[k % 3], texts[k % 6]});
    }
    out[5].Speaker.clear();
    out[5].Text = "[music]";
    return out;
}

int RunTool(const QStringList& args, QString* output = nullptr) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(TAVOLIN_DISC_TOOL, args);
    p.waitForFinished(240000);
    if (output) *output = QString::fromUtf8(p.readAll());
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

class DiscBuild : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new QTemporaryDir;
        const std::string d = dir_->path().toStdString();
        // 352 x 288 at 25 frames a second: frame n is film unit n, and the
        // working copy keeps the pictures unscaled, so the numbers read back.
        std::string bars = "drawbox=x=0:y=0:w=iw:h=20:color=white:t=fill";
        for (int b = 0; b < 12; ++b)
            bars += ",drawbox=x=" + std::to_string(8 + b * 28) + ":y=60:w=20:h=168:color=white:t=fill:enable='mod(floor(n/" +
                    std::to_string(1 << b) + "),2)'";
        ASSERT_EQ(tavtest::RunShell("ffmpeg -v error -y -f lavfi -i color=c=0x202020:s=352x288:r=25:d=" +
                                    std::to_string(kSeconds) + " -f lavfi -i sine=f=330:d=" + std::to_string(kSeconds) +
                                    " -vf \"" + bars + "\" -c:v libx264 -preset ultrafast -g 250 -c:a aac " + d +
                                    "/film.mp4"),
                  0);
        // The film's subtitles: UTF-16 with a mark and CR LF, as some editors save them.
        std::string srt;
        const auto script = Script();
        for (size_t k = 0; k < script.size(); ++k) {
            const TCueDef& c = script[k];
            srt += std::to_string(k + 1) + "\r\n" + Ts(c.From, ',') + " --> " + Ts(c.To, ',') + "\r\n" +
                   (c.Speaker.empty() ? "" : c.Speaker + ": ") + (k == 2 ? "<i>" + c.Text + "</i>" : c.Text) + "\r\n\r\n";
        }
        QStringEncoder enc(QStringConverter::Utf16LE, QStringConverter::Flag::WriteBom);
        QFile f(QString::fromStdString(d + "/film.srt"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(enc.encode(QString::fromStdString(srt)));
        f.close();
        // Help-language subtitles in WebVTT, timed a little differently.
        std::ofstream vtt(d + "/help.vtt", std::ios::binary);
        vtt << "WEBVTT\n\nSTYLE\n::cue { color: white }\n\n";
        for (size_t k = 0; k < script.size(); ++k)
            vtt << Ts(script[k].From + 150, '.') << " --> " << Ts(script[k].To - 100, '.') << " line:90%\nLínea "
                << k + 1 << "\n\n";
        vtt.close();
        root_ = d + "/disc";
        status_ = RunTool({"build", QString::fromStdString(d + "/film.mp4"), QString::fromStdString(d + "/film.srt"),
                       "--lang", "English", "--title", "The Little Dog", "--out", QString::fromStdString(root_),
                       "--help-subtitles", QString::fromStdString(d + "/help.vtt"), "--help-lang", "5",
                       "--part-seconds", "20", "--cache", QString::fromStdString(d + "/cache")},
                      &output_);
    }
    static void TearDownTestSuite() {
        delete dir_;
        dir_ = nullptr;
    }
    static QTemporaryDir* dir_;
    static std::string root_;
    static int status_;
    static QString output_;
};

QTemporaryDir* DiscBuild::dir_ = nullptr;
std::string DiscBuild::root_;
int DiscBuild::status_ = -1;
QString DiscBuild::output_;

TEST_F(DiscBuild, BuildsADiscTheProgramLoads) {
    ASSERT_EQ(status_, 0) << output_.toStdString();
    std::ostringstream out, err;
    EXPECT_EQ(tav::RunDiscTool({"check", root_}, out, err), tav::dsLoads);
    EXPECT_NE(out.str().find("(0 problems)"), std::string::npos) << out.str();
    EXPECT_FALSE(QDir(QString::fromStdString(root_ + "/.work")).exists());

    tav::TDisc disc;
    ASSERT_TRUE(tav::OpenDisc(disc, root_));
    tav::TDiscTarget t;
    const auto targets = tav::DiscTargets(disc);
    ASSERT_EQ(targets.size(), 1u);
    ASSERT_TRUE(tav::LoadDiscTarget(disc, t, targets[0].first, targets[0].second));
    tav::CheckDiscTarget(t);
    EXPECT_TRUE(t.Problems.empty());
    const auto& entries = t.Index.MovieEntries;
    ASSERT_EQ(entries.size(), Script().size());
    EXPECT_EQ(entries[0].Speaker, "ANNA");
    EXPECT_EQ(entries[2].LineText, "I can see the green garden gate.");
    EXPECT_FALSE(entries[5].ForActivities) << "a sound cue is kept but not for exercises";
    EXPECT_GE(t.MovieNames.size(), 2u);
    EXPECT_LE(t.MovieNames.size(), 8u);
    // Speakers take turns line by line: no one has two scenes of three lines, and the report says so.
    EXPECT_TRUE(t.Index.RecordEntries.empty());
    EXPECT_TRUE(output_.contains("not built: recording studio")) << output_.toStdString();
    EXPECT_GE(t.DictionaryEntries, 6);

    // The help language's lines, aligned by time.
    const auto tr = tav::LoadLineTranslations(t.Folder + "\\movietr5.txt");
    ASSERT_EQ(tr.size(), entries.size());
    EXPECT_EQ(tr.at(3), "L\xC3\xADnea 3");
}

TEST_F(DiscBuild, EveryLineStartsOnAKeyFrameShowingItsFirstUnit) {
    ASSERT_EQ(status_, 0) << output_.toStdString();
    tav::TDisc disc;
    ASSERT_TRUE(tav::OpenDisc(disc, root_));
    tav::TDiscTarget t;
    const auto targets = tav::DiscTargets(disc);
    ASSERT_TRUE(tav::LoadDiscTarget(disc, t, targets[0].first, targets[0].second));
    const std::string folder = root_ + "/" + targets[0].first;
    int partStart = 0;
    size_t next = 0;
    const auto& entries = t.Index.MovieEntries;
    for (const std::string& name : t.MovieNames) {
        const std::string part = folder + "/" + name;
        // Every frame of the part as pictures, and which of them are key frames.
        const std::string frames = dir_->path().toStdString() + "/frames";
        QDir(QString::fromStdString(frames)).removeRecursively();
        QDir().mkpath(QString::fromStdString(frames));
        ASSERT_EQ(tavtest::RunShell("ffmpeg -v error -i " + part + " -vsync 0 " + frames + "/%05d.png"), 0);
        ASSERT_EQ(tavtest::RunShell("ffprobe -v error -select_streams v -show_entries frame=pict_type -of csv=p=0 " +
                                    part + " > " + frames + "/types.txt"),
                  0);
        std::vector<char> types;
        std::ifstream in(frames + "/types.txt");
        for (std::string line; std::getline(in, line);)
            if (!line.empty()) types.push_back(line[0]);
        const int count = int(QDir(QString::fromStdString(frames)).entryList({"*.png"}).size());
        ASSERT_EQ(int(types.size()), count);
        ASSERT_EQ(tavtest::FrameNumberOf(QImage(QString::fromStdString(frames + "/00001.png"))), partStart);
        for (; next < entries.size() && entries[next].StartFrame < partStart + count; ++next) {
            const int j = entries[next].StartFrame - partStart;
            ASSERT_GE(j, 0);
            char file[32];
            std::snprintf(file, sizeof file, "/%05d.png", j + 1);
            EXPECT_EQ(types[size_t(j)], 'I') << "line " << next + 1;
            EXPECT_EQ(tavtest::FrameNumberOf(QImage(QString::fromStdString(frames + file))), entries[next].StartFrame)
                << "line " << next + 1;
            EXPECT_LE(entries[next].EndFrame, partStart + count) << "a line never crosses into the next part";
        }
        partStart += count;
    }
    EXPECT_EQ(next, entries.size());
    EXPECT_EQ(partStart, kSeconds * 25);
}

// The lines of a text file, UTF-8 as written.
std::vector<std::string> FileLines(const std::string& path) {
    QFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::ReadOnly)) return {};
    const QByteArray b = f.readAll();
    std::vector<std::string> lines;
    for (const QByteArray& l : b.split('\n'))
        if (!l.isEmpty()) lines.push_back(l.endsWith('\r') ? l.chopped(1).toStdString() : l.toStdString());
    return lines;
}

// Russian and Japanese films: a UTF-8 disc that loads without a problem,
// whose word files hold whole words of the lines as the program breaks
// them (ICU's words for Japanese: not single characters, not whole lines).
TEST_F(DiscBuild, RussianAndJapaneseFilmsGiveUtf8DiscsOfWholeWords) {
    struct TCase {
        const char* Lang;
        const char* Iso;
        std::vector<std::string> Lines;
    };
    const std::vector<TCase> cases = {
        {"Russian", "ru",
         {"Где маленькая собака сегодня?", "Собака сейчас в саду.", "Я вижу зелёные ворота сада.",
          "Пожалуйста, приведи собаку домой.", "Ворота сада снова открыты.", "Сегодня очень хорошая погода."}},
        {"ja", "ja",
         {"私の犬はどこにいますか。", "犬は庭で遊んでいます。", "緑の門がよく見えます。",
          "小さい犬を家に連れてきてください。", "庭の門はまた開いています。", "今日はとてもいい天気ですね。"}}};
    const std::string d = dir_->path().toStdString();
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Lang);
        std::string srt;
        for (int k = 0; k < 12; ++k) {
            const int from = 1000 + k * 3000;
            srt += std::to_string(k + 1) + "\n" + Ts(from, ',') + " --> " + Ts(from + 2200, ',') + "\n" +
                   c.Lines[size_t(k) % c.Lines.size()] + "\n\n";
        }
        const std::string subtitles = d + "/" + c.Iso + ".srt", root = d + "/disc-" + c.Iso;
        std::ofstream(subtitles, std::ios::binary) << srt;
        QString built;
        ASSERT_EQ(RunTool({"build", QString::fromStdString(d + "/film.mp4"), QString::fromStdString(subtitles), "--lang",
                           c.Lang, "--title", QString::fromUtf8("Собака / 犬"), "--out", QString::fromStdString(root),
                           "--part-seconds", "20", "--cache", QString::fromStdString(d + "/cache")},
                          &built),
                  0)
            << built.toStdString();
        std::ostringstream out, err;
        EXPECT_EQ(tav::RunDiscTool({"check", root}, out, err), tav::dsLoads);
        EXPECT_NE(out.str().find("  text: UTF-8 (Target.txt)\n"), std::string::npos) << out.str();
        EXPECT_NE(out.str().find("(0 problems)"), std::string::npos) << out.str();
        const std::vector<std::string> target = FileLines(root + "/Target.txt");
        EXPECT_NE(std::find(target.begin(), target.end(), "TextEncoding|UTF-8"), target.end());

        // The lines read back as written.
        tav::TDisc disc;
        ASSERT_TRUE(tav::OpenDisc(disc, root));
        tav::TDiscTarget t;
        const auto targets = tav::DiscTargets(disc);
        ASSERT_TRUE(tav::LoadDiscTarget(disc, t, targets[0].first, targets[0].second));
        ASSERT_EQ(t.Index.MovieEntries.size(), 12u);
        EXPECT_EQ(t.Index.MovieEntries[1].LineText, c.Lines[1]);

        // The words of the lines by the program's rules, lower case.
        tav::SetTextLanguage(c.Iso);
        std::set<std::string> lineWords;
        for (const std::string& line : c.Lines)
            for (const tav::TWordSpan& w : tav::BreakWords(line))
                lineWords.insert(tav::LowerText(line.substr(w.Begin, w.End - w.Begin)));
        const std::string folder = root + "/" + targets[0].first;
        std::vector<std::string> chosen = FileLines(folder + "/Search.txt");
        const size_t searchWords = chosen.size();
        for (const std::string& w : FileLines(folder + "/DicWords.txt")) chosen.push_back(w);
        for (const std::string& row : FileLines(folder + "/words.txt"))
            for (const QString& w : QString::fromStdString(row).split('|')) chosen.push_back(w.toStdString());
        EXPECT_GE(searchWords, 6u);
        size_t longer = 0;
        for (const std::string& w : chosen) {
            EXPECT_TRUE(lineWords.count(w)) << "\"" << w << "\" is no word of the lines";
            longer += tav::GraphemeCount(w) >= 2;
        }
        EXPECT_EQ(longer, chosen.size()) << "no single letters";
        if (std::string(c.Iso) == "ru") {
            EXPECT_NE(std::find(chosen.begin(), chosen.end(), "собака"), chosen.end()) << "lower case of \"Собака\"";
        }

        // The spelling alphabet: the characters of the search words, one tile set each.
        const std::vector<std::string> spelling = FileLines(root + "/Spelinfo.txt");
        ASSERT_EQ(spelling.size(), 1u);
        const QStringList fields = QString::fromStdString(spelling[0]).split(' ');
        ASSERT_EQ(fields.size(), 3);
        EXPECT_EQ(fields[2].toStdString(), c.Iso);
        const tav::TStringList letters = tav::Graphemes(fields[1].toStdString());
        EXPECT_GE(letters.size(), 17u);
        for (const std::string& letter : letters)
            EXPECT_TRUE(QFile::exists(QString::fromStdString(root + "/shared/spell_" + c.Iso + "/PracTile/PTile" +
                                                             tav::TileCode(letter) + ".jpg")))
                << letter;
    }

    // Russian help lines beside an English film: its Mac OS Roman disc holds
    // them in a UTF-8 file behind a byte-order mark, which the program reads.
    const std::string root = d + "/disc-en-ru";
    QString built;
    ASSERT_EQ(RunTool({"build", QString::fromStdString(d + "/film.mp4"), QString::fromStdString(d + "/film.srt"), "--lang",
                       "en", "--title", "The Little Dog", "--out", QString::fromStdString(root), "--help-subtitles",
                       QString::fromStdString(d + "/ru.srt"), "--help-lang", "7", "--part-seconds", "20", "--cache",
                       QString::fromStdString(d + "/cache")},
                      &built),
              0)
        << built.toStdString();
    std::ostringstream out, err;
    EXPECT_EQ(tav::RunDiscTool({"check", root}, out, err), tav::dsLoads);
    EXPECT_NE(out.str().find("  text: Mac OS Roman\n"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("(0 problems)"), std::string::npos) << out.str();
    const auto tr = tav::LoadLineTranslations(tav::LineTranslationFile(root + "/English", 7));
    ASSERT_FALSE(tr.empty());
    EXPECT_EQ(tr.at(1), cases[0].Lines[0]);
}

// An espeak-ng without the language's voice: the disc is still built and
// loads, its dictionary sounds are silent, and the report says why.
TEST_F(DiscBuild, ALanguageWithoutItsVoiceGetsSilentWordsAndANote) {
    const std::string d = dir_->path().toStdString();
    // espeak-ng as installed, except that it lists no Russian voice.
    const std::string bin = d + "/no-ru-voice";
    QDir().mkpath(QString::fromStdString(bin));
    {
        std::ofstream script(bin + "/espeak-ng");
        script << "#!/bin/sh\n"
                  "if [ \"$1\" = \"--voices\" ]; then /usr/bin/env -i PATH=/usr/bin:/bin espeak-ng --voices | grep -v ' ru '; exit 0; fi\n"
                  "exec /usr/bin/env PATH=/usr/bin:/bin espeak-ng \"$@\"\n";
    }
    QFile::setPermissions(QString::fromStdString(bin + "/espeak-ng"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    std::string srt;
    const char* lines[] = {"Где маленькая собака сегодня?", "Собака сейчас в саду.", "Я вижу зелёные ворота сада."};
    for (int k = 0; k < 9; ++k)
        srt += std::to_string(k + 1) + "\n" + Ts(1000 + k * 3000, ',') + " --> " + Ts(3200 + k * 3000, ',') + "\n" +
               lines[k % 3] + "\n\n";
    std::ofstream(d + "/voiceless.srt", std::ios::binary) << srt;
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QByteArray::fromStdString(bin) + ":" + path);
    QString built;
    const int status = RunTool({"build", QString::fromStdString(d + "/film.mp4"), QString::fromStdString(d + "/voiceless.srt"),
                                "--lang", "ru", "--title", "x", "--out", QString::fromStdString(d + "/voiceless"),
                                "--part-seconds", "20", "--cache", QString::fromStdString(d + "/cache-voiceless")},
                               &built);
    qputenv("PATH", path);
    ASSERT_EQ(status, 0) << built.toStdString();
    EXPECT_TRUE(built.contains("espeak-ng has no voice \"ru\" for Russian")) << built.toStdString();
    EXPECT_TRUE(built.contains("(0 problems)")) << built.toStdString();
    const std::string sound = d + "/voiceless/Russian/DictSnd/Dict1.aif";
    ASSERT_TRUE(QFile::exists(QString::fromStdString(sound)));
    EXPECT_EQ(tavtest::RunShell("sox " + sound + " -n stat 2>&1 | grep -q 'Maximum amplitude: *0.000000'"), 0)
        << "the word is silent";
}

TEST_F(DiscBuild, RefusedAndInterruptedBuildsLeaveNothing) {
    const std::string d = dir_->path().toStdString();
    {
        std::ofstream ru(d + "/ru.srt", std::ios::binary);
        ru << "1\n00:00:01,000 --> 00:00:03,000\nПривет, как дела?\n\n2\n00:00:04,000 --> 00:00:06,000\nХорошо.\n";
    }
    QString out;
    EXPECT_EQ(RunTool({"build", QString::fromStdString(d + "/film.mp4"), QString::fromStdString(d + "/ru.srt"), "--lang",
                   "en", "--title", "x", "--out", QString::fromStdString(d + "/ru")},
                  &out),
              1);
    EXPECT_TRUE(out.contains("Mac OS Roman cannot carry")) << out.toStdString();
    EXPECT_EQ(RunTool({"build", QString::fromStdString(d + "/film.mp4"), QString::fromStdString(d + "/film.srt"), "--lang",
                   "Arabic", "--title", "x", "--out", QString::fromStdString(d + "/ar")},
                  &out),
              1);
    EXPECT_TRUE(out.contains("Right-to-left scripts (Arabic, Hebrew) are not supported yet")) << out.toStdString();
    EXPECT_FALSE(QDir(QString::fromStdString(d + "/ru")).exists());
    EXPECT_FALSE(QDir(QString::fromStdString(d + "/ar")).exists());
    EXPECT_EQ(RunTool({"build", "--lang", "en"}), 2);

    // Ctrl-C in the middle of the film's reading.
    QProcess p;
    p.start(TAVOLIN_DISC_TOOL, {"build", QString::fromStdString(d + "/film.mp4"), QString::fromStdString(d + "/film.srt"),
                                "--lang", "en", "--title", "x", "--out", QString::fromStdString(d + "/cut"), "--cache",
                                QString::fromStdString(d + "/cache")});
    ASSERT_TRUE(p.waitForStarted());
    p.waitForFinished(700);
    ::kill(pid_t(p.processId()), SIGINT);
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_NE(p.exitCode(), 0);
    EXPECT_FALSE(QDir(QString::fromStdString(d + "/cut")).exists());
    EXPECT_FALSE(QDir(QString::fromStdString(d + "/.cut.building")).exists());
}

// A 1920 x 1080 film: parts of 1280 x 720 H.264, a key frame at each line's
// start, the program's decoder seeking to a line's start shows the line's
// first frame, and the film panel shows a part's frame in its own shape. The frame number's bars are drawn one and a half times
// larger, so that they sit where FrameNumberOf reads them in the part.
TEST(DiscBuildSharp, A1080pFilmGives720pH264PartsWhoseFrameAtALineStartIsItsFirst) {
    QTemporaryDir dir;
    const std::string d = dir.path().toStdString();
    const int seconds = 9;
    std::string bars = "drawbox=x=0:y=0:w=iw:h=30:color=white:t=fill";
    for (int b = 0; b < 12; ++b)
        bars += ",drawbox=x=" + std::to_string(12 + b * 42) + ":y=90:w=30:h=252:color=white:t=fill:enable='mod(floor(n/" +
                std::to_string(1 << b) + "),2)'";
    ASSERT_EQ(tavtest::RunShell("ffmpeg -v error -y -f lavfi -i color=c=0x202020:s=1920x1080:r=25:d=" +
                                std::to_string(seconds) + " -f lavfi -i sine=f=330:d=" + std::to_string(seconds) +
                                " -vf \"" + bars + "\" -c:v libx264 -preset ultrafast -g 100 -c:a aac " + d + "/film.mp4"),
              0);
    {
        std::ofstream srt(d + "/film.srt");
        const int starts[] = {520, 1760, 3080, 4400, 5640, 6880, 7960};
        for (int k = 0; k < 7; ++k)
            srt << k + 1 << "\n" << Ts(starts[k], ',') << " --> " << Ts(starts[k] + 900, ',')
                << "\nThe little dog is in the garden.\n\n";
    }
    const std::string root = d + "/disc";
    QString output;
    ASSERT_EQ(RunTool({"build", QString::fromStdString(d + "/film.mp4"), QString::fromStdString(d + "/film.srt"), "--lang",
                       "en", "--title", "Sharp", "--out", QString::fromStdString(root), "--part-seconds", "5", "--cache",
                       QString::fromStdString(d + "/cache")},
                      &output),
              0)
        << output.toStdString();
    tav::TDisc disc;
    ASSERT_TRUE(tav::OpenDisc(disc, root));
    tav::TDiscTarget t;
    const auto targets = tav::DiscTargets(disc);
    ASSERT_TRUE(tav::LoadDiscTarget(disc, t, targets[0].first, targets[0].second));
    ASSERT_EQ(t.MovieNames.size(), 2u);
    const auto& entries = t.Index.MovieEntries;
    ASSERT_EQ(entries.size(), 7u);
    int partStart = 0;
    size_t next = 0;
    for (const std::string& name : t.MovieNames) {
        const std::string part = root + "/" + targets[0].first + "/" + name;
        const std::string info = d + "/info.txt";
        ASSERT_EQ(tavtest::RunShell("ffprobe -v error -select_streams v:0 -show_entries stream=codec_name,width,height "
                                    "-of csv=p=0 " + part + " > " + info +
                                    " && ffprobe -v error -select_streams v:0 -show_entries frame=key_frame -of csv=p=0 " +
                                    part + " >> " + info),
                  0);
        std::ifstream in(info);
        std::string stream;
        std::getline(in, stream);
        EXPECT_EQ(stream, "h264,1280,720") << name;
        std::vector<char> keys;
        for (std::string line; std::getline(in, line);)
            if (!line.empty()) keys.push_back(line[0]);
        tav::TMediaDecoder decoder(part, 44100);
        EXPECT_EQ(decoder.DurationUs(), int64_t(keys.size()) * 40000) << name << ": the part lasts as long as its frames";
        for (; next < entries.size() && entries[next].StartFrame < partStart + int(keys.size()); ++next) {
            const int j = entries[next].StartFrame - partStart;
            EXPECT_EQ(keys[size_t(j)], '1') << "line " << next + 1;
            tav::TVideoFrame frame;
            ASSERT_TRUE(decoder.SeekExact(int64_t(j) * 40000, &frame)) << "line " << next + 1;
            EXPECT_EQ(frame.Image.size(), QSize(1280, 720));
            EXPECT_EQ(tavtest::FrameNumberOf(frame.Image), entries[next].StartFrame) << "line " << next + 1;
        }
        partStart += int(keys.size());
    }
    EXPECT_EQ(next, entries.size());
    EXPECT_EQ(partStart, seconds * 25);

    // In the program's 352 x 288 film panel a part's frame keeps its shape
    // (352 x 198 between black bars; the frame's white top band right under
    // the upper bar) and fine detail is averaged, not sampled into stripes.
    tav::TMediaDecoder decoder(root + "/" + targets[0].first + "/" + t.MovieNames[0], 44100);
    tav::TVideoFrame frame;
    ASSERT_TRUE(decoder.SeekExact(0, &frame));
    tav::TVideoPanel panel;
    panel.resize(352, 288);
    panel.SetFrame(frame.Image);
    QImage shown = panel.grab().toImage();
    EXPECT_EQ(qGray(shown.pixel(176, 40)), 0);
    EXPECT_GT(qGray(shown.pixel(176, 47)), 200);
    EXPECT_EQ(qGray(shown.pixel(176, 250)), 0);
    QImage stripes(1280, 720, QImage::Format_RGB32);
    for (int x = 0; x < 1280; ++x)
        for (int y = 0; y < 720; ++y) stripes.setPixel(x, y, x % 2 ? 0xFFFFFFFF : 0xFF000000);
    panel.SetFrame(stripes);
    shown = panel.grab().toImage();
    for (int x = 0; x < 352; ++x) ASSERT_NEAR(qGray(shown.pixel(x, 144)), 128, 40) << "x " << x;
}

} // namespace
