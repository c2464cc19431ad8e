#pragma once
// The learner's own word list ("my words"): words picked from the film's
// captions with their dictionary form, meaning and the line they came from.
//
// It lives in the learner's profile, in a section of its own, and goes
// through two callbacks (the main window's profile read and write, which
// reach the profile file or the classroom manager), so it needs no screen.
//
// Layout of the section (keys are plain ASCII):
//   Blocks=3                      how many block keys there are
//   Block1=<entry>~<entry>~...    up to kBlockSize entries each
// An entry is "1|word|dictionary form|reading|sense|line|sequence|start|end|course|added"
// with every text field escaped: '\', '|', '~', '=', ';', '#', '"', '[', ']',
// '%', control bytes and a blank at either end of a field become "\HH" (two
// hex digits). UTF-8 letters (Japanese, Cyrillic ...) stay as they are.
// Blocks keep the number of profile reads at load small (the profile file is
// read whole on every read) and an Add or Remove rewrites one block only;
// blocks thinned out by removals are packed again when a new one is needed.
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace tav {

struct TMyWord {
    std::string Word, DictionaryForm, Reading, Sense, Line;
    int SequenceNumber = 0;
    int StartFrame = 0, EndFrame = 0; // the line's frames, as in TMovieEntry
    std::string Course;               // the target (course) folder name
    std::string Added;                // "YYYY-MM-DD HH:MM" UTC; filled by Add when empty
};

// The profile section of the learner whose results section is resultsSection
// ("Student Ann" -> "Words Student Ann").
std::string MyWordsSection(const std::string& resultsSection);

// One entry as stored, and back; false for an entry that cannot be read.
std::string EncodeMyWord(const TMyWord& word);
bool DecodeMyWord(const std::string& entry, TMyWord& word);

class TMyWords {
public:
    using TRead = std::function<std::string(const std::string& section, const std::string& key)>;
    using TWrite = std::function<void(const std::string& section, const std::string& key, const std::string& value)>;

    static constexpr size_t kCap = 2000;     // words in one learner's list
    static constexpr size_t kBlockSize = 20; // entries per profile key
    static constexpr size_t kMaxText = 600;  // bytes kept of a sense or a line

    // Reads the list at once (see Load).
    TMyWords(std::string section, TRead read, TWrite write);

    // Reads the list again. Damaged entries are skipped but kept: they are
    // written back unchanged with their block. A second copy of an entry
    // (left by packing cut short) is not shown. False with Message() when the
    // profile could not be read (the list is then empty and refuses to save,
    // so nothing stored is overwritten).
    bool Load();

    // Adds the word unless the same word of the same line is in the list or
    // the list is full; saved at once. False with a message for the learner.
    bool Add(const TMyWord& word, std::string* message = nullptr);
    // Removes the index-th word of Words(); saved at once.
    bool Remove(size_t index, std::string* message = nullptr);

    const std::vector<TMyWord>& Words() const { return words_; }
    size_t Size() const { return words_.size(); }
    bool Contains(const std::string& word, const std::string& line) const;
    // Entries skipped at the last load because they could not be read.
    size_t Damaged() const { return damaged_; }
    // Why the last Load, Add or Remove failed, or what Load skipped ("" when all went well).
    const std::string& Message() const { return message_; }
    const std::string& Section() const { return section_; }

private:
    struct TSlot {
        bool Ok = true;
        std::string Raw; // the entry as stored (kept for a damaged one)
        bool Duplicate = false; // an earlier slot holds the same word and line
    };
    using TBlock = std::vector<TSlot>;

    std::string BlockKey(size_t block) const; // block is 0-based
    std::string BlockText(const TBlock& block) const;
    void Rebuild();
    // Packs the entries into as few blocks as they need; throws when a write fails.
    void Compact();
    bool Fail(const std::string& text, std::string* message);

    std::string section_;
    TRead read_;
    TWrite write_;
    std::vector<TBlock> blocks_;
    std::vector<TMyWord> words_;                       // the good entries in order
    std::vector<std::pair<size_t, size_t>> positions_; // (block, slot) of each word
    size_t damaged_ = 0;
    bool duplicates_ = false; // some slot is a hidden second copy
    bool loaded_ = false;
    std::string message_;
};

} // namespace tav
