#pragma once
// The text side of the missing-word activity: the word list that supplies
// the wrong choices, the gap that hides one word of a film line, and the
// drawing of the wrong choices. No screen here, so all of it is tested alone.
#include <functional>
#include <string>
#include <vector>

#include "content/TargetIndex.h"

namespace tav {

// Six multiplication signs (U+00D7), whatever the word's length.
extern const std::string kGapMark;

// The characters that end a word when gaps are made: codes 32..63 except the
// apostrophe. Letters, the apostrophe, control codes and codes from 64 up
// belong to words.
bool IsGapSeparator(unsigned char c);

// A word that may be hidden: its text as written and the 1-based position
// of the separator that follows it.
struct TGapCandidate {
    std::string Word;
    int SeparatorPos = 0;
};

// Words of 4 or more characters followed by a separator, in line order; in
// a language written without spaces, the words ICU's word breaking finds, of
// 2 or more characters. A word that ends the line is never one.
std::vector<TGapCandidate> GapCandidates(const std::string& line);

// Hides one candidate, chosen with random(n) (0 .. n-1), behind kGapMark.
// Returns the hidden word in lower case, or empty (line unchanged) when the
// line has no candidate.
std::string MakeGap(std::string& line, const std::function<int(int)>& random);

// A word the spelling activity can ask for: 4 to 9 characters (2 to 9 where
// words are written without spaces), each of them one of `letters` (the
// alphabet of the tiles; compared case-sensitively). Characters are
// grapheme clusters.
bool IsSpellableWord(const std::string& word, const std::string& letters);

// The candidates of a line whose lower-case form is spellable.
std::vector<TGapCandidate> SpellingCandidates(const std::string& line, const std::string& letters);

// The spelling variant of MakeGap: only candidates whose lower-case form is
// spellable count, and the chosen word becomes one "?" per character. Returns
// the lower-case word, or empty (line unchanged).
std::string MakeSpellingGap(std::string& line, const std::string& letters, const std::function<int(int)>& random);

// The lines a gap question may use: meant for activities, with a word that
// `hasWord` accepts, and not by `lastSpeaker`. When only that speaker has
// such lines they are given (and *sameSpeaker is set): repeating the speaker
// is better than no question. Drawing among them is the same uniform draw as
// drawing any activity line and refusing the unsuitable ones, but it ends.
std::vector<const TMovieEntry*> GapLines(const std::vector<TMovieEntry>& entries, const std::string& lastSpeaker,
                                         const std::function<bool(const std::string& line)>& hasWord,
                                         bool* sameSpeaker = nullptr);

// words.txt: content text, fields separated by "|", each trimmed; a line ends at
// its first empty field; fields the target's filter catches are skipped.
// A missing file raises the reader's error.
std::vector<std::string> LoadWordList(const std::string& fileName, const TTargetIndex& filter);

// Nine wrong choices for a hidden word: distinct list indexes whose words
// differ (ignoring case) from the word, each lower-cased. Empty when the list
// has fewer than nine such entries.
std::vector<std::string> DrawWrongChoices(const std::vector<std::string>& wordList, const std::string& hidden,
                                          int count, const std::function<int(int)>& random);

} // namespace tav
