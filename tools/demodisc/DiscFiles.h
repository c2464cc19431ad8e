#pragma once
// Writers of the content disc's files from plain records, shared by the demo
// disc generator and the disc builder (tavolin-disc build): one writer per
// file, so both kinds of disc are written the same way. Texts are UTF-8 and
// become the disc's encoding on the way out (Mac OS Roman unless
// SetDiscEncoding says UTF-8).
#include <QImage>
#include <string>
#include <utility>
#include <vector>

#include "HelpTexts.h"
#include "Sound.h"
#include "Speech.h"

namespace demodisc {

// One line of movieinf.txt.
struct TIndexLine {
    int Number = 0;            // sequence number
    int StartUnits = 0, EndUnits = 0;
    std::string Text, Speaker; // UTF-8
    bool SameSpeaker = false, ForActivities = false;
};
void WriteMovieIndex(const std::string& path, const std::vector<TIndexLine>& lines);

// record.txt: per actor its name and up to 9 scenes of line numbers.
struct TActorRecord {
    std::string Name;
    std::vector<std::vector<int>> Scenes;
};
void WriteRecordIndex(const std::string& path, const std::vector<TActorRecord>& actors);

// strip.txt: film position (units) and hint of each thumbnail.
void WriteStripIndex(const std::string& path, const std::vector<std::pair<int, std::string>>& places);

// settings.txt of a target.
void WriteTargetSettings(const std::string& path, const std::string& caption, int language,
                         const std::vector<std::string>& partFiles, const std::vector<int>& nextLineStarts);

// Target.txt for one target folder and its help languages (plus lines of its own);
// on a UTF-8 disc it carries "TextEncoding|UTF-8".
void WriteTargetFile(const std::string& path, const std::string& folder, const std::vector<int>& helpLanguages,
                     const std::vector<std::string>& more = {});

// The quiz folder: quiz.txt, every question and answer spoken by the host
// (both answer orders), the host's phrases in miscq, the opponent's name and
// podium. With beeps, short tones stand in for the speech (test discs).
struct TQuizRecord {
    int FromUnits = 0, ToUnits = 0;
    std::string Question;
    std::string Answers[3];
    int Correct = 1;
    std::string Quote; // the film's words inside the question, if any
};
// With a film voice, the host's words and the film's words are spoken each
// in their own voice (a host speaking English about a Japanese film): the
// question's Quote and the answers other than `hostAnswer` in the film voice.
void WriteQuizFolder(const std::string& quizDir, const std::vector<TQuizRecord>& questions, const TVoice& host,
                     const std::vector<std::pair<std::string, std::string>>& phrases, const std::string& opponent,
                     TSpeechCache& speech, bool beeps, const TVoice* filmVoice = nullptr,
                     const std::string& hostAnswer = {});

// DicWords.txt with DictPic\Dict<n>.jpg and DictSnd\Dict<n>.aif.
// A voice without a name writes a short silence for each word.
void WriteDictionary(const std::string& targetDir, const std::vector<std::string>& words,
                     const std::vector<QImage>& pictures, const TVoice& voice, TSpeechCache& speech);

// The help languages' files in the shared folder: the flag strip, the help
// and hint pictures of each language (English texts for a language the
// generator has no texts for) and the greetings.
void WriteHelpLanguages(const std::string& sharedDir, const std::vector<int>& languages, TSpeechCache& speech,
                        const THelpFilm& film = {});

// A short tone standing in for speech on test discs.
TSound Beep(int n);

} // namespace demodisc

namespace demodisc {
// shared\jingle.aif: the fanfare that ends a test.
void WriteJingle(const std::string& path);
} // namespace demodisc
