#pragma once
// Today's date in the user's locale short date format: the text signing in
// stamps on a learner and the certificate prints. Tests fix the day.
#include <QDate>

#include <functional>
#include <string>

namespace tav {

// Today (the system's date unless a test installed another source).
QDate Today();
// nullptr restores the system's date.
void SetTodaySource(std::function<QDate()> source);

// The date in the short date format of the user's locale, UTF-8.
std::string ShortDateText(const QDate& date);

} // namespace tav
