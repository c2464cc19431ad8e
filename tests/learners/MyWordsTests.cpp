// The learner's word list kept in a real profile file: every text round
// trips (Japanese, Cyrillic, '=', ';', quotes, newlines, blanks at the ends),
// the section stays readable INI, duplicates and the cap are refused with a
// message, damaged entries are skipped and written back as they were, and a
// profile that cannot be read or written loses nothing.
#include <gtest/gtest.h>

#include <stdexcept>

#include "../TestSupport.h"
#include "content/IniFile.h"
#include "content/OurUtils.h"
#include "learners/MyWords.h"

using namespace tav;

namespace {

// The main window's profile calls on a file: read, and write (empty deletes).
// inMemory keeps the same INI text in memory instead (thousands of writes
// without a disk sync each).
struct ProfileOnFile {
    tavtest::TempFolder dir;
    std::string file = dir.File("Course.ini");
    int writes = 0, reads = 0;
    bool failWrites = false;
    int failAfter = -1; // writes that still succeed before they all fail
    bool inMemory = false;
    TIniFile memory;

    TMyWords::TRead Reader() {
        return [this](const std::string& s, const std::string& k) {
            ++reads;
            return inMemory ? memory.ReadString(s, k, "") : GetProfile(s, k, "", file);
        };
    }
    TMyWords::TWrite Writer() {
        return [this](const std::string& s, const std::string& k, const std::string& v) {
            if (failAfter == 0) failWrites = true;
            if (failAfter > 0) --failAfter;
            if (failWrites) throw std::runtime_error("Write to Course.ini failed - disk full");
            ++writes;
            if (!inMemory) WriteProfileChecked(s, k, v, file);
            else if (v.empty()) memory.DeleteKey(s, k);
            else memory.WriteString(s, k, v);
        };
    }
    TMyWords Open(const std::string& section = MyWordsSection("Student Ann")) {
        return TMyWords(section, Reader(), Writer());
    }
};

TMyWord Word(const std::string& word, const std::string& line, int seq = 7) {
    TMyWord w;
    w.Word = word;
    w.DictionaryForm = word + "-form";
    w.Reading = "reading";
    w.Sense = "sense of " + word;
    w.Line = line;
    w.SequenceNumber = seq;
    w.StartFrame = seq * 100;
    w.EndFrame = seq * 100 + 60;
    w.Course = "Biscuit";
    w.Added = "2026-12-10 21:30";
    return w;
}

void ExpectSame(const TMyWord& a, const TMyWord& b) {
    EXPECT_EQ(a.Word, b.Word);
    EXPECT_EQ(a.DictionaryForm, b.DictionaryForm);
    EXPECT_EQ(a.Reading, b.Reading);
    EXPECT_EQ(a.Sense, b.Sense);
    EXPECT_EQ(a.Line, b.Line);
    EXPECT_EQ(a.SequenceNumber, b.SequenceNumber);
    EXPECT_EQ(a.StartFrame, b.StartFrame);
    EXPECT_EQ(a.EndFrame, b.EndFrame);
    EXPECT_EQ(a.Course, b.Course);
    EXPECT_EQ(a.Added, b.Added);
}

} // namespace

