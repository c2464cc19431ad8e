#pragma once
// What a disc is made of, worked out from the subtitles alone: the film's
// lines on the program's time line, its word list, the parts it is cut into,
// the recording scenes, next-line starts, film-strip places, the quiz, and
// the help-language translations aligned by time. Pure functions over UTF-8
// texts; words are broken and lower-cased as the program does for the text
// language (tav::SetTextLanguage): ICU's word breaks for a language written
// without spaces.
#include <map>
#include <string>
#include <vector>

#include "Subtitles.h"

namespace discbuild {

constexpr int kUnitMs = 40;

struct TFilmLine {
    int Number = 0;       // sequence number = line of movieinf.txt (1-based)
    int StartUnits = 0;   // film units of 40 ms on the whole film
    int EndUnits = 0;
    std::string Text, Speaker;
    bool SameSpeaker = false;
    bool ForActivities = false;
    bool Sound = false;   // music or a sound description
};

// Cues to lines: times rounded outwards to film units (a line never starts
// before the previous one ends), SameSpeaker for a named speaker's
// continuation or an unnamed cue that opens no new turn, ForActivities for
// speech of 0.8 to 8 s with at least three words and no sound description.
std::vector<TFilmLine> MakeLines(const std::vector<TSubtitleCue>& cues);

// The words of a text, lower case (tav::LowerText), with apostrophes inside
// words kept; in a language written without spaces, ICU's words that hold a
// letter.
std::vector<std::string> WordsOf(const std::string& utf8);

struct TWordCount {
    std::string Word; // lower case
    int Count = 0;
    int FirstLine = 0; // index in the lines of its first occurrence
};
// Words spoken in the film, most frequent first (ties: first heard first),
// without one-letter words and names (speakers' names, and words only ever
// written with a capital inside a sentence).
std::vector<TWordCount> WordFrequencies(const std::vector<TFilmLine>& lines);

// Word lengths below count user-perceived characters, a wide East Asian
// one (Han, kana, Hangul) as two.
// words.txt: five words of at least four letters per row.
std::vector<std::string> WrongWordRows(const std::vector<TWordCount>& words, size_t maxWords = 250);
// Search.txt candidates: words heard at least twice (all when the film is
// short), in alphabetical order.
std::vector<std::string> SearchCandidates(const std::vector<TWordCount>& words, size_t maxWords = 400);
// Dictionary words: first those with a picture of their own (in `pictured`),
// then words of at least four letters below the most frequent ones (words in
// hiragana alone only when there are too few others).
std::vector<TWordCount> DictionaryChoice(const std::vector<TWordCount>& words,
                                         const std::vector<std::string>& pictured, size_t count = 40);

// Film parts: starts (film units) of at most maxParts parts of near-equal
// length, each cut placed at a scene change in a gap between lines when one
// lies near, else in the middle of the nearest gap. First start is 0.
std::vector<int> ChooseCuts(int filmUnits, const std::vector<int>& sceneUnits,
                            const std::vector<TFilmLine>& lines, int maxParts = 8, int partUnits = 6000);

struct TActor {
    std::string Name;
    std::vector<std::vector<int>> Scenes; // line numbers, 3 to 5 per scene
};
// Up to 9 actors with 2 to 9 scenes each, from named speakers' turns.
std::vector<TActor> RecordingScenes(const std::vector<TFilmLine>& lines, const std::vector<int>& partStarts);

// Sequence numbers where a next-line question may start.
std::vector<int> NextLineStarts(const std::vector<TFilmLine>& lines, size_t maxStarts = 200);

// The 24 film-strip places (film units), each at a scene change near its
// slot when there is one.
std::vector<int> StripPlaces(int filmUnits, const std::vector<int>& sceneUnits);
// The strip hint for a place: "SPEAKER : text" of the line at or before it.
std::string StripHint(const std::vector<TFilmLine>& lines, int units);

struct TQuizItem {
    int FromUnits = 0, ToUnits = 0;
    std::string Question;
    std::string Quote; // the film's line quoted in the question
    std::string Answers[3];
    int Correct = 1;
};
// "Who says ...?" (with named speakers) and "What is said next?" questions
// spread over the film; whoSays/whatNext hold "%1" for the quoted line.
std::vector<TQuizItem> QuizItems(const std::vector<TFilmLine>& lines, const std::string& whoSays,
                                 const std::string& whatNext, const std::string& nobody, size_t count = 26);

// Help-language cues aligned with the lines by time: line number -> text.
std::map<int, std::string> AlignTranslations(const std::vector<TFilmLine>& lines,
                                             const std::vector<TSubtitleCue>& help);

} // namespace discbuild
