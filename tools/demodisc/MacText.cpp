#include "MacText.h"

#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QString>
#include <QStringEncoder>
#include <stdexcept>

#include "content/OurUtils.h"
#include "content/UnicodeText.h"

namespace demodisc {

std::string ToAnsi(const std::string& utf8) {
    QStringEncoder enc("windows-1252");
    const QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    QByteArray out = enc.encode(text);
    if (enc.hasError()) throw std::runtime_error("no Windows-1252 code for a character of: " + utf8);
    return std::string(out.constData(), static_cast<size_t>(out.size()));
}

int MacCodeOf(unsigned char ansi) { return tav::AnsiToMacCode(ansi); }

std::string ToMac(const std::string& utf8) {
    std::string ansi = ToAnsi(utf8);
    const unsigned char* table = tav::MacToAnsiTable();
    for (char& c : ansi) {
        const unsigned char a = static_cast<unsigned char>(c);
        // A byte the table maps to itself stays (the table also sends the tab
        // to a space, so the first match alone would turn spaces into tabs).
        const int code = table[a] == a ? a : tav::AnsiToMacCode(a);
        if (code < 0) throw std::runtime_error("no Mac OS Roman code for a character of: " + utf8);
        c = static_cast<char>(code);
    }
    return ansi;
}

namespace {
TDiscEncoding gDiscEncoding = TDiscEncoding::MacRoman;
} // namespace

void SetDiscEncoding(TDiscEncoding encoding) { gDiscEncoding = encoding; }
TDiscEncoding DiscEncoding() { return gDiscEncoding; }

TDiscEncodingScope::TDiscEncodingScope(TDiscEncoding encoding) : before_(gDiscEncoding) { gDiscEncoding = encoding; }
TDiscEncodingScope::~TDiscEncodingScope() { gDiscEncoding = before_; }

std::string ToDisc(const std::string& utf8) {
    if (gDiscEncoding == TDiscEncoding::MacRoman) return ToMac(utf8);
    if (!tav::IsValidUtf8(utf8)) throw std::runtime_error("not valid UTF-8: " + tav::ValidUtf8(utf8));
    return utf8;
}

void WriteDiscLines(const std::string& path, const std::vector<std::string>& utf8Lines) {
    std::vector<std::string> out;
    out.reserve(utf8Lines.size());
    for (const std::string& l : utf8Lines) out.push_back(ToDisc(l));
    WriteRawLines(path, out);
}

void WriteRawLines(const std::string& path, const std::vector<std::string>& lines) {
    QDir().mkpath(QFileInfo(QString::fromStdString(path)).absolutePath());
    QSaveFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::WriteOnly)) throw std::runtime_error("cannot write " + path);
    for (const std::string& line : lines) {
        f.write(line.data(), static_cast<qint64>(line.size()));
        f.write("\r\n", 2);
    }
    if (!f.commit()) throw std::runtime_error("cannot write " + path);
}

void WriteMacLines(const std::string& path, const std::vector<std::string>& utf8Lines) {
    std::vector<std::string> mac;
    mac.reserve(utf8Lines.size());
    for (const std::string& l : utf8Lines) mac.push_back(ToMac(l));
    WriteRawLines(path, mac);
}

} // namespace demodisc
