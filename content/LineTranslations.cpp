#include "content/LineTranslations.h"

#include <QFile>
#include <QSaveFile>

#include "content/KeyFiles.h"
#include "content/OurUtils.h"
#include "content/UnicodeText.h"
#include "platform/Paths.h"

namespace tav {

std::string LineTranslationFile(const std::string& targetDir, int lang) {
    return targetDir + "\\movietr" + std::to_string(lang) + ".txt";
}

std::map<int, std::string> LoadLineTranslations(const std::string& fileName) {
    std::map<int, std::string> translations;
    if (!FileExists(fileName)) return translations;
    for (std::string rest : ReadContentLines(fileName)) {
        int number = 0;
        if (!TryStrToInt(Trim(NextToken(rest, '|')), number) || number <= 0) continue;
        const std::string text = Trim(rest);
        if (!text.empty()) translations[number] = text;
    }
    return translations;
}

bool WriteLineTranslations(const std::string& fileName, const std::map<int, std::string>& macTexts) {
    QSaveFile out(QString::fromStdString(NativePath(fileName)));
    if (!out.open(QIODevice::WriteOnly)) return false;
    for (const auto& [number, text] : macTexts) {
        std::string line = std::to_string(number) + "|" + text;
        for (size_t i = line.find('|') + 1; i < line.size(); ++i)
            if (line[i] == '|' || line[i] == '\r' || line[i] == '\n') line[i] = ' ';
        line += "\r\n";
        if (out.write(line.data(), qint64(line.size())) != qint64(line.size())) return false;
    }
    return out.commit();
}

} // namespace tav
