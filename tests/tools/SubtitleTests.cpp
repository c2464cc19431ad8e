// The subtitle readers on files as they come in the wild, the Mac OS Roman
// fitting, and the material worked out from the lines.
#include <gtest/gtest.h>

#include <QString>
#include <QStringEncoder>
#include <iterator>
#include <set>

#include "Languages.h"
#include "MacFit.h"
#include "Material.h"
#include "Subtitles.h"

using namespace discbuild;

namespace {

std::string Encode(const std::string& utf8, const char* encoding, bool bom) {
    QStringEncoder enc(encoding, bom ? QStringConverter::Flag::WriteBom : QStringConverter::Flag::Default);
    const QByteArray b = enc.encode(QString::fromUtf8(utf8.c_str()));
    return std::string(b.constData(), size_t(b.size()));
}

bool HasProblemAt(const TSubtitleFile& f, int line) {
    for (const auto& p : f.Problems)
        if (p.Line == line) return true;
    return false;
}

const char* kSrt =
    "1\n00:00:01,000 --> 00:00:03,500\n<i>Où est le café ?</i>\n\n"
    "2\n00:00:04,000 --> 00:00:0x,000\nbroken\n\n"
    "3\n 00:00:05,000  -->  00:00:07,000 \n{\\an8}MARIE: Il est là,|près de la gare.\n\n"
    "4\n00:00:08,000 --> 00:00:10,000\n- Tu viens ?\n- Oui, j'arrive.\n\n"
    "5\n00:00:11,000 --> 00:00:12,000\n[musique]\n\n"
    "6\n00:00:12,500 --> 00:00:14,000\n\xE2\x99\xAA La la la \xE2\x99\xAA\n";

} // namespace

TEST(SubtitleReaders, SrtInEveryEncodingAndLineEndGivesTheSameCues) {
    std::string crlf, cr;
    for (char c : std::string(kSrt)) {
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
        cr += c == '\n' ? '\r' : c;
    }
    const std::vector<std::pair<std::string, std::string>> inputs = {
        {kSrt, "UTF-8"},
        {"\xEF\xBB\xBF" + crlf, "UTF-8 with byte-order mark"},
        {Encode(cr, "UTF-16LE", true), "UTF-16 LE"},
        {Encode(crlf, "UTF-16BE", true), "UTF-16 BE"},
        {Encode(std::string(kSrt).substr(0, std::string(kSrt).find("5\n00:00:11")), "windows-1252", false),
         "Windows-1252 (guessed)"},
    };
    for (const auto& [bytes, encoding] : inputs) {
        SCOPED_TRACE(encoding);
        const TSubtitleFile f = ReadSubtitles(bytes, "film.srt");
        EXPECT_EQ(f.Format, "SRT");
        EXPECT_EQ(f.Encoding, encoding);
        ASSERT_GE(f.Cues.size(), 4u);
        EXPECT_EQ(f.Cues[0].Text, "Où est le café ?"); // tags gone
        EXPECT_EQ(f.Cues[0].StartMs, 1000);
        EXPECT_EQ(f.Cues[0].EndMs, 3500);
        EXPECT_TRUE(HasProblemAt(f, 6)) << "the malformed time line is reported with its line";
        EXPECT_EQ(f.Cues[1].Speaker, "MARIE");
        EXPECT_EQ(f.Cues[1].Text, "Il est là, près de la gare."); // "|" is a break, {\an8} gone
        // A dialogue dash per speaker: two cues sharing the time by their length.
        EXPECT_EQ(f.Cues[2].Text, "Tu viens ?");
        EXPECT_EQ(f.Cues[3].Text, "Oui, j'arrive.");
        EXPECT_TRUE(f.Cues[3].NewTurn);
        EXPECT_EQ(f.Cues[2].StartMs, 8000);
        EXPECT_EQ(f.Cues[2].EndMs, f.Cues[3].StartMs);
        EXPECT_EQ(f.Cues[3].EndMs, 10000);
        EXPECT_GT(f.Cues[3].StartMs, 8500);
    }
    const TSubtitleFile f = ReadSubtitles(kSrt, "film.srt");
    ASSERT_EQ(f.Cues.size(), 6u);
    EXPECT_TRUE(f.Cues[4].Sound);
    EXPECT_TRUE(f.Cues[5].Sound);
    EXPECT_FALSE(f.Cues[1].Sound);
}