TEST(MyWords, EveryTextRoundTripsThroughTheProfileFileAndTheFileStaysReadableIni) {
    ProfileOnFile p;
    // Other sections of the profile are left as they were.
    ASSERT_TRUE(WriteProfile("Student Ann", "Scores", "1,2,3,4", p.file));

    TMyWord jp = Word("\xE9\xA3\x9F\xE3\x81\xB9\xE3\x81\x9F", // 食べた
                      "\xE3\x81\x94\xE9\xA3\xAF\xE3\x82\x92\xE9\xA3\x9F\xE3\x81\xB9\xE3\x81\x9F\xE3\x80\x82", 3);
    jp.DictionaryForm = "\xE9\xA3\x9F\xE3\x81\xB9\xE3\x82\x8B";  // 食べる
    jp.Reading = "\xE3\x81\x9F\xE3\x81\xB9\xE3\x82\x8B";          // たべる
    jp.Sense = "to eat; to live on (e.g. a salary) = [v1]";
    TMyWord ru = Word("\xD0\xB4\xD0\xBE\xD0\xBC\xD0\xB0", "\xD0\xAF \xD0\xB4\xD0\xBE\xD0\xBC\xD0\xB0.", 4); // дома / Я дома.
    ru.Course = "\xD0\x9A\xD1\x83\xD1\x80\xD1\x81 1"; // Курс 1
    TMyWord hard = Word(" a=b ", "\"Quoted\"; then\nsecond line\r\nthird\tcolumn | pipe ~ tilde \\ back [x] #5 %20", 5);
    hard.Sense = "\"whole value in quotes\"";
    hard.DictionaryForm = "a=b; c";
    hard.Reading = "";
    {
        TMyWords words = p.Open();
        EXPECT_EQ(words.Size(), 0u);
        EXPECT_TRUE(words.Message().empty());
        std::string why;
        EXPECT_TRUE(words.Add(jp, &why)) << why;
        EXPECT_TRUE(words.Add(ru, &why)) << why;
        EXPECT_TRUE(words.Add(hard, &why)) << why;
    }
    // Blanks at the ends of the word are not the word.
    hard.Word = "a=b";

    TMyWords again = p.Open();
    EXPECT_TRUE(again.Message().empty()) << again.Message();
    ASSERT_EQ(again.Size(), 3u);
    ExpectSame(again.Words()[0], jp);
    ExpectSame(again.Words()[1], ru);
    ExpectSame(again.Words()[2], hard);
    EXPECT_EQ(GetProfile("Student Ann", "Scores", "", p.file), "1,2,3,4");

    // The section as a plain INI reader sees it: one line per key, names in
    // ASCII, no character another reader would take for a comment, a quote or
    // an assignment inside the values, the letters themselves readable.
    const std::string text = tavtest::ReadFile(p.file);
    TIniFile ini;
    ini.Parse(text);
    const std::string block = ini.ReadString("Words Student Ann", "Block1", "");
    ASSERT_FALSE(block.empty());
    for (char c : std::string("=;\"#[]\n\r\t"))
        EXPECT_EQ(block.find(c), std::string::npos) << "character " << int(c);
    EXPECT_NE(block.find(jp.DictionaryForm), std::string::npos);
    EXPECT_NE(block.find(ru.Word), std::string::npos);
    EXPECT_EQ(Trim(block), block);
    size_t lines = 0;
    for (char c : text) lines += c == '\n';
    EXPECT_EQ(lines, 6u) << text; // [Student Ann], Scores, blank, [Words Student Ann], Block1, Blocks
}

TEST(MyWords, DuplicatesTheCapAndRemovalAcrossBlocks) {
    ProfileOnFile p;
    p.inMemory = true;
    TMyWords words = p.Open();
    std::string why;
    ASSERT_TRUE(words.Add(Word("chat", "Le chat dort.")));
    EXPECT_FALSE(words.Add(Word("chat", "Le chat dort."), &why));
    EXPECT_NE(why.find("already"), std::string::npos) << why;
    EXPECT_TRUE(words.Add(Word("chat", "Un autre chat."))) << "the same word of another line is another entry";
    EXPECT_FALSE(words.Add(Word("  ", "x"), &why));
    EXPECT_EQ(words.Size(), 2u);

    // Fill the list up to the cap; one block key per kBlockSize words.
    for (size_t i = words.Size(); i < TMyWords::kCap; ++i)
        ASSERT_TRUE(words.Add(Word("w" + std::to_string(i), "line " + std::to_string(i), int(i)), &why)) << why;
    const int writesAtCap = p.writes;
    EXPECT_FALSE(words.Add(Word("one more", "line"), &why));
    EXPECT_EQ(why, "Your word list is full (2000 words). Remove some words to make room for new ones.");
    EXPECT_EQ(p.writes, writesAtCap) << "a refused word writes nothing";
    const std::string blocks = p.memory.ReadString("Words Student Ann", "Blocks", "");
    EXPECT_EQ(blocks, std::to_string(TMyWords::kCap / TMyWords::kBlockSize));

    // Loading reads the blocks, not one key per word.
    p.reads = 0;
    TMyWords loaded = p.Open();
    EXPECT_EQ(loaded.Size(), TMyWords::kCap);
    EXPECT_LE(p.reads, int(TMyWords::kCap / TMyWords::kBlockSize) + 2);

    // Removing rewrites only the block that held the word.
    p.writes = 0;
    ASSERT_TRUE(loaded.Remove(25, &why)) << why; // "w25", in the second block
    EXPECT_EQ(p.writes, 1);
    EXPECT_FALSE(loaded.Remove(TMyWords::kCap, &why));
    ASSERT_TRUE(loaded.Add(Word("room again", "line"), &why)) << why;
    EXPECT_EQ(loaded.Words().back().Word, "room again");
    EXPECT_EQ(loaded.Words()[25].Word, "w26");

    TMyWords reread = p.Open();
    ASSERT_EQ(reread.Size(), TMyWords::kCap);
    EXPECT_EQ(reread.Words()[24].Word, "w24");
    EXPECT_EQ(reread.Words()[25].Word, "w26");
    EXPECT_FALSE(reread.Contains("w25", "line 25"));
    EXPECT_TRUE(reread.Contains("room again", "line"));

    // Emptying the list removes its keys.
    for (size_t n = reread.Size(); n > 0; --n) ASSERT_TRUE(reread.Remove(0, &why)) << why;
    EXPECT_EQ(p.memory.ReadString("Words Student Ann", "Blocks", "-"), "-");
    EXPECT_EQ(p.memory.ReadString("Words Student Ann", "Block1", "-"), "-");
    EXPECT_EQ(p.Open().Size(), 0u);
}

