#include "MacFit.h"

#include <QList>
#include <QString>
#include <set>
#include <stdexcept>

#include "MacText.h"

namespace discbuild {

namespace {

bool Carried(const std::string& utf8) {
    try {
        (void)demodisc::ToMac(utf8);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

std::string Utf8Of(char32_t cp) { return QString::fromUcs4(&cp, 1).toUtf8().toStdString(); }

// Stand-ins for common characters outside the Mac OS Roman set.
std::string StandIn(char32_t cp) {
    switch (cp) {
    case 0x00A0: case 0x2000: case 0x2001: case 0x2002: case 0x2003: case 0x2009: case 0x200A: case 0x202F:
        return " ";
    case 0x200B: case 0x200E: case 0x200F: case 0x00AD: return "";
    case 0x2010: case 0x2011: case 0x2012: case 0x2212: return "-";
    case 0x2015: return "\xE2\x80\x94";
    case 0x2032: case 0x02BC: case 0x02B9: return "'";
    case 0x2033: return "\"";
    case 0x2039: return "<";
    case 0x203A: return ">";
    case 0x266A: case 0x266B: case 0x266C: return "#";
    case 0xFB00: return "ff";
    case 0xFB01: return "fi";
    case 0xFB02: return "fl";
    case 0xFB03: return "ffi";
    case 0xFB04: return "ffl";
    case 0x0160: return "S";
    case 0x0161: return "s";
    case 0x017D: return "Z";
    case 0x017E: return "z";
    case 0x0141: return "L";
    case 0x0142: return "l";
    case 0x00D0: return "D";
    case 0x00F0: return "d";
    case 0x00DE: return "Th";
    case 0x00FE: return "th";
    case 0x00B2: return "2";
    case 0x00B3: return "3";
    case 0x00B9: return "1";
    case 0x00BC: return "1/4";
    case 0x00BD: return "1/2";
    case 0x00BE: return "3/4";
    case 0x00D7: return "x"; // the activities' gap mark must never come from the film
    case 0x2026: return "...";
    }
    // A letter with a mark Mac OS Roman lacks: the base letter.
    const QString nfd = QString::fromUcs4(&cp, 1).normalized(QString::NormalizationForm_D);
    QString base;
    for (QChar c : nfd)
        if (c.category() != QChar::Mark_NonSpacing) base += c;
    if (!base.isEmpty() && base.size() < nfd.size()) return base.toUtf8().toStdString();
    return {};
}

} // namespace

std::string TMacFitter::Fit(const std::string& utf8) {
    const QList<uint> points = QString::fromUtf8(utf8.data(), qsizetype(utf8.size())).toUcs4();
    std::string out;
    for (uint p : points) {
        const char32_t cp = p;
        const bool letter = QChar::isLetter(cp);
        letters_ += letter;
        auto found = cache_.find(cp);
        if (found == cache_.end()) {
            const std::string self = Utf8Of(cp);
            // "×" is carried but is the activities' gap mark; "…" would read as one letter.
            std::string fit = cp != 0xD7 && cp != 0x2026 && Carried(self) ? self : StandIn(cp);
            if (!fit.empty() && fit != self && !Carried(fit)) fit.clear();
            found = cache_.emplace(cp, fit).first;
        }
        const std::string self = Utf8Of(cp);
        if (found->second == self) {
            out += self;
        } else if (found->second.empty() && !(cp == 0x200B || cp == 0x200E || cp == 0x200F || cp == 0xAD)) {
            ++dropped_[self];
            droppedLetters_ += letter;
        } else {
            if (!found->second.empty()) ++transliterated_[self];
            out += found->second;
        }
    }
    return out;
}

bool MacRomanCarries(int language) {
    // Languages written in the Latin letters of Western Europe.
    static const std::set<int> western = {1,  2,  3,  4,  5,  6,  8,  9,  10, 11, 12, 13, 21, 32,  33,  34,  37,
                                          38, 39, 43, 44, 45, 47, 60, 63, 64, 65, 66, 67, 74, 76,  80,  82,  84,
                                          85, 87, 89, 90, 91, 102, 103, 114, 115, 116, 117, 137, 151, 153};
    return western.count(language) > 0;
}

} // namespace discbuild