TEST(SubtitleReaders, WebVttSkipsNoteAndStyleAndReadsVoicesAndSettings) {
    const std::string vtt =
        "WEBVTT - a film\n\nSTYLE\n::cue { color: yellow }\n\nNOTE this is\na note\n\n"
        "intro\n00:01.000 --> 00:02.500 align:start position:10%\n<v Paul>Bonjour <c.loud>tout</c> le monde</v>\n\n"
        "00:00:03.000 --> 00:00:04.000\nÇa &amp; ça\n\n"
        "00:00:03.500 --> 00:00:05.000\nOverlapping line\n\n"
        "00:00:06.000 --> 00:00:06.000\nzero length\n";
    const TSubtitleFile f = ReadSubtitles(vtt, "x.vtt");
    EXPECT_EQ(f.Format, "WebVTT");
    ASSERT_EQ(f.Cues.size(), 3u);
    EXPECT_EQ(f.Cues[0].Speaker, "Paul");
    EXPECT_EQ(f.Cues[0].Text, "Bonjour tout le monde");
    EXPECT_EQ(f.Cues[0].StartMs, 1000);
    EXPECT_EQ(f.Cues[1].Text, "Ça & ça");
    EXPECT_EQ(f.Cues[1].EndMs, 3500) << "an overlapped cue ends where the next begins";
    EXPECT_EQ(f.Cues[2].StartMs, 3500);
    EXPECT_FALSE(f.Problems.empty());
}

TEST(SubtitleReaders, AssTakesSpeakersFromTheNameFieldAndKeepsCommasInText) {
    const std::string ass =
        "[Script Info]\nTitle: x\n\n[V4+ Styles]\nFormat: Name, Fontname\nStyle: Default,Arial\n\n[Events]\n"
        "Format: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text\n"
        "Dialogue: 0,0:00:01.00,0:00:03.50,Default,Léa,0,0,0,,{\\i1}Oui, bien sûr,{\\i0}\\Nmerci.\n"
        "Comment: 0,0:00:04.00,0:00:05.00,Default,,0,0,0,,not shown\n"
        "Dialogue: 0,0:00:0x.00,0:00:05.00,Default,,0,0,0,,bad time\n"
        "Dialogue: 0,0:00:06.00,0:00:07.00,Default,,0,0,0,,Hugo: Salut.\n";
    const TSubtitleFile f = ReadSubtitles(ass, "x.ass");
    EXPECT_EQ(f.Format, "ASS");
    ASSERT_EQ(f.Cues.size(), 2u);
    EXPECT_EQ(f.Cues[0].Speaker, "Léa");
    EXPECT_EQ(f.Cues[0].Text, "Oui, bien sûr, merci.");
    EXPECT_EQ(f.Cues[0].EndMs, 3500);
    EXPECT_TRUE(HasProblemAt(f, 12));
    // "Hugo:" opens one cue only and is not in capitals: it stays text.
    EXPECT_EQ(f.Cues[1].Speaker, "");
    EXPECT_EQ(f.Cues[1].Text, "Hugo: Salut.");
}

TEST(SubtitleReaders, GarbageNeverThrowsAndSaysWhy) {
    for (const std::string& bytes : {std::string(), std::string("\xFF\xFE"), std::string("-->\n-->\n\n1\n"),
                                     std::string("WEBVTT\n\n99:99.999 --> 1\nx\n"), std::string(1000, '\0')}) {
        const TSubtitleFile f = ReadSubtitles(bytes, "x.srt");
        EXPECT_TRUE(f.Cues.empty());
        EXPECT_FALSE(f.Problems.empty());
    }
    EXPECT_EQ(ParseSubtitleTime("1:02:03.5"), 3723500);
    EXPECT_EQ(ParseSubtitleTime("02:03,045"), 123045);
    EXPECT_EQ(ParseSubtitleTime("00:61:00,000"), -1);
    EXPECT_EQ(ParseSubtitleTime("601:00:02,000"), -1); // would overflow the milliseconds
}

