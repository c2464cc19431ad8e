#include "learners/ShortDate.h"

#include <QLocale>

#include "content/UnicodeText.h"

namespace tav {

namespace {
std::function<QDate()>& TodaySource() {
    static std::function<QDate()> source;
    return source;
}
} // namespace

QDate Today() { return TodaySource() ? TodaySource()() : QDate::currentDate(); }

void SetTodaySource(std::function<QDate()> source) { TodaySource() = std::move(source); }

std::string ShortDateText(const QDate& date) {
    return FromQString(QLocale::system().toString(date, QLocale::ShortFormat));
}

} // namespace tav
