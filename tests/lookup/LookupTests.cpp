// The word look-up engine: a dictionary written here (index and dictzip in
// small chunks, entries across chunk boundaries) read back exactly; the
// installed French-English FreeDict; damaged files refused with a message;
// tavolin-disc lookup's exit status and messages; Japanese through MeCab
// (dictionary forms of inflected words, readings, the clicked word of a line).
#include "content/UnicodeText.h"
#include "lookup/WordCardText.h"
#include "lookup/WordLookup.h"
#include "tests/TestSupport.h"
#include "tests/lookup/DictWriter.h"

#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

using namespace tav;
using namespace tavtest;

namespace {

constexpr unsigned kChunk = 64;

std::vector<TWrittenEntry> SampleEntries() {
    std::vector<TWrittenEntry> entries = {
        {"maison", "maison /mɛzɔ̃/ <n, fem>\nhouse\n"},
        {"abandon", "abandon /abɑ̃dɔ̃/ <n, masc>\n1. abandonment\n2. isolation, separation\n         Note: rare\n"},
        {"abatjour", "abat-jour /abaʒuʀ/ <n, masc>\nlamp-shade\n"},
        {"être", "être /ɛtʀ/ <v>\nbe\n"},
        {"gehen", "Gehen /ɡˈeːən/ <neut, n, sg>\ngoing <n>\n"},
        {"gehen", "gehen /ɡˈeːən/ <v, intr>\ngo <v>\n      \"Lass uns gehen!\"  - Let's go!\n"},
        {"家", " [ichi1]  家 /(en)tʃˈaɪniːz(ja)lˈe̞tə/,  [ichi1] いえ /ˈie̞/\n1. (noun (common) (futsuumeishi))\nhouse, residence, dwelling\n2. family, household\n"},
        {" à", "... à /ˈa/\n... to, from ... to\n"},
        {"à", "à /a/ <prep>\n1. at, to\n2. beside, by\n"},
    };
    // Enough further words for many chunks.
    for (int i = 0; i < 40; ++i)
        entries.push_back({"mot" + std::to_string(100 + i), "mot" + std::to_string(100 + i) + " /mo/\nword number " + std::to_string(i) + "\n"});
    return entries;
}

struct TWrittenFiles {
    TempFolder Folder;
    std::vector<TWrittenEntry> Entries = SampleEntries();
    TWrittenDictionary Dict = MakeDictionary(Entries, kChunk);
    std::string Index = Folder.File("freedict-fra-eng.index"), Data = Folder.File("freedict-fra-eng.dict.dz");
    TWrittenFiles() {
        WriteFile(Index, Dict.Index);
        WriteFile(Data, Dict.DictZip);
    }
};

std::string FirstSense(const std::vector<TDictEntry>& entries) {
    return entries.empty() || entries[0].Senses.empty() ? std::string() : entries[0].Senses[0].Text;
}

} // namespace

