// The "My words" panel over the film: it fits the 800 x 600 scene, lists the
// words with their lines, Play hands the viewer the right word, Remove takes
// the word out of the saved list, Escape and Close close it, and Export to
// Anki writes the deck file and says so in its status line. With
// TAVOLIN_SHOT_DIR set it leaves a picture of itself there.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QShortcut>
#include <QTest>

#include <map>

#include "../TestSupport.h"
#include "content/IniFile.h"
#include "toolkit/Skin.h"
#include "viewer/AnkiPackage.h"
#include "viewer/MyWordsPanel.h"

using namespace tav;

namespace {

struct MemoryProfile {
    TIniFile ini;
    TMyWords::TRead Reader() {
        return [this](const std::string& s, const std::string& k) { return ini.ReadString(s, k, ""); };
    }
    TMyWords::TWrite Writer() {
        return [this](const std::string& s, const std::string& k, const std::string& v) {
            if (v.empty()) ini.DeleteKey(s, k);
            else ini.WriteString(s, k, v);
        };
    }
};

TMyWord W(const char* word, const char* form, const char* reading, const char* sense, const char* line, int seq) {
    TMyWord w;
    w.Word = word;
    w.DictionaryForm = form;
    w.Reading = reading;
    w.Sense = sense;
    w.Line = line;
    w.SequenceNumber = seq;
    w.StartFrame = seq * 50;
    w.EndFrame = seq * 50 + 40;
    return w;
}

void Shot(QWidget& scene, const char* name) {
    const QString dir = qEnvironmentVariable("TAVOLIN_SHOT_DIR");
    if (dir.isEmpty()) return;
    scene.grab().save(QDir(dir).filePath(QString::fromLatin1(name)));
}

} // namespace