TEST(MacFitting, TransliteratesWhatItCanAndReportsTheRest) {
    TMacFitter fit;
    EXPECT_EQ(fit.Fit("\xEF\xAC\x81n \xE2\x80\x90 \xE2\x80\x9C" "ok\xE2\x80\x9D"), "fin - \xE2\x80\x9Cok\xE2\x80\x9D");
    EXPECT_EQ(fit.Fit("caf\xC3\xA9 \xC5\x8D"), "café o"); // ō has no code: its base letter
    EXPECT_EQ(fit.Fit("a\xE2\x98\x83" "b"), "ab");          // a snowman has no stand-in
    EXPECT_EQ(fit.Dropped().at("\xE2\x98\x83"), 1);
    EXPECT_EQ(fit.DroppedLetters(), 0);
    TMacFitter cyrillic;
    cyrillic.Fit("Привет, как дела?");
    EXPECT_EQ(cyrillic.DroppedLetters(), cyrillic.Letters());
    EXPECT_TRUE(MacRomanCarries(3));
    EXPECT_FALSE(MacRomanCarries(7));
}

TEST(Material, LinesWordsCutsAndTranslations) {
    std::vector<TSubtitleCue> cues;
    auto add = [&](int from, int to, const char* text, const char* speaker, bool sound = false) {
        TSubtitleCue c;
        c.StartMs = from;
        c.EndMs = to;
        c.Text = text;
        c.Speaker = speaker;
        c.Sound = sound;
        cues.push_back(c);
    };
    add(1010, 3000, "Where is the little dog?", "ANN");
    add(2990, 4000, "Here, Rex is here.", "ANN");  // starts inside the previous (rounded) line
    add(5000, 5500, "Rex!", "BOB");                 // too short for the activities
    add(6000, 9000, "[dog barks]", "", true);
    add(20000, 23000, "The dog is under the table.", "BOB");
    const std::vector<TFilmLine> lines = MakeLines(cues);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0].StartUnits, 25);
    EXPECT_EQ(lines[0].EndUnits, 75);
    EXPECT_EQ(lines[1].StartUnits, 75) << "lines never overlap";
    EXPECT_TRUE(lines[1].SameSpeaker);
    EXPECT_FALSE(lines[2].SameSpeaker);
    EXPECT_TRUE(lines[0].ForActivities);
    EXPECT_FALSE(lines[2].ForActivities);
    EXPECT_FALSE(lines[3].ForActivities);

    const std::vector<TWordCount> words = WordFrequencies(lines);
    ASSERT_FALSE(words.empty());
    EXPECT_EQ(words[0].Word, "is") << "three times, and heard before \"the\" (also three)";
    EXPECT_EQ(words[0].Count, 3);
    for (const TWordCount& w : words) {
        EXPECT_NE(w.Word, "rex") << "a name";
        EXPECT_NE(w.Word, "ann") << "a speaker";
        EXPECT_NE(w.Word, "barks") << "a sound";
        EXPECT_GE(w.Word.size(), 2u);
    }
    // Cuts go into gaps between lines, at the scene change nearest the middle.
    const std::vector<int> cuts = ChooseCuts(1000, {300, 480, 520}, lines, 8, 500);
    ASSERT_EQ(cuts.size(), 2u);
    EXPECT_EQ(cuts[1], 480);
    const std::vector<int> noScene = ChooseCuts(1000, {}, lines, 8, 500);
    ASSERT_EQ(noScene.size(), 2u);
    for (const TFilmLine& l : lines) EXPECT_FALSE(noScene[1] > l.StartUnits && noScene[1] < l.EndUnits);

    std::vector<TSubtitleCue> help;
    TSubtitleCue h;
    h.StartMs = 1100;
    h.EndMs = 4000; // covers lines 1 and 2
    h.Text = "¿Dónde está el perrito?";
    help.push_back(h);
    const auto tr = AlignTranslations(lines, help);
    EXPECT_EQ(tr.at(1), "¿Dónde está el perrito?");
    EXPECT_EQ(tr.at(2), "¿Dónde está el perrito?");
    EXPECT_EQ(tr.count(5), 0u);
}