TEST(Lookup, WrittenDictionaryReadsBackAcrossChunks) {
    SetTextLanguage("fr");
    TWrittenFiles files;
    ASSERT_GT(files.Dict.ChunkSizes.size(), 10u);
    // Every entry, including those that start in one chunk and end in another.
    int spanning = 0;
    TDictData data;
    std::string error;
    ASSERT_TRUE(data.Open(files.Data, error)) << error;
    EXPECT_TRUE(data.Compressed());
    EXPECT_EQ(data.Size(), files.Dict.Text.size());
    for (const auto& e : files.Entries) {
        spanning += e.Offset / kChunk != (e.Offset + e.Length - 1) / kChunk;
        std::string text;
        ASSERT_TRUE(data.Read(e.Offset, e.Length, text, error)) << error;
        EXPECT_EQ(text, e.Text);
    }
    EXPECT_GT(spanning, 5);
    std::string all;
    ASSERT_TRUE(data.Read(0, files.Dict.Text.size(), all, error)) << error;
    EXPECT_EQ(all, files.Dict.Text);

    TDictionary dict;
    ASSERT_TRUE(dict.Open(files.Index, files.Data, error)) << error;
    // Case-insensitive, punctuation as dictfmt drops it, several entries of one headword.
    auto maison = dict.Lookup("MAISON", error);
    ASSERT_EQ(maison.size(), 1u) << error;
    EXPECT_EQ(maison[0].Forms, std::vector<std::string>{"maison"});
    EXPECT_EQ(maison[0].Pronunciations, std::vector<std::string>{"mɛzɔ̃"});
    EXPECT_EQ(maison[0].Grammar, "n, fem");
    EXPECT_EQ(FirstSense(maison), "house");
    EXPECT_EQ(FirstSense(dict.Lookup("abat-jour", error)), "lamp-shade");
    EXPECT_EQ(FirstSense(dict.Lookup("Être", error)), "be");
    const auto gehen = dict.Lookup("gehen", error);
    ASSERT_EQ(gehen.size(), 2u);
    EXPECT_EQ(gehen[1].Senses.at(0).Text, "go <v>");
    EXPECT_EQ(gehen[1].Senses.at(0).Details, std::vector<std::string>{"\"Lass uns gehen!\"  - Let's go!"});
    const auto abandon = dict.Lookup("abandon", error);
    ASSERT_EQ(abandon.at(0).Senses.size(), 2u);
    EXPECT_EQ(abandon[0].Senses[1].Text, "isolation, separation");
    EXPECT_EQ(abandon[0].Senses[1].Details, std::vector<std::string>{"Note: rare"});
    // A Japanese entry: the kana form is the reading; the kanji's made-up IPA is dropped.
    const auto ie = dict.Lookup("家", error);
    ASSERT_EQ(ie.size(), 1u);
    EXPECT_EQ(ie[0].Forms, (std::vector<std::string>{"家", "いえ"}));
    EXPECT_EQ(ie[0].Readings, std::vector<std::string>{"いえ"});
    EXPECT_EQ(ie[0].Pronunciations, std::vector<std::string>{"ˈie̞"});
    EXPECT_EQ(ie[0].Senses.at(0).Text, "(noun (common) (futsuumeishi)) house, residence, dwelling");
    // "à" and the headword written " à" (for "... à").
    EXPECT_EQ(dict.Lookup("à", error).size(), 2u);
    for (int i = 0; i < 40; ++i)
        EXPECT_EQ(FirstSense(dict.Lookup("mot" + std::to_string(100 + i), error)), "word number " + std::to_string(i));
    EXPECT_TRUE(dict.Lookup("mot99", error).empty());
    EXPECT_TRUE(dict.Lookup("zzz", error).empty());
    EXPECT_TRUE(dict.Lookup("", error).empty());
    EXPECT_EQ(error, "");

    // An 8-bit dictionary (no 00-database-utf8 entry) sorted as `sort -df`
    // sorts: case folded, only letters, digits and blanks counting.
    TDictdIndex legacy;
    ASSERT_TRUE(legacy.OpenBytes("Apple\tA\tB\nbanana\tB\tB\ncherry\tD\tB\nCherry-tree\tC\tB\nZebra\tE\tB\n", error));
    EXPECT_FALSE(legacy.Utf8());
    for (const char* w : {"apple", "BANANA", "zebra"}) EXPECT_EQ(legacy.Find(w).Entries.size(), 1u) << w;
    EXPECT_EQ(legacy.Find("cherry").Entries.at(0).Offset, 3u);
    EXPECT_EQ(legacy.Find("cherry tree").Entries.size(), 0u);

    // The same text as a plain .dict.
    WriteFile(files.Folder.File("plain.dict"), files.Dict.Text);
    TDictionary plain;
    ASSERT_TRUE(plain.Open(files.Index, files.Folder.File("plain.dict"), error)) << error;
    EXPECT_EQ(FirstSense(plain.Lookup("mot139", error)), "word number 39");
}

TEST(Lookup, InstalledFrenchEnglish) {
    SetTextLanguage("fr");
    const TDictionaryPair pair = FindDictionaryPair("fr", "en", kDictdFolder);
    if (!pair.Installed) GTEST_SKIP() << pair.Missing;
    TWordLookup lookup;
    std::string error;
    ASSERT_TRUE(lookup.Open("fr", "en", error, kDictdFolder)) << error;
    const TWordLookupResult maison = lookup.Lookup("maison");
    ASSERT_TRUE(maison.Found()) << maison.Error;
    EXPECT_TRUE(maison.DictionaryForms.empty());
    bool house = false;
    for (const auto& e : maison.Entries)
        for (const auto& s : e.Senses) house |= s.Text.find("house") != std::string::npos;
    EXPECT_TRUE(house);
    EXPECT_EQ(maison.Error, "");
    const TWordLookupResult maisons = lookup.Lookup("Maisons");
    if (!lookup.StemmingNote().empty()) GTEST_SKIP() << lookup.StemmingNote();
    ASSERT_TRUE(maisons.Found());
    EXPECT_EQ(maisons.DictionaryForms, std::vector<std::string>{"maison"});
    EXPECT_EQ(lookup.Lookup("mangeons").DictionaryForms, std::vector<std::string>{"manger"});
    EXPECT_EQ(lookup.Lookup("l'abandon").DictionaryForms, std::vector<std::string>{"abandon"});
}

