#pragma once
// A dictd dictionary's .index file: one line per headword,
// "headword TAB offset TAB length", the numbers in dictd's base-64 digits
// (A-Z a-z 0-9 + /, most significant first) and the lines sorted by
// headword. The file is mapped, not parsed: a word is found by binary search
// over its bytes, so an open index costs a few pages, not a table of every
// headword.
//
// dictd's headwords are lower case with every character but letters, digits
// and spaces removed (unless the index has the 00-database-allchars entry);
// a UTF-8 dictionary (00-database-utf8) sorts them by their bytes, an older
// 8-bit one as `sort -df` does (letters, digits and blanks only, case folded).
#include <QFile>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tav {

// dictd's base-64 numbers. Decoding refuses an empty text, a character
// outside the alphabet and more than 10 digits (60 bits).
bool DecodeDictdNumber(std::string_view digits, uint64_t& value);
std::string EncodeDictdNumber(uint64_t value);

// The form a word takes as a dictd headword: lower case (LowerText, so in
// the text language), runs of white space as one space, ends trimmed, and,
// unless allChars, only letters, marks, digits and spaces kept.
std::string DictdKey(const std::string& word, bool allChars = false);

struct TIndexEntry {
    std::string Headword; // as the index holds it
    uint64_t Offset = 0, Length = 0;
};

struct TIndexLookup {
    std::vector<TIndexEntry> Entries; // in index order
    std::string Error; // a damaged line of the word, when there was one
};

class TDictdIndex {
public:
    TDictdIndex();
    ~TDictdIndex();
    TDictdIndex(const TDictdIndex&) = delete;
    TDictdIndex& operator=(const TDictdIndex&) = delete;

    // Maps the file; false with a message when it cannot be read or holds no line.
    bool Open(const std::string& fileName, std::string& error);
    // The same over bytes held by the index (tests, fuzzing).
    bool OpenBytes(std::string bytes, std::string& error);

    // Every entry whose headword is the word's key (case-insensitive, see
    // DictdKey). Headwords that the dictionary wrote with a leading space
    // (" à" for "... à") are found as well.
    TIndexLookup Find(const std::string& word) const;

    bool Utf8() const { return utf8_; }
    bool AllChars() const { return allChars_; }
    size_t Bytes() const { return size_; }

private:
    void ReadHeaderEntries();
    int Compare(std::string_view headword, std::string_view key) const;
    size_t LowerBound(std::string_view key) const;
    void Collect(std::string_view key, TIndexLookup& result) const;

    std::unique_ptr<QFile> file_;
    std::string owned_;
    const char* data_ = nullptr;
    size_t size_ = 0;
    bool utf8_ = true, allChars_ = false;
};

} // namespace tav
