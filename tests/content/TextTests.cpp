// The Mac OS Roman table and Windows-1252 text.
#include <gtest/gtest.h>

#include "content/OurUtils.h"
#include "content/NameCharset.h"
#include "content/Text1252.h"

using namespace tav;

static unsigned char Mac(unsigned char b) { return MacToAnsiTable()[b]; }

TEST(MacToAnsi, PublishedMappingForAccentedLetters) {
    EXPECT_EQ(Mac(0x8E), 0xE9); // é
    EXPECT_EQ(Mac(0x80), 0xC4); // Ä
    EXPECT_EQ(Mac(0x88), 0xE0); // à
    EXPECT_EQ(Mac(0x8D), 0xE7); // ç
    EXPECT_EQ(Mac(0xA7), 0xDF); // ß
    EXPECT_EQ(Mac(0xC7), 0xAB); // «
    EXPECT_EQ(Mac(0xC8), 0xBB); // »
    EXPECT_EQ(Mac(0xCA), 0xA0); // no-break space
    EXPECT_EQ(Mac(0xCE), 0x8C); // Œ
    EXPECT_EQ(Mac(0xD2), 0x93); // “
    EXPECT_EQ(Mac(0xD5), 0x92); // ’
    EXPECT_EQ(Mac(0xC9), 0x85); // …
    EXPECT_EQ(Mac(0xD0), 0x96); // –
    EXPECT_EQ(Mac(0xA5), 0x95); // •
    EXPECT_EQ(Mac(0xC0), 0xBF); // ¿
    EXPECT_EQ(Mac(0xC1), 0xA1); // ¡
    EXPECT_EQ(Mac(0xD8), 0xFF); // ÿ
    EXPECT_EQ(Mac(0xD9), 0x9F); // Ÿ
}

TEST(MacToAnsi, TheProgramsOwnDifferences) {
    const unsigned char low[][2] = {{0x01, 0xDE}, {0x02, 0xFE}, {0x03, 0x8A}, {0x04, 0x9A}, {0x05, 0xA6},
                                    {0x06, 0xD0}, {0x07, 0xD7}, {0x09, 0x20}, {0x0B, 0xB9}, {0x0C, 0xB2},
                                    {0x0E, 0xF0}, {0x0F, 0xDD}, {0x17, 0xBD}, {0x19, 0xBE}, {0x1A, 0xBC},
                                    {0x1B, 0xFD}, {0x1C, 0xB3}, {0xDB, 0xA4}};
    for (const auto& p : low) EXPECT_EQ(Mac(p[0]), p[1]) << std::hex << int(p[0]);
    const unsigned char none[] = {0xAD, 0xB0, 0xB2, 0xB3, 0xB6, 0xB7, 0xB8, 0xB9, 0xBA, 0xBD, 0xC3, 0xC5, 0xC6,
                                  0xD7, 0xDA, 0xDE, 0xDF, 0xF0, 0xF5, 0xF9, 0xFA, 0xFB, 0xFD, 0xFE, 0xFF};
    for (unsigned char b : none) EXPECT_EQ(Mac(b), 0xD7) << std::hex << int(b);
    const unsigned char same[] = {0x00, 0x08, 0x0A, 0x0D, 0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x18,
                                  0x1D, 0x1E, 0x1F, 0x20, 'A', 'z', '|', 0x7F};
    for (unsigned char b : same) EXPECT_EQ(Mac(b), b) << std::hex << int(b);
}

TEST(MacToAnsi, WholeStringsAndTheReverseLookup) {
    EXPECT_EQ(MacToAnsi("Caf\x8E\tnoir"), "Caf\xE9 noir");
    EXPECT_EQ(AnsiToMacCode(0xE9), 0x8E);
    EXPECT_EQ(AnsiToMacCode('A'), 'A');
    // 0xD7 is first reached through code 0x07.
    EXPECT_EQ(AnsiToMacCode(0xD7), 0x07);
    EXPECT_EQ(AnsiToMacCode(0x20), 0x09); // the tab comes before the space
    // Every Windows letter that the table reaches maps back to a code that maps to it.
    for (int c = 0; c < 256; ++c) {
        int m = AnsiToMacCode(static_cast<unsigned char>(c));
        if (m >= 0) EXPECT_EQ(Mac(static_cast<unsigned char>(m)), c);
    }
    // Windows-1252 characters Mac OS Roman cannot hold have no code.
    EXPECT_EQ(AnsiToMacCode(0x80), -1); // euro sign: the table keeps 0xDB as the currency sign
}

