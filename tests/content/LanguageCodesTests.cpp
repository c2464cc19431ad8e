// Language codes: names and the default help language from the user's locale.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QtGlobal>

#include "content/LanguageCodes.h"

using namespace tav;

TEST(LanguageCodes, NamesInCodeOrder) {
    EXPECT_EQ(LanguageName(1), "American");
    EXPECT_EQ(LanguageName(2), "English");
    EXPECT_EQ(LanguageName(3), "French");
    EXPECT_EQ(LanguageName(49), "(Missing)");
    EXPECT_EQ(LanguageName(93), "J\xC3\xA8rriais");
    EXPECT_EQ(LanguageName(153), "Galician");
    EXPECT_EQ(LanguageName(157), "Tigrinya");
    EXPECT_EQ(LanguageName(0), "");
    EXPECT_EQ(LanguageName(158), "");
}

TEST(LanguageCodes, WindowsRowsWithSublanguages) {
    EXPECT_EQ(LanguageForWindowsId(0x09, 2), 2);   // English (United Kingdom)
    EXPECT_EQ(LanguageForWindowsId(0x09, 1), 1);   // United States
    EXPECT_EQ(LanguageForWindowsId(0x09, 4), 1);   // Canada
    EXPECT_EQ(LanguageForWindowsId(0x56, 1), 153); // Galician
    EXPECT_EQ(LanguageForWindowsId(0x2E, 1), 1);   // Sorbian is not mapped
    EXPECT_EQ(LanguageForWindowsId(0x04, 3), 48);
    EXPECT_EQ(LanguageForWindowsId(0x04, 2), 19);
    EXPECT_EQ(LanguageForWindowsId(0x07, 2), 89);
    EXPECT_EQ(LanguageForWindowsId(0x07, 3), 4);
    EXPECT_EQ(LanguageForWindowsId(0x0A, 1), 5);
    EXPECT_EQ(LanguageForWindowsId(0x0A, 3), 5);
    EXPECT_EQ(LanguageForWindowsId(0x0A, 2), 66);
    EXPECT_EQ(LanguageForWindowsId(0x16, 1), 47);
    EXPECT_EQ(LanguageForWindowsId(0x16, 2), 9);
    EXPECT_EQ(LanguageForWindowsId(0x1A, 1), 25);
    EXPECT_EQ(LanguageForWindowsId(0x1A, 3), 26);
    EXPECT_EQ(LanguageForWindowsId(0x84, 1), 103);
}

TEST(LanguageCodes, LocaleNamesGoThroughTheWindowsIdentifiers) {
    EXPECT_EQ(LanguageForLocale("en_GB.UTF-8"), 2);
    EXPECT_EQ(LanguageForLocale("en_US.UTF-8"), 1);
    EXPECT_EQ(LanguageForLocale("en_CA"), 1);
    EXPECT_EQ(LanguageForLocale("en_IE"), 2);
    EXPECT_EQ(LanguageForLocale("fr_FR.UTF-8"), 3);
    EXPECT_EQ(LanguageForLocale("fr_CA"), 3);
    EXPECT_EQ(LanguageForLocale("de_CH.UTF-8"), 89);
    EXPECT_EQ(LanguageForLocale("de_AT"), 4);
    EXPECT_EQ(LanguageForLocale("es_ES@euro"), 5);
    EXPECT_EQ(LanguageForLocale("es_MX"), 66);
    EXPECT_EQ(LanguageForLocale("es"), 5);
    EXPECT_EQ(LanguageForLocale("pt_BR"), 47);
    EXPECT_EQ(LanguageForLocale("pt_PT"), 9);
    EXPECT_EQ(LanguageForLocale("zh_HK"), 48);
    EXPECT_EQ(LanguageForLocale("zh_CN"), 19);
    EXPECT_EQ(LanguageForLocale("hr_HR"), 25);
    EXPECT_EQ(LanguageForLocale("sr_RS"), 26);
    EXPECT_EQ(LanguageForLocale("gl_ES.UTF-8"), 153);
    EXPECT_EQ(LanguageForLocale("cy_GB"), 21);
    EXPECT_EQ(LanguageForLocale("C.UTF-8"), 1);
    EXPECT_EQ(LanguageForLocale(""), 1);
    EXPECT_EQ(LanguageForLocale("hsb_DE"), 1);
}

TEST(LanguageCodes, TheUsersLocaleComesFromTheEnvironment) {
    const QByteArray saved = qgetenv("LC_ALL");
    qputenv("LC_ALL", "it_IT.UTF-8");
    EXPECT_EQ(LanguageFromWindows(), 6);
    qputenv("LC_ALL", "en_GB.UTF-8");
    EXPECT_EQ(LanguageFromWindows(), 2);
    if (saved.isNull()) qunsetenv("LC_ALL");
    else qputenv("LC_ALL", saved);
}
