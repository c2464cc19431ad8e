#include "content/DictionaryWords.h"

#include "content/KeyFiles.h"
#include "content/OurUtils.h"
#include "content/UnicodeText.h"

namespace tav {

std::vector<std::string> DictionaryEntries(const std::vector<std::string>& lines) {
    std::vector<std::string> entries;
    for (const std::string& line : lines)
        if (!line.empty()) entries.push_back(line); // a line of blanks is an entry
    return entries;
}

std::vector<std::string> LoadDictionaryWords(const std::string& fileName) {
    return DictionaryEntries(ReadContentLines(fileName));
}

std::string DictionaryPicture(const std::string& targetFolder, int index) {
    return targetFolder + "\\DictPic\\Dict" + IntToStr(index + 1) + ".jpg";
}

std::string DictionarySound(const std::string& targetFolder, int index) {
    return targetFolder + "\\DictSnd\\Dict" + IntToStr(index + 1) + ".aif";
}

} // namespace tav
