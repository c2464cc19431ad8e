#pragma once
// The film's word list, "\DicWords.txt", which the vocabulary activity and
// the picture dictionary read: every line that is not empty is one entry
// (its whole text, Mac text converted); entry index i has the picture
// "\DictPic\Dict<i+1>.jpg" and the sound "\DictSnd\Dict<i+1>.aif" in the
// target folder. Empty lines are not entries and do not count.
#include <string>
#include <vector>

namespace tav {

constexpr int kMaxDictionaryEntries = 10000; // indexes are kept as 4 digits

// The entries by index. A missing file raises the reader's error.
std::vector<std::string> LoadDictionaryWords(const std::string& fileName);
// The same from lines already read (Mac text).
std::vector<std::string> DictionaryEntries(const std::vector<std::string>& macLines);

std::string DictionaryPicture(const std::string& targetFolder, int index);
std::string DictionarySound(const std::string& targetFolder, int index);

} // namespace tav