TEST(Lookup, DamagedFilesGiveAMessage) {
    SetTextLanguage("fr");
    TWrittenFiles files;
    std::string error;
    auto openData = [&](const std::string& bytes) {
        TDictData data;
        error.clear();
        return data.OpenBytes(bytes, error);
    };
    const std::string& dz = files.Dict.DictZip;
    // Missing files.
    TDictionary missing;
    EXPECT_FALSE(missing.Open(files.Folder.File("none.index"), files.Data, error));
    EXPECT_NE(error.find("cannot open the dictionary index"), std::string::npos) << error;
    EXPECT_FALSE(missing.Open(files.Index, files.Folder.File("none.dict.dz"), error));
    EXPECT_NE(error.find("cannot open the dictionary data"), std::string::npos) << error;
    EXPECT_TRUE(missing.Lookup("maison", error).empty());

    // Corrupt headers: no RA subfield, an unknown version, no chunks, a cut file.
    std::string noRa = dz;
    noRa[12 + 0] = 'X';
    EXPECT_FALSE(openData(noRa));
    EXPECT_NE(error.find("no random-access (RA) subfield"), std::string::npos) << error;
    std::string version = dz;
    version[12 + 4] = 7;
    EXPECT_FALSE(openData(version));
    EXPECT_NE(error.find("random-access version 7"), std::string::npos) << error;
    std::string noChunks = dz;
    noChunks[12 + 8] = noChunks[12 + 9] = 0;
    EXPECT_FALSE(openData(noChunks));
    EXPECT_NE(error.find("damaged dictzip header"), std::string::npos) << error;
    EXPECT_FALSE(openData(dz.substr(0, 11)));
    EXPECT_NE(error.find("too short"), std::string::npos) << error;
    EXPECT_FALSE(openData(dz.substr(0, dz.size() / 2)));
    EXPECT_NE(error.find("truncated dictzip file"), std::string::npos) << error;

    // A chunk cut short by its table entry (the bytes after it move to the
    // next chunk), and a chunk of garbage: the read fails with a message,
    // the other chunks still read.
    const size_t tableAt = 12 + 10;
    std::string cut = dz;
    cut[tableAt + 2 * 3] = static_cast<char>(files.Dict.ChunkSizes[3] / 2);
    cut[tableAt + 2 * 3 + 1] = 0;
    TDictData data;
    ASSERT_TRUE(data.OpenBytes(cut, error)) << error;
    std::string text;
    EXPECT_FALSE(data.Read(3 * kChunk, 10, text, error));
    EXPECT_NE(error.find("dictzip chunk 4 of"), std::string::npos) << error;
    EXPECT_TRUE(data.Read(0, 10, text, error)) << error;
    std::string garbage = dz;
    size_t chunk5 = 12 + 10 + 2 * files.Dict.ChunkSizes.size() + std::string("test.dict").size() + 1;
    for (size_t i = 0; i < 5; ++i) chunk5 += files.Dict.ChunkSizes[i];
    for (size_t i = 0; i < files.Dict.ChunkSizes[5]; ++i) garbage[chunk5 + i] = static_cast<char>(0xff - i);
    ASSERT_TRUE(data.OpenBytes(garbage, error)) << error;
    EXPECT_FALSE(data.Read(5 * kChunk, 10, text, error));
    EXPECT_NE(error.find("dictzip chunk 6 of"), std::string::npos) << error;

    // An index line past the data, and one with a digit outside dictd's alphabet.
    TDictionary dict;
    ASSERT_TRUE(dict.OpenBytes("00databaseutf8\tA\tB\nfar\tBAAAA\tB\nmaison\tA!\tB\n", dz, error)) << error;
    EXPECT_TRUE(dict.Lookup("far", error).empty());
    EXPECT_NE(error.find("points past the end of the data"), std::string::npos) << error;
    EXPECT_TRUE(dict.Lookup("maison", error).empty());
    EXPECT_NE(error.find("damaged index line \"maison A! B\""), std::string::npos) << error;
    // An entry longer than any entry can be.
    ASSERT_TRUE(dict.OpenBytes("00databaseutf8\tA\tB\nhuge\tA\t/////\n", dz, error)) << error;
    EXPECT_TRUE(dict.Lookup("huge", error).empty());
    EXPECT_NE(error.find("longer than any dictionary entry"), std::string::npos) << error;
}

