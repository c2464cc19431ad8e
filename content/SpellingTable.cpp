#include "content/SpellingTable.h"

#include "content/KeyFiles.h"
#include "content/OurUtils.h"
#include "content/UnicodeText.h"

#include <cstdio>

namespace tav {

TSpellingInfo LoadSpellingInfo(const std::string& fileName, int language) {
    TSpellingInfo info;
    const TStringList lines = ReadContentLines(fileName);
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string rest = lines[i];
        if (rest.empty()) continue;
        const int number = StrToIntDef(NextToken(rest, ' '), 0);
        if (number != language) continue;
        info.Letters = NextToken(rest, ' ');
        info.FolderSuffix = NextToken(rest, ' ');
        info.LineNumber = static_cast<int>(i) + 1;
    }
    return info;
}

std::string TileCode(const std::string& letter) {
    const std::u32string points = CodePoints(letter);
    if (points.size() == 1) {
        bool lossless = false;
        const std::string ansi = Utf8To1252(letter, &lossless);
        const int mac = lossless && ansi.size() == 1 ? AnsiToMacCode(static_cast<unsigned char>(ansi[0])) : -1;
        if (mac >= 0) return IntToStr(mac);
    }
    std::string code = "U";
    for (size_t i = 0; i < points.size(); ++i) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "%s%X", i ? "_" : "", unsigned(points[i]));
        code += hex;
    }
    return code;
}

std::vector<std::string> LetterPictureNames(const std::string& letter) {
    const std::string k = TileCode(letter);
    return {"\\PracTile\\PTile" + k + ".jpg", "\\TestTile\\TTile" + k + ".jpg", "\\Floaters\\FTile" + k + ".bmp",
            "\\UpprTile\\UTile" + k + ".jpg"};
}

} // namespace tav
