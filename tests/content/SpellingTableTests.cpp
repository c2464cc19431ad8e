// The spelling table: which line gives a language its alphabet and folder,
// and the codes in the names of the letter pictures.
#include <gtest/gtest.h>

#include "../TestSupport.h"
#include "content/SpellingTable.h"

using namespace tav;
using namespace tavtest;

TEST(SpellingTable, TheLastLineOfTheLanguageWinsAndMacTextIsConverted) {
    TempFolder dir;
    // 0x8E is é in Mac OS Roman.
    WriteFile(dir.File("Spelinfo.txt"), "3 abc x\r\n\r\n2 xyz en\nthree nope zz\r3 abcdefghijklmnopqr\x8E fr\r\n");
    const TSpellingInfo fr = LoadSpellingInfo(dir.File("spelinfo.txt"), 3);
    EXPECT_EQ(fr.Letters, "abcdefghijklmnopqr\xC3\xA9");
    EXPECT_EQ(fr.FolderSuffix, "fr");
    EXPECT_EQ(fr.LineNumber, 5);
    // Text that is not a number counts as 0.
    EXPECT_EQ(LoadSpellingInfo(dir.File("Spelinfo.txt"), 0).Letters, "nope");
    const TSpellingInfo none = LoadSpellingInfo(dir.File("Spelinfo.txt"), 7);
    EXPECT_EQ(none.LineNumber, 0);
    EXPECT_TRUE(none.Letters.empty());
    EXPECT_THROW(LoadSpellingInfo(dir.File("missing.txt"), 3), std::exception);
    EXPECT_EQ(TileCode("a"), "97");
    EXPECT_EQ(TileCode("\xC3\xA9"), "142"); // e acute keeps its Mac OS Roman code
    // Letters Mac OS Roman lacks: their code points (Cyrillic ka; kana ga as ka + voicing mark).
    EXPECT_EQ(TileCode("\xD0\xBA"), "U43A");
    EXPECT_EQ(TileCode("\xE3\x81\x8B\xE3\x82\x99"), "U304B_3099");
    EXPECT_EQ(LetterPictureNames("\xC3\xA9"), (std::vector<std::string>{"\\PracTile\\PTile142.jpg", "\\TestTile\\TTile142.jpg",
                                                                    "\\Floaters\\FTile142.bmp", "\\UpprTile\\UTile142.jpg"}));
}