TEST(MyWords, DamagedEntriesAreSkippedAndKeptAndFailuresLoseNothing) {
    ProfileOnFile p;
    const std::string good1 = EncodeMyWord(Word("un", "Un."));
    const std::string good2 = EncodeMyWord(Word("deux", "Deux."));
    const std::string bad[] = {"2|future|format|||||||", "1|short|entry", "1|bad\\Zescape|a|b|c|d|1|2|3|e|f",
                               "1|x|a|b|c|d|notanumber|2|3|e|f", "1||a|b|c|d|1|2|3|e|f", "1|\\FF\\FE|a|b|c|d|1|2|3|e|f"};
    std::string block1 = good1;
    for (const std::string& b : bad) block1 += "~" + b;
    block1 += "~" + good2;
    ASSERT_TRUE(WriteProfile("Words Student Ann", "Block1", block1, p.file));
    // The count was lost (a write cut short): the block after it is still found.
    ASSERT_TRUE(WriteProfile("Words Student Ann", "Blocks", "garbage", p.file));
    ASSERT_TRUE(WriteProfile("Words Student Ann", "Block2", EncodeMyWord(Word("trois", "Trois.")), p.file));

    TMyWords words = p.Open();
    ASSERT_EQ(words.Size(), 3u);
    EXPECT_EQ(words.Words()[0].Word, "un");
    EXPECT_EQ(words.Words()[1].Word, "deux");
    EXPECT_EQ(words.Words()[2].Word, "trois");
    EXPECT_EQ(words.Damaged(), std::size(bad));
    EXPECT_NE(words.Message().find("6 entries of your word list could not be read"), std::string::npos)
        << words.Message();

    // Removing "deux" rewrites block 1 with the damaged entries as they were.
    std::string why;
    ASSERT_TRUE(words.Remove(1, &why)) << why;
    std::string expected = good1;
    for (const std::string& b : bad) expected += "~" + b;
    EXPECT_EQ(GetProfile("Words Student Ann", "Block1", "", p.file), expected);

    // A write that fails: the word is refused with the reason, the file and the list as they were.
    const std::string before = tavtest::ReadFile(p.file);
    p.failWrites = true;
    EXPECT_FALSE(words.Add(Word("quatre", "Quatre."), &why));
    EXPECT_EQ(why, "The word could not be saved: Write to Course.ini failed - disk full");
    EXPECT_FALSE(words.Remove(0, &why));
    EXPECT_EQ(words.Size(), 2u);
    EXPECT_EQ(tavtest::ReadFile(p.file), before);
    p.failWrites = false;

    // A profile that cannot be read (the classroom link down): an empty list
    // that refuses to save, so what is stored is not overwritten.
    TMyWords unreadable(MyWordsSection("Student Ann"),
                        [](const std::string&, const std::string&) -> std::string {
                            throw std::runtime_error("The classroom link is not connected");
                        },
                        p.Writer());
    EXPECT_EQ(unreadable.Size(), 0u);
    EXPECT_EQ(unreadable.Message(), "Your word list could not be read: The classroom link is not connected");
    EXPECT_FALSE(unreadable.Add(Word("cinq", "Cinq."), &why));
    EXPECT_EQ(tavtest::ReadFile(p.file), before);
}

