// The Mac OS Roman table and the program's Unicode text.
#include <gtest/gtest.h>

#include "content/OurUtils.h"
#include "content/NameCharset.h"
#include "content/UnicodeText.h"

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

TEST(UnicodeText, CaseMappingFollowsTheDiscsLanguage) {
    SetTextLanguage("fr");
    EXPECT_EQ(LowerText("\xC3\x89T\xC3\x89 \xC5\xA0\xC5\xB8"), "\xC3\xA9t\xC3\xA9 \xC5\xA1\xC3\xBF"); // ÉTÉ ŠŸ
    EXPECT_EQ(LowerText("\xC3\x97"), "\xC3\x97"); // the multiplication sign is not a letter
    EXPECT_EQ(LowerText("\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD"), "\xD0\xB8\xD0\xB2\xD0\xB0\xD0\xBD"); // Иван
    EXPECT_EQ(LowerText("I"), "i");
    EXPECT_TRUE(SameTextIgnoringCase("\xCE\xA3\xCE\x9F\xCE\xA6\xCE\x99\xCE\x91", "\xCF\x83\xCE\xBF\xCF\x86\xCE\xB9\xCE\xB1"));
    SetTextLanguage("tr"); // dotted and dotless i
    EXPECT_EQ(LowerText("I"), "\xC4\xB1");
    EXPECT_EQ(UpperText("i"), "\xC4\xB0");
    SetTextLanguage("");
}

TEST(UnicodeText, ConvertsWindows1252AndQtStrings) {
    const std::string s = "Caf\xE9 \x80 \x93x\x94 \x9C";
    EXPECT_EQ(ToQString(Utf8From1252(s)), QString::fromUtf8("Café € “x” œ"));
    bool lossless = false;
    EXPECT_EQ(Utf8To1252(Utf8From1252(s), &lossless), s);
    EXPECT_TRUE(lossless);
    EXPECT_EQ(Utf8To1252("\xE6\xBC\xA2", &lossless), "?"); // 漢
    EXPECT_FALSE(lossless);
    EXPECT_EQ(FromQString(QString::fromUtf8("漢")), "\xE6\xBC\xA2");
    EXPECT_EQ(ValidUtf8("a\xFF" "b\xE6\xBC"), "a\xEF\xBF\xBD" "b\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(UnicodeText, ContentFilesAreMacRomanUnlessTheDiscOrAByteOrderMarkSaysUtf8) {
    SetContentEncoding(TContentEncoding::MacRoman);
    EXPECT_EQ(DecodeContentLines("Caf\x8E\r\n"), TStringList{"Caf\xC3\xA9"});
    EXPECT_EQ(DecodeContentLines("\xEF\xBB\xBF\xD0\x9C\xD0\xB8\xD1\x80\nx"),
              (TStringList{"\xD0\x9C\xD0\xB8\xD1\x80", "x"})); // Мир, marked as UTF-8
    EXPECT_EQ(EncodingDeclaredBy({"TargetFolderName|film", "TextEncoding|utf-8"}), TContentEncoding::Utf8);
    EXPECT_EQ(EncodingDeclaredBy({"TargetFolderName|film"}), TContentEncoding::MacRoman);
    SetContentEncoding(TContentEncoding::Utf8);
    EXPECT_EQ(DecodeContentLines("Caf\xC3\xA9|\x8E"), TStringList{"Caf\xC3\xA9|\xEF\xBF\xBD"});
    SetContentEncoding(TContentEncoding::MacRoman);
}

TEST(UnicodeText, CharactersAreGraphemeClustersAndJapaneseWordsComeFromIcu) {
    EXPECT_EQ(Graphemes("e\xCC\x81t\xC3\xA9"), (TStringList{"e\xCC\x81", "t", "\xC3\xA9"})); // é written two ways
    EXPECT_EQ(GraphemeCount("\xE3\x81\x8B\xE3\x82\x99"), 1); // ka + voicing mark
    SetTextLanguage("ja");
    EXPECT_TRUE(TextLanguageWritesWithoutSpaces());
    // 私は学生です。: several words, none of them the whole line, the full stop none.
    const std::string line = "\xE7\xA7\x81\xE3\x81\xAF\xE5\xAD\xA6\xE7\x94\x9F\xE3\x81\xA7\xE3\x81\x99\xE3\x80\x82";
    const std::vector<TWordSpan> words = BreakWords(line);
    ASSERT_GE(words.size(), 3u);
    bool student = false;
    for (const TWordSpan& w : words) {
        EXPECT_LT(w.End, line.size()); // the full stop is not a word
        student = student || line.substr(w.Begin, w.End - w.Begin) == "\xE5\xAD\xA6\xE7\x94\x9F"; // 学生
    }
    EXPECT_TRUE(student);
    SetTextLanguage("");
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
