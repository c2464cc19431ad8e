#include "content/SpellingTable.h"

#include "content/KeyFiles.h"
#include "content/OurUtils.h"

namespace tav {

TSpellingInfo LoadSpellingInfo(const std::string& fileName, int language) {
    TSpellingInfo info;
    const TStringList lines = ReadTextLines(fileName);
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string rest = MacToAnsi(lines[i]);
        if (rest.empty()) continue;
        const int number = StrToIntDef(NextToken(rest, ' '), 0);
        if (number != language) continue;
        info.Letters = NextToken(rest, ' ');
        info.FolderSuffix = NextToken(rest, ' ');
        info.LineNumber = static_cast<int>(i) + 1;
    }
    return info;
}

std::string TileCode(char letter) { return IntToStr(AnsiToMacCode(static_cast<unsigned char>(letter))); }

std::vector<std::string> LetterPictureNames(char letter) {
    const std::string k = TileCode(letter);
    return {"\\PracTile\\PTile" + k + ".jpg", "\\TestTile\\TTile" + k + ".jpg", "\\Floaters\\FTile" + k + ".bmp",
            "\\UpprTile\\UTile" + k + ".jpg"};
}

} // namespace tav