TEST(Lookup, ToolStatusAndMissingPair) {
    TWrittenFiles files;
    auto run = [&](const QStringList& args, std::string& out, std::string& err) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("TAVOLIN_DICTD_DIR", QString::fromStdString(files.Folder.Path()));
        p.setProcessEnvironment(env);
        p.start(TAVOLIN_DISC_TOOL, QStringList{"lookup"} + args);
        EXPECT_TRUE(p.waitForFinished(60000));
        out = p.readAllStandardOutput().toStdString();
        err = p.readAllStandardError().toStdString();
        return p.exitCode();
    };
    std::string out, err;
    EXPECT_EQ(run({"Abandon", "--lang", "fr"}, out, err), 0) << err;
    EXPECT_EQ(out, "abandon  /abɑ̃dɔ̃/  <n, masc>\n  1. abandonment\n  2. isolation, separation\n       Note: rare\n");
    EXPECT_EQ(run({"家", "--lang", "fr", "--help-lang", "en"}, out, err), 0) << err;
    EXPECT_NE(out.find("家  reading: いえ  /ˈie̞/"), std::string::npos) << out;
    EXPECT_EQ(run({"nothing", "--lang", "fr"}, out, err), 1);
    EXPECT_NE(err.find("\"nothing\" is not in the French-English dictionary"), std::string::npos) << err;
    EXPECT_EQ(run({"дом", "--lang", "ru"}, out, err), 1);
    EXPECT_NE(err.find("install the Debian package dict-freedict-rus-eng"), std::string::npos) << err;
    EXPECT_EQ(run({"maison", "--lang", "xx"}, out, err), 1);
    EXPECT_NE(err.find("no dictionary is known for the language code \"xx\""), std::string::npos) << err;
    // Without a pair the card still has the dictionary form, and says what is missing.
    SetTextLanguage("fr");
    TWordLookup none;
    std::string missing;
    EXPECT_FALSE(none.Open("fr", "en", missing, files.Folder.Path() + "/nothing-here"));
    const TWordLookupResult forms = none.Lookup("maisons");
    EXPECT_EQ(forms.DictionaryForms, std::vector<std::string>{"maison"});
    const TWordCardText card = WordCardTextOf("maisons", &forms, missing);
    EXPECT_EQ(card.DictionaryForms, std::vector<std::string>{"maison"});
    EXPECT_EQ(card.Note, missing);
    EXPECT_NE(missing.find("dict-freedict-fra-eng"), std::string::npos) << missing;
    EXPECT_EQ(run({"maison"}, out, err), 2);
    EXPECT_EQ(run({"maison", "--lang"}, out, err), 2);
    EXPECT_EQ(run({"maison", "house", "--lang", "fr"}, out, err), 2);
    EXPECT_NE(err.find("usage: tavolin-disc lookup WORD --lang CODE"), std::string::npos) << err;
}

// ---- Japanese through MeCab ----------------------------------------------------

namespace {

std::vector<std::string> BaseForms(const std::vector<TJapaneseForm>& forms) {
    std::vector<std::string> out;
    for (const TJapaneseForm& f : forms) out.push_back(f.BaseForm);
    return out;
}

// The text of the word WordAt gives for the byte offset of `at` (its first
// occurrence) in the line; "" for none.
std::string ClickedWord(TJapaneseForms& forms, const std::string& line, const std::string& at, size_t extra = 0) {
    const size_t offset = line.find(at);
    EXPECT_NE(offset, std::string::npos) << at;
    const std::optional<TWordSpan> span = forms.WordAt(line, offset + extra);
    return span ? line.substr(span->Begin, span->End - span->Begin) : std::string();
}

} // namespace