TEST(Text1252, CaseMappingKnowsAccentedLetters) {
    EXPECT_EQ(LowerCase1252("\xC9T\xC9 \x8A\x9F"), "\xE9t\xE9 \x9A\xFF");
    EXPECT_EQ(UpperCase1252("\xE9t\xE9 \xDF\xF7"), "\xC9T\xC9 \xDF\xF7");
    EXPECT_EQ(LowerCase1252("\xD7"), "\xD7"); // multiplication sign is not a letter
}

TEST(Text1252, ConvertsToUnicodeAndBack) {
    const std::string s = "Caf\xE9 \x80 \x93x\x94 \x9C";
    QString q = ToQString(s);
    EXPECT_EQ(q, QString::fromUtf8("Café € “x” œ"));
    EXPECT_EQ(FromQString(q), s);
    EXPECT_EQ(FromQString(QString::fromUtf8("漢")), "?");
}

TEST(NameCharset, ProfilesKeepCodePageBytesAndEscapeWhatTheCodePageLacks) {
    // Names of earlier profiles: bytes in the code page of the character set.
    const struct { int charset; const char* bytes; const char* utf8; } cases[] = {
        {161, "\xC5\xEB\xDD\xED\xE7", "Ελένη"},   // Greek
        {204, "\xC8\xE2\xE0\xED", "Иван"},         // Russian
        {238, "\xA3ukasz", "Łukasz"},                 // Central European
        {162, "\xD0\xFCl", "Ğül"},                   // Turkish
        {1, "Ren\xE9 \x80", "René €"},               // default: Windows-1252
        {0, "Ren\xE9", "René"},
        // Characters the code page lacks: a backslash, the code point, a semicolon.
        {1, "\\1048;\\1074;\\1072;\\1085;", "Иван"},
        {204, "Zo\\235;", "Zoë"},
        {1, "\\26446; \\128512;", "李 😀"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        EXPECT_EQ(NameFromProfile(c.bytes, c.charset), c.utf8);
        EXPECT_EQ(ProfileFormOfName(c.utf8, c.charset), c.bytes);
    }
    EXPECT_TRUE(IsCodePageName("Иван", 204));
    EXPECT_FALSE(IsCodePageName("Иван", 1));
    EXPECT_STREQ(CodePageForCharset(177), "windows-1255");
    EXPECT_STREQ(CodePageForCharset(178), "windows-1256");
    EXPECT_STREQ(CodePageForCharset(186), "windows-1257");

    // Whatever a profile holds reads as a name that is written back to the
    // same bytes, so no record moves: undefined bytes of a code page, and
    // texts that only look like an escape (leading zero, no semicolon, a
    // character the code page has, past the last code point).
    std::vector<std::string> stored{"\\01048;", "\\1048", "\\\\1048;", "a\\65;b", "\\1114112;", "\\55296;", "\\1048;x"};
    for (int b = 1; b < 256; ++b) stored.push_back(std::string(1, char(b)));
    for (int charset : {1, 161, 162, 163, 177, 178, 186, 204, 222, 238}) {
        for (const std::string& bytes : stored) {
            SCOPED_TRACE(std::to_string(charset) + ": " + bytes);
            EXPECT_EQ(ProfileFormOfName(NameFromProfile(bytes, charset), charset), bytes);
        }
    }
    // Under Windows-1251 the escape of a Cyrillic letter is plain text (the
    // code page holds the letter), under Windows-1252 it is the letter.
    EXPECT_EQ(NameFromProfile("\\1048;", 204), "\\1048;");
    EXPECT_EQ(NameFromProfile("\\1048;", 1), "И");
    // Upper and lower case stay apart, also where profile sections ignore ASCII case.
    EXPECT_NE(ProfileFormOfName("Иван", 1), ProfileFormOfName("иван", 1));

    EXPECT_TRUE(IsNameCodePoint(U'Ж'));
    EXPECT_TRUE(IsNameCodePoint(0x0301)); // combining acute accent
    EXPECT_TRUE(IsNameCodePoint(0x200C)); // zero-width non-joiner (Persian)
    EXPECT_TRUE(IsNameCodePoint(U'७'));  // Devanagari digit seven
    EXPECT_FALSE(IsNameCodePoint(U'\t'));
    EXPECT_FALSE(IsNameCodePoint(0x202E)); // right-to-left override
    EXPECT_FALSE(IsNameCodePoint(0xE000)); // private use
    EXPECT_FALSE(IsNameCodePoint(0x0378)); // unassigned
}
