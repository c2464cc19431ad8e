#pragma once
// The program's language codes (1..157) with their names, and the default
// help language taken from the user's locale through the Windows language
// identifiers the codes were first mapped from.
#include <string>

namespace tav {

constexpr int kLanguageCount = 157;

// The name of a code ("English" for 2); empty outside 1..157.
std::string LanguageName(int code);

// The ISO 639 code of a language code ("fr" for 3, "ja" for 20, "zh" for 19
// and 48); empty when none is known.
std::string IsoCodeOfLanguage(int code);

// The code for a Windows primary language identifier and sublanguage.
int LanguageForWindowsId(int primary, int sublanguage);

// A locale name such as "en_GB", "pt_BR.UTF-8" or "gl" as a Windows primary
// language identifier and sublanguage; false when the language is unknown.
bool WindowsIdForLocale(const std::string& locale, int& primary, int& sublanguage);

// The help-language code for a locale name (1 when nothing matches).
int LanguageForLocale(const std::string& locale);

// The help-language code for the user's locale (LC_ALL, LC_MESSAGES, LANG).
int LanguageFromWindows();

} // namespace tav