TEST(MyWords, BlocksThinnedByRemovalsArePackedWhenTheListGrows) {
    ProfileOnFile p;
    TMyWords words = p.Open();
    std::string why;
    for (int i = 0; i < 100; ++i) ASSERT_TRUE(words.Add(Word("w" + std::to_string(i), "l", i), &why)) << why;
    // Blocks 1 to 4 keep their first word only, block 5 stays full.
    for (int block = 3; block >= 0; --block)
        for (int n = 0; n < 19; ++n) ASSERT_TRUE(words.Remove(size_t(block * 20 + 1), &why)) << why;
    ASSERT_EQ(words.Size(), 24u);
    EXPECT_EQ(GetProfile("Words Student Ann", "Blocks", "", p.file), "5");

    std::vector<std::string> expected;
    for (const TMyWord& w : words.Words()) expected.push_back(w.Word);
    expected.push_back("new");
    ASSERT_TRUE(words.Add(Word("new", "l"), &why)) << why;
    EXPECT_EQ(GetProfile("Words Student Ann", "Blocks", "", p.file), "2");
    for (const char* gone : {"Block3", "Block4", "Block5"})
        EXPECT_EQ(GetProfile("Words Student Ann", gone, "-", p.file), "-") << gone;
    TMyWords reread = p.Open();
    std::vector<std::string> order;
    for (const TMyWord& w : reread.Words()) order.push_back(w.Word);
    EXPECT_EQ(order, expected);

    // Packing cut short after its first block (the disk filled up): the word
    // is refused, the list is what the file holds, nothing lost and nothing
    // shown twice; removing a word takes its hidden second copy too.
    for (int n = 0; n < 75; ++n) ASSERT_TRUE(reread.Add(Word("more" + std::to_string(n), "l"), &why)) << why;
    ASSERT_EQ(GetProfile("Words Student Ann", "Blocks", "", p.file), "5");
    for (int block = 3; block >= 0; --block)
        for (int n = 0; n < 19; ++n) ASSERT_TRUE(reread.Remove(size_t(block * 20 + 1), &why)) << why;
    std::vector<std::string> kept;
    for (const TMyWord& w : reread.Words()) kept.push_back(w.Word);
    ASSERT_EQ(kept.size(), 24u);
    p.failAfter = 1;
    EXPECT_FALSE(reread.Add(Word("refused", "l"), &why));
    EXPECT_EQ(why, "The word could not be saved: Write to Course.ini failed - disk full");
    p.failWrites = false;
    p.failAfter = -1;
    auto words_of = [](const TMyWords& list) {
        std::vector<std::string> v;
        for (const TMyWord& w : list.Words()) v.push_back(w.Word);
        return v;
    };
    EXPECT_EQ(words_of(reread), kept);
    TMyWords afterCut = p.Open();
    EXPECT_EQ(words_of(afterCut), kept);
    EXPECT_EQ(afterCut.Damaged(), 0u);
    EXPECT_GT(GetProfile("Words Student Ann", "Block1", "", p.file).size(),
              GetProfile("Words Student Ann", "Block2", "", p.file).size()) << "block 1 was packed";

    const std::string second = kept[1];
    ASSERT_TRUE(afterCut.Remove(1, &why)) << why;
    kept.erase(kept.begin() + 1);
    EXPECT_EQ(words_of(p.Open()), kept) << second << " does not come back";
    ASSERT_TRUE(afterCut.Add(Word("accepted", "l"), &why)) << why;
    kept.push_back("accepted");
    EXPECT_EQ(words_of(p.Open()), kept);
    EXPECT_EQ(GetProfile("Words Student Ann", "Blocks", "", p.file), "2") << "packed at last";
}