TEST(MyWordsPanel, ListsPlaysRemovesClosesAndExports) {
    MemoryProfile profile;
    TMyWords words(MyWordsSection("Student Ann"), profile.Reader(), profile.Writer());
    ASSERT_TRUE(words.Add(W("maisons", "maison", "", "house, home", "Les maisons sont grandes.", 3)));
    ASSERT_TRUE(words.Add(W("\xE9\xA3\x9F\xE3\x81\xB9\xE3\x81\x9F", "\xE9\xA3\x9F\xE3\x81\xB9\xE3\x82\x8B",
                            "\xE3\x81\x9F\xE3\x81\xB9\xE3\x82\x8B", "to eat",
                            "\xE3\x81\x94\xE9\xA3\xAF\xE3\x82\x92\xE9\xA3\x9F\xE3\x81\xB9\xE3\x81\x9F\xE3\x80\x82", 4)));
    ASSERT_TRUE(words.Add(W("\xD0\xB4\xD0\xBE\xD0\xBC\xD0\xB0", "\xD0\xB4\xD0\xBE\xD0\xBC", "", "at home",
                            "\xD0\xAF \xD0\xB4\xD0\xBE\xD0\xBC\xD0\xB0.", 5)));
    for (int i = 0; i < 9; ++i)
        ASSERT_TRUE(words.Add(W("mangeons", "manger", "", "to eat; to have a meal (a very long meaning that does not fit "
                                "in the row and is cut with an ellipsis)",
                                ("Nous mangeons ensemble, line " + std::to_string(i)).c_str(), 10 + i)));

    // The scene: 800 x 600 with a film picture behind the panel.
    QWidget scene;
    scene.resize(800, 600);
    scene.setAutoFillBackground(true);
    QPalette pal;
    QImage film(800, 600, QImage::Format_RGB32);
    {
        QPainter p(&film);
        QLinearGradient g(0, 0, 800, 600);
        g.setColorAt(0, QColor(90, 110, 80));
        g.setColorAt(1, QColor(40, 50, 70));
        p.fillRect(film.rect(), g);
    }
    pal.setBrush(QPalette::Window, QBrush(film));
    scene.setPalette(pal);

    tavtest::TempFolder docs;
    auto* panel = new TMyWordsPanel(&scene, words, 1); // port 1: no Anki there
    EXPECT_TRUE(QRect(0, 0, 800, 600).contains(panel->geometry()));
    std::vector<std::string> played;
    panel->OnPlayLine = [&](const TMyWord& w) { played.push_back(w.Line); };
    int closed = 0;
    panel->OnClose = [&] { ++closed; };
    panel->ExportSource = [&](const std::vector<TMyWord>& list) {
        TWordsExport e;
        for (const TMyWord& w : list) {
            e.Words.push_back(w);
            TLineExport line;
            line.Text = w.Line;
            line.Title = "Biscuit";
            e.Lines.push_back(line);
        }
        e.Title = "Biscuit";
        e.DeckFolder = docs.Path();
        return e;
    };
    scene.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&scene));
    panel->setFocus();

    EXPECT_GE(panel->VisibleRows(), 7);
    EXPECT_LT(panel->VisibleRows(), 12) << "twelve words need scrolling";
    for (int i = 0; i < panel->VisibleRows(); ++i) {
        EXPECT_TRUE(panel->ListArea().contains(panel->RowRect(i))) << i;
        EXPECT_TRUE(panel->RowRect(i).contains(panel->PlayButton(i)));
        EXPECT_FALSE(panel->PlayButton(i).intersects(panel->RemoveButton(i)));
    }
    EXPECT_TRUE(panel->RowRect(panel->VisibleRows()).isNull());
    Shot(scene, "mywords-panel.png");

    QTest::mouseClick(panel, Qt::LeftButton, {}, panel->PlayButton(1).center());
    ASSERT_EQ(played.size(), 1u);
    EXPECT_EQ(played[0], words.Words()[1].Line);

    // Scrolled to the end, the last word's Play plays the last line.
    QTest::keyClick(panel, Qt::Key_End);
    EXPECT_EQ(panel->FirstVisibleRow(), 12 - panel->VisibleRows());
    QTest::mouseClick(panel, Qt::LeftButton, {}, panel->PlayButton(11).center());
    ASSERT_EQ(played.size(), 2u);
    EXPECT_EQ(played[1], "Nous mangeons ensemble, line 8");
    QTest::keyClick(panel, Qt::Key_Home);
    EXPECT_EQ(panel->FirstVisibleRow(), 0);

    // Remove takes the word out of the saved list.
    QTest::mouseClick(panel, Qt::LeftButton, {}, panel->RemoveButton(0).center());
    ASSERT_EQ(words.Size(), 11u);
    EXPECT_EQ(words.Words()[0].Word, "\xE9\xA3\x9F\xE3\x81\xB9\xE3\x81\x9F");
    EXPECT_EQ(panel->Status(), QString::fromUtf8("\u201Cmaisons\u201D removed from your words."));
    EXPECT_EQ(TMyWords(MyWordsSection("Student Ann"), profile.Reader(), profile.Writer()).Size(), 11u);

    // Export to Anki: no Anki, so the film's deck file, said in the status line.
    QTest::mouseClick(panel, Qt::LeftButton, {}, panel->ExportButton().center());
    EXPECT_TRUE(panel->Exporting());
    ASSERT_TRUE(tavtest::WaitUntil([&] { return !panel->Exporting(); }, 20000));
    const std::string deck = AnkiPackagePath(docs.Path(), "Biscuit");
    EXPECT_TRUE(QFile::exists(QString::fromStdString(deck)));
    EXPECT_TRUE(panel->Status().startsWith("Anki is not running: 11 words were added to the deck file " +
                                           QString::fromStdString(deck)))
        << panel->Status().toStdString();
    Shot(scene, "mywords-exported.png");

    // Escape closes the panel, not whatever the viewer has on Escape.
    int viewerEscape = 0;
    QShortcut escape(QKeySequence(Qt::Key_Escape), &scene);
    escape.setContext(Qt::WindowShortcut);
    QObject::connect(&escape, &QShortcut::activated, [&] { ++viewerEscape; });
    QTest::keyClick(panel, Qt::Key_Escape);
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(viewerEscape, 0);
    panel->show();
    QTest::mouseClick(panel, Qt::LeftButton, {}, panel->CloseButton().center());
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(closed, 2);

    // An empty list says how to fill it and has nothing to export.
    TMyWords none("Words Student Bob", profile.Reader(), profile.Writer());
    TMyWordsPanel empty(&scene, none, 1);
    empty.show();
    empty.ExportAll();
    EXPECT_EQ(empty.Status(), "Your word list is empty: there is nothing to export.");
    EXPECT_FALSE(empty.Exporting());
    Shot(scene, "mywords-empty.png");
}