TEST(JapaneseLookup, DictionaryFormsAndReadings) {
    TJapaneseForms forms;
    std::string error;
    ASSERT_TRUE(forms.Open(error)) << error;
    struct TCase {
        const char* Text;
        std::vector<std::string> Bases;
        const char* FirstReading;
    };
    const TCase cases[] = {
        {"食べました", {"食べる"}, "たべる"},          // verb + ます + た
        {"行かない", {"行く"}, "いく"},                // godan, negative
        {"来なかった", {"来る"}, "くる"},              // irregular: 来(こ) reads く in 来る
        {"美味しかった", {"美味しい"}, "おいしい"},    // i-adjective, past
        {"大きくない", {"大きい"}, "おおきい"},
        {"書かれた", {"書く"}, "かく"},                // passive
        {"勉強しています", {"勉強する", "勉強"}, "べんきょうする"}, // suru noun
        {"学校へ", {"学校"}, "がっこう"},              // noun with a particle
        {"学校へ行きます", {"学校", "行く"}, "がっこう"},
        {"コンピューターを", {"コンピューター"}, "こんぴゅーたー"}, // katakana loanword
        {"経済的な", {"経済的", "経済"}, "けいざいてき"}, // kanji compound with な
        {"お水を", {"お水", "水"}, "おみず"},          // prefix
        {"を", {"を"}, "を"},                          // a particle alone is looked up as itself
        {"２０人", {"２０人", "人"}, ""},              // MeCab reads digits one by one: no reading; the counter
    };
    for (const TCase& c : cases) {
        const std::vector<TJapaneseForm> got = forms.DictionaryForms(c.Text);
        EXPECT_EQ(BaseForms(got), c.Bases) << c.Text;
        if (!got.empty()) {
            EXPECT_EQ(got[0].Reading, c.FirstReading) << c.Text;
        }
    }
    EXPECT_EQ(forms.Reading("食べました"), "たべました");
    EXPECT_EQ(forms.Reading("日本語の映画"), "にほんごのえいが");
    EXPECT_EQ(HiraganaFromKatakana("コンピューター・ヴァヽヷ食べA"), "こんぴゅーたー・ゔぁゝヷ食べA");
    EXPECT_TRUE(IsKanaText("たべるー"));
    EXPECT_FALSE(IsKanaText("食べる"));
    EXPECT_TRUE(HasKanji("人々"));
    // Text MeCab is not given: invalid UTF-8, too long.
    EXPECT_TRUE(forms.Words("\xE9\xA3\x9F\xFF").empty());
    EXPECT_TRUE(forms.Words(std::string(TJapaneseForms::kMaxText + 3, 'a')).empty());
}

TEST(JapaneseLookup, WordAtAClickedCharacter) {
    TJapaneseForms forms;
    std::string error;
    ASSERT_TRUE(forms.Open(error)) << error;
    const std::string line = "私は昨日、友達と映画を見に行きました。 テレビを見ていた";
    EXPECT_EQ(ClickedWord(forms, line, "私"), "私");
    EXPECT_EQ(ClickedWord(forms, line, "映画", 3), "映画");            // the second character of the word
    EXPECT_EQ(ClickedWord(forms, line, "まし"), "行きました");         // an auxiliary: the whole verb
    EXPECT_EQ(ClickedWord(forms, line, "行き", 1), "行きました");      // a byte inside a character
    EXPECT_EQ(ClickedWord(forms, line, "を見に"), "を");              // a particle is its own word
    EXPECT_EQ(ClickedWord(forms, line, "ていた"), "見ていた");         // te-form with いる
    EXPECT_EQ(ClickedWord(forms, line, "、"), "");
    EXPECT_EQ(ClickedWord(forms, line, "。"), "");
    EXPECT_EQ(ClickedWord(forms, line, " "), "");                    // the space MeCab skips
    EXPECT_FALSE(forms.WordAt(line, line.size()));
    EXPECT_FALSE(forms.WordAt("\xFF\xFE", 0));
    // The words cover the line in order and never overlap.
    size_t end = 0;
    for (const TJapaneseWord& w : forms.Words(line)) {
        EXPECT_GE(w.Span.Begin, end);
        EXPECT_LT(w.Span.Begin, w.Span.End);
        EXPECT_EQ(line.substr(w.Span.Begin, w.Span.End - w.Span.Begin), w.Surface);
        end = w.Span.End;
    }
    EXPECT_EQ(end, line.size());
}

