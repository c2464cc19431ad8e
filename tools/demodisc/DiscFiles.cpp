#include "DiscFiles.h"

#include <QString>
#include <algorithm>

#include "MacText.h"
#include "Pictures.h"
#include "Style.h"
#include "Timeline.h"

#include "content/UnicodeText.h"

namespace demodisc {

namespace {
std::string Joined(const std::vector<std::string>& items, const char* sep) {
    std::string s;
    for (const std::string& i : items) s += (s.empty() ? "" : sep) + i;
    return s;
}
} // namespace

TSound Beep(int n) { return Note(440.0 + 20.0 * (n % 12), 160, 0.4f); }

void WriteMovieIndex(const std::string& path, const std::vector<TIndexLine>& lines) {
    std::vector<std::string> out;
    for (const TIndexLine& l : lines)
        out.push_back(ToDisc(std::to_string(l.Number) + "|" + UnitsToTimecode(l.StartUnits) + "|" +
                            UnitsToTimecode(l.EndUnits) + "|" + l.Text + "|" + l.Speaker + "|" +
                            (l.SameSpeaker ? "1" : "0") + "|" + (l.ForActivities ? "1" : "0") + "|0|0"));
    WriteRawLines(path, out);
}

void WriteRecordIndex(const std::string& path, const std::vector<TActorRecord>& actors) {
    std::vector<std::string> out;
    for (const TActorRecord& a : actors) {
        out.push_back(ToDisc(a.Name));
        std::string scenes;
        for (const auto& scene : a.Scenes) {
            if (!scenes.empty()) scenes += " ";
            for (size_t k = 0; k < scene.size(); ++k) scenes += (k ? "|" : "") + std::to_string(scene[k]);
        }
        out.push_back(scenes);
    }
    out.push_back(""); // the empty name that ends the file
    WriteRawLines(path, out);
}

void WriteStripIndex(const std::string& path, const std::vector<std::pair<int, std::string>>& places) {
    std::vector<std::string> out;
    for (const auto& [units, hint] : places) out.push_back(ToDisc(UnitsToTimecode(units) + "," + hint));
    WriteRawLines(path, out);
}

void WriteTargetSettings(const std::string& path, const std::string& caption, int language,
                         const std::vector<std::string>& partFiles, const std::vector<int>& nextLineStarts) {
    std::vector<std::string> starts;
    for (int n : nextLineStarts) starts.push_back(std::to_string(n));
    WriteDiscLines(path, {"PCCaption|" + caption, "TargetLang|" + std::to_string(language),
                         "MovieNames|" + Joined(partFiles, "|"), "NextGameStartLines|" + Joined(starts, "|")});
}

void WriteTargetFile(const std::string& path, const std::string& folder, const std::vector<int>& helpLanguages,
                     const std::vector<std::string>& more) {
    std::vector<std::string> codes;
    for (int c : helpLanguages) codes.push_back(std::to_string(c));
    std::vector<std::string> lines{"TargetFolderName|" + folder, "TargetPathForPC|", "SourceHelpLangs|" + Joined(codes, ",")};
    // The program reads every text file of a UTF-8 disc as UTF-8 once Target.txt says so.
    if (DiscEncoding() == TDiscEncoding::Utf8) lines.push_back(std::string(tav::kTextEncodingKey) + "|UTF-8");
    lines.insert(lines.end(), more.begin(), more.end());
    WriteDiscLines(path, lines);
}

namespace {
bool HasLetterOrDigit(const std::string& utf8) {
    for (QChar c : QString::fromStdString(utf8))
        if (c.isLetterOrNumber()) return true;
    return false;
}
} // namespace

void WriteQuizFolder(const std::string& quizDir, const std::vector<TQuizRecord>& questions, const TVoice& host,
                     const std::vector<std::pair<std::string, std::string>>& phrases, const std::string& opponent,
                     TSpeechCache& speech, bool beeps, const TVoice* filmVoice, const std::string& hostAnswer) {
    std::vector<std::string> lines;
    // Each sound file is one or more spoken pieces, joined with a short pause.
    std::vector<std::vector<TSpeechRequest>> pieces;
    std::vector<std::string> files;
    auto add = [&](std::vector<TSpeechRequest> parts, const std::string& file) {
        parts.erase(std::remove_if(parts.begin(), parts.end(),
                                   [](const TSpeechRequest& r) { return !HasLetterOrDigit(r.Text); }),
                    parts.end());
        pieces.push_back(std::move(parts));
        files.push_back(file);
    };
    const char* letters = "ABC";
    for (size_t n = 0; n < questions.size(); ++n) {
        const TQuizRecord& q = questions[n];
        lines.push_back(ToDisc(UnitsToTimecode(q.FromUnits) + "|" + UnitsToTimecode(q.ToUnits) + "|" + q.Question + "|" +
                               q.Answers[0] + "|" + q.Answers[1] + "|" + q.Answers[2] + "|" + std::to_string(q.Correct)));
        const std::string num = std::to_string(n + 1);
        const std::string dir = quizDir + "/q" + num;
        const size_t quoteAt = q.Quote.empty() ? std::string::npos : q.Question.find(q.Quote);
        if (filmVoice && quoteAt != std::string::npos)
            add({{host, q.Question.substr(0, quoteAt)}, {*filmVoice, q.Quote},
                 {host, q.Question.substr(quoteAt + q.Quote.size())}},
                dir + "/tvq" + num + ".aif");
        else
            add({{host, q.Question}}, dir + "/tvq" + num + ".aif");
        for (int k = 1; k <= 3; ++k) {
            // Order "a" shows answers 1, 2, 3 under A, B, C; order "b" shows 3, 1, 2.
            const int posA = k - 1, posB = k % 3;
            const std::string& answer = q.Answers[k - 1];
            const TVoice& answerVoice = filmVoice && answer != hostAnswer ? *filmVoice : host;
            for (int order = 0; order < 2; ++order) {
                const std::string letter(1, letters[order == 0 ? posA : posB]);
                const std::string file = dir + "/tva" + num + "_" + std::to_string(k) + (order == 0 ? "a" : "b") + ".aif";
                if (&answerVoice == &host) add({{host, letter + ". " + answer}}, file);
                else add({{host, letter + "."}, {answerVoice, answer}}, file);
            }
        }
    }
    WriteRawLines(quizDir + "/quiz.txt", lines);
    for (const auto& [name, text] : phrases) add({{host, text}}, quizDir + "/miscq/" + name + ".aif");
    if (beeps) {
        for (size_t i = 0; i < files.size(); ++i) WriteAiff(files[i], Beep(int(i)));
    } else {
        std::vector<TSpeechRequest> requests;
        for (const auto& parts : pieces) requests.insert(requests.end(), parts.begin(), parts.end());
        const std::vector<TSound> sounds = speech.SpeakAll(requests);
        size_t next = 0;
        for (size_t i = 0; i < files.size(); ++i) {
            TSound joined;
            for (size_t p = 0; p < pieces[i].size(); ++p) {
                if (p) joined.AppendSilence(150);
                joined.Append(sounds[next++]);
            }
            if (joined.Samples.empty()) joined.AppendSilence(300);
            WriteAiff(files[i], joined);
        }
    }
    WriteDiscLines(quizDir + "/miscq/oppname.txt", {opponent});
    WritePodium(opponent, quizDir + "/miscq/opppod.jpg");
}

void WriteDictionary(const std::string& targetDir, const std::vector<std::string>& words,
                     const std::vector<QImage>& pictures, const TVoice& voice, TSpeechCache& speech) {
    WriteDiscLines(targetDir + "/DicWords.txt", words);
    for (size_t i = 0; i < pictures.size(); ++i)
        SaveJpeg(pictures[i], targetDir + "/DictPic/Dict" + std::to_string(i + 1) + ".jpg");
    std::vector<TSpeechRequest> requests;
    for (const std::string& w : words) requests.push_back({voice, w});
    std::vector<TSound> spoken(words.size());
    if (voice.Name.empty()) { // no voice for the language: a short silence for each word
        for (TSound& s : spoken) s.AppendSilence(400);
    } else {
        spoken = speech.SpeakAll(requests);
    }
    for (size_t i = 0; i < spoken.size(); ++i)
        WriteAiff(targetDir + "/DictSnd/Dict" + std::to_string(i + 1) + ".aif", spoken[i]);
}

void WriteHelpLanguages(const std::string& sharedDir, const std::vector<int>& languages, TSpeechCache& speech,
                        const THelpFilm& film) {
    WriteFlags(languages, sharedDir + "/source/TheFlags.jpg");
    for (int lang : languages) WriteHelpPictures(lang, sharedDir + "/source/bubb" + std::to_string(lang), film);
    const TVoice en{"en-gb", 55, 150}, es{"es", 55, 150};
    std::vector<std::pair<std::string, TSpeechRequest>> greetings;
    for (int lang : languages) {
        const std::string c = std::to_string(lang);
        if (lang == 5) {
            greetings.insert(greetings.end(), {{c + "gm", {es, "¡Buenos días!"}}, {c + "ga", {es, "¡Buenas tardes!"}},
                                               {c + "ge", {es, "¡Buenas noches!"}}});
        } else if (lang == 2 || lang == 1) {
            greetings.insert(greetings.end(), {{c + "gm", {en, "Good morning!"}}, {c + "ga", {en, "Good afternoon!"}},
                                               {c + "ge", {en, "Good evening!"}}});
        } // other languages: no greeting (the program skips a missing one)
    }
    std::vector<TSpeechRequest> requests;
    for (const auto& g : greetings) requests.push_back(g.second);
    const std::vector<TSound> sounds = speech.SpeakAll(requests);
    for (size_t i = 0; i < greetings.size(); ++i)
        WriteAiff(sharedDir + "/source/helpsnds/" + greetings[i].first + ".aif", sounds[i]);
}

void WriteJingle(const std::string& path) {
    const double C = 523.25, E = 659.25, G = 783.99;
    TSound jingle = Melody({{G, 150}, {G, 150}, {G, 150}, {E * 2, 300}, {C * 2, 150}, {G * 2, 600}}, 0.45f, true);
    jingle.MixIn(Chord({C, E, G, C * 2}, 1200, 0.35f), 750);
    WriteAiff(path, jingle);
}

} // namespace demodisc