// Every word drawn on the menu, sign-in and certificate pictures.
const std::pair<const char*, std::string demodisc::TPictureWords::*> kPictureFields[] = {
    {"Tagline", &demodisc::TPictureWords::Tagline},       {"StartLinks", &demodisc::TPictureWords::StartLinks},
    {"Footer", &demodisc::TPictureWords::Footer},         {"WhoAreYou", &demodisc::TPictureWords::WhoAreYou},
    {"Visit", &demodisc::TPictureWords::Visit},           {"Score", &demodisc::TPictureWords::Score},
    {"Sessions", &demodisc::TPictureWords::Sessions},     {"Activities", &demodisc::TPictureWords::Activities},
    {"Film", &demodisc::TPictureWords::Film},             {"Quiz", &demodisc::TPictureWords::Quiz},
    {"Studio", &demodisc::TPictureWords::Studio},         {"Dictionary", &demodisc::TPictureWords::Dictionary},
    {"WordSearch", &demodisc::TPictureWords::WordSearch}, {"Practice", &demodisc::TPictureWords::Practice},
    {"Test", &demodisc::TPictureWords::Test},             {"Vocabulary", &demodisc::TPictureWords::Vocabulary},
    {"MissingWord", &demodisc::TPictureWords::MissingWord}, {"NextLine", &demodisc::TPictureWords::NextLine},
    {"Spelling", &demodisc::TPictureWords::Spelling},     {"Total", &demodisc::TPictureWords::Total},
    {"Certificate", &demodisc::TPictureWords::Certificate}, {"OfLanguage", &demodisc::TPictureWords::OfLanguage},
    {"Signature", &demodisc::TPictureWords::Signature},   {"Awards", &demodisc::TPictureWords::Awards},
    {"ThePrize", &demodisc::TPictureWords::ThePrize},     {"Bronze", &demodisc::TPictureWords::Bronze},
    {"Silver", &demodisc::TPictureWords::Silver},         {"Gold", &demodisc::TPictureWords::Gold},
    {"ChooseActor", &demodisc::TPictureWords::ChooseActor},
};

TEST(PictureWords, FollowTheFilmsLanguageWithEnglishForTheRest) {
    using discbuild::FindLanguage;
    using discbuild::PictureWords;
    static_assert(sizeof(demodisc::TPictureWords) == std::size(kPictureFields) * sizeof(std::string),
                  "a word was added to the pictures but not to this list");
    // French is the demo disc's own wording, so a French film's pictures stay as they were.
    const demodisc::TPictureWords french = PictureWords(FindLanguage("fr"));
    const demodisc::TPictureWords demo;
    for (const auto& [name, field] : kPictureFields) EXPECT_EQ(french.*field, demo.*field) << name;

    const demodisc::TPictureWords en = PictureWords(FindLanguage("en"));
    EXPECT_EQ(en.Dictionary, "The dictionary");
    EXPECT_EQ(en.MissingWord, "Missing word");
    EXPECT_EQ(en.OfLanguage, "of English");
    EXPECT_EQ(en.Tagline, "A film for learning English");
    EXPECT_EQ(PictureWords(FindLanguage("2")).Film, "The film");
    EXPECT_EQ(PictureWords(FindLanguage("German")).Dictionary, "Das Wörterbuch");
    EXPECT_EQ(PictureWords(FindLanguage("es")).OfLanguage, "de español");

    // No language keeps a French word, except the ones the languages share.
    const std::set<std::string> shared = {"Test", "Total", "Bronze"};
    for (const char* code : {"en", "de", "es", "it", "ru", "ja"}) {
        const demodisc::TPictureWords w = PictureWords(FindLanguage(code));
        for (const auto& [name, field] : kPictureFields) {
            EXPECT_FALSE((w.*field).empty()) << code << " " << name;
            if (!shared.count(demo.*field)) {
                EXPECT_NE(w.*field, demo.*field) << code << " " << name;
            }
        }
    }
    // Other languages get the English words, naming the language.
    const demodisc::TPictureWords it = PictureWords(FindLanguage("it"));
    EXPECT_EQ(it.Dictionary, en.Dictionary);
    EXPECT_EQ(it.OfLanguage, "of Italian");
    EXPECT_EQ(it.Tagline, "A film for learning Italian");
}