TEST(JapaneseLookup, InstalledJapaneseEnglish) {
    SetTextLanguage("ja");
    const TDictionaryPair pair = FindDictionaryPair("ja", "en", kDictdFolder);
    ASSERT_TRUE(pair.Installed) << pair.Missing;
    TWordLookup lookup;
    std::string error;
    ASSERT_TRUE(lookup.Open("ja", "en", error, kDictdFolder)) << error;
    const TWordLookupResult ate = lookup.Lookup("食べました");
    ASSERT_TRUE(ate.Found()) << lookup.StemmingNote();
    EXPECT_EQ(ate.DictionaryForms, std::vector<std::string>{"食べる"});
    EXPECT_EQ(ate.Reading, "たべる");
    EXPECT_NE(FirstSense(ate.Entries).find("to eat"), std::string::npos) << FirstSense(ate.Entries);
    EXPECT_EQ(lookup.StemmingNote(), "");
    // Found as written: the entry's readings, MeCab's choice first.
    const TWordLookupResult japanese = lookup.Lookup("日本語");
    ASSERT_TRUE(japanese.Found());
    EXPECT_TRUE(japanese.DictionaryForms.empty());
    EXPECT_EQ(japanese.Reading, "にほんご");
    // An antonym in braces glued to the translation: the translation is the sense.
    const TWordLookupResult hot = lookup.Lookup("暑い");
    ASSERT_TRUE(hot.Found());
    EXPECT_NE(FirstSense(hot.Entries).find("hot (weather, etc.), warm"), std::string::npos) << FirstSense(hot.Entries);
    const TWordLookupResult tv = lookup.Lookup("テレビを");
    EXPECT_EQ(tv.DictionaryForms, std::vector<std::string>{"テレビ"});
    EXPECT_EQ(tv.Reading, ""); // kana only: nothing to read
    EXPECT_EQ(lookup.Lookup("行かない").Reading, "いく");
    const std::string line = "映画を見に行きました";
    const std::optional<TWordSpan> span = lookup.WordAt(line, line.find("した"));
    ASSERT_TRUE(span);
    EXPECT_EQ(line.substr(span->Begin, span->End - span->Begin), "行きました");

    // tavolin-disc prints the reading of the headword.
    QProcess p;
    p.start(TAVOLIN_DISC_TOOL, QStringList{"lookup", "食べました", "--lang", "ja", "--help-lang", "en"});
    ASSERT_TRUE(p.waitForFinished(60000));
    const std::string out = p.readAllStandardOutput().toStdString();
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    EXPECT_EQ(out.rfind("食べました: dictionary form 食べる\n食べる: reading たべる\n食べる", 0), 0u) << out;
}

TEST(JapaneseLookup, MissingMecabDictionary) {
    TempFolder folder;
    TJapaneseForms forms;
    std::string error;
    EXPECT_FALSE(forms.Open(error, folder.File("none")));
    EXPECT_NE(error.find("no MeCab dictionary in " + folder.File("none")), std::string::npos) << error;
    EXPECT_NE(error.find("mecab-ipadic-utf8"), std::string::npos) << error;
    EXPECT_TRUE(forms.Words("食べました").empty());
    EXPECT_TRUE(forms.DictionaryForms("食べました").empty());
    EXPECT_FALSE(forms.WordAt("食べました", 0));
    // A damaged dictionary is refused by MeCab, with a message.
    WriteFile(folder.File("sys.dic"), std::string(5000, '\x7F'));
    WriteFile(folder.File("dicrc"), "cost-factor = 800\n");
    error.clear();
    EXPECT_FALSE(forms.Open(error, folder.Path()));
    EXPECT_NE(error.find("MeCab cannot load the dictionary in " + folder.Path()), std::string::npos) << error;
    // The EUC-JP IPA dictionary, where Debian's mecab-ipadic put it.
    if (QFileInfo::exists("/var/lib/mecab/dic/ipadic/sys.dic")) {
        error.clear();
        EXPECT_FALSE(forms.Open(error, "/var/lib/mecab/dic/ipadic"));
        EXPECT_NE(error.find("is in EUC-JP, not UTF-8"), std::string::npos) << error;
    }

    // The look-up goes on without dictionary forms, and says why.
    SetTextLanguage("ja");
    const TDictionaryPair pair = FindDictionaryPair("ja", "en", kDictdFolder);
    ASSERT_TRUE(pair.Installed) << pair.Missing;
    TWordLookup lookup;
    ASSERT_TRUE(lookup.Open("ja", "en", error, kDictdFolder, kHunspellFolder, folder.File("none"))) << error;
    const TWordLookupResult ate = lookup.Lookup("食べました");
    EXPECT_FALSE(ate.Found());
    EXPECT_EQ(ate.Error, "");
    EXPECT_NE(lookup.StemmingNote().find("no dictionary forms: no MeCab dictionary"), std::string::npos) << lookup.StemmingNote();
    const TWordLookupResult eat = lookup.Lookup("食べる");
    EXPECT_TRUE(eat.Found());
    EXPECT_EQ(eat.Reading, "たべる"); // the entry's own
    const std::string line = "映画を見に行きました";
    EXPECT_TRUE(lookup.WordAt(line, 0)); // ICU's words instead
}
