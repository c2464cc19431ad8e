// The owner-drawn list, the single-line edit and the panels.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTest>

#include "toolkit/Edit.h"
#include "toolkit/ListBox.h"
#include "toolkit/Panel.h"

using tav::TCoolEdit;
using tav::TCoolListBox;

namespace {

std::vector<std::string> Names(int n) {
    std::vector<std::string> items;
    for (int i = 0; i < n; ++i) items.push_back("item " + std::to_string(i));
    return items;
}

void Click(QWidget* w, QPoint pos) {
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(pos), w->mapToGlobal(QPointF(pos)), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(pos), w->mapToGlobal(QPointF(pos)), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &release);
}

// Types text as key presses carrying the characters (any alphabet; one
// press per code point, as a keyboard sends a character outside the BMP).
void Type(QWidget* w, const QString& text) {
    for (char32_t c : text.toUcs4()) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString::fromUcs4(&c, 1));
        QApplication::sendEvent(w, &press);
    }
}

QImage Render(QWidget& w) {
    QImage image(w.size(), QImage::Format_RGB32);
    image.fill(qRgb(1, 2, 3));
    w.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

} // namespace

TEST(ListBox, RowsTopIndexAndScrollBar) {
    TCoolListBox list;
    list.resize(200, 130);
    list.SetItemHeight(16);
    EXPECT_EQ(list.VisibleRows(), 8);
    list.SetItems(Names(8));
    EXPECT_FALSE(list.ScrollBarVisible()); // eight fit
    list.SetItems(Names(9));
    EXPECT_TRUE(list.ScrollBarVisible());
    list.SetTopIndex(5);
    EXPECT_EQ(list.TopIndex(), 1); // at most Count - VisibleRows
    list.SetTopIndex(-3);
    EXPECT_EQ(list.TopIndex(), 0);
    list.SetItems(Names(30));
    list.SetTopIndex(10);
    EXPECT_EQ(list.ItemAtPos({10, 0}), 10);
    EXPECT_EQ(list.ItemAtPos({10, 127}), 17);
    EXPECT_EQ(list.ItemAtPos({195, 5}), -1); // on the scroll bar
    auto* bar = list.findChild<QScrollBar*>();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->value(), 10);
    bar->setValue(3);
    EXPECT_EQ(list.TopIndex(), 3);
    list.SetItems(Names(2));
    EXPECT_EQ(list.TopIndex(), 0);
    EXPECT_EQ(list.ItemAtPos({10, 40}), -1);
}

TEST(ListBox, ClickSelectsAndOwnerDrawsEveryVisibleRow) {
    TCoolListBox list;
    list.resize(100, 48);
    list.SetItemHeight(16);
    list.SetItems(Names(10));
    list.SetTopIndex(4);
    std::vector<std::pair<int, bool>> drawn;
    list.OnDrawItem = [&](TCoolListBox*, QPainter& p, int index, const QRect& r, bool selected) {
        drawn.emplace_back(index, selected);
        p.fillRect(r, selected ? Qt::red : Qt::green);
    };
    int clicks = 0;
    list.OnClick = [&](TCoolListBox* s) { clicks += s->ItemIndex(); };
    Click(&list, {5, 20});
    EXPECT_EQ(list.ItemIndex(), 5);
    EXPECT_EQ(clicks, 5);
    const QImage shown = Render(list);
    EXPECT_EQ(shown.pixel(5, 20), qRgb(255, 0, 0));
    EXPECT_EQ(shown.pixel(5, 40), qRgb(0, 255, 0));
    ASSERT_EQ(drawn.size(), 3u);
    EXPECT_EQ(drawn[0], std::make_pair(4, false));
    EXPECT_EQ(drawn[1], std::make_pair(5, true));
}

TEST(ListBox, BackgroundPictureShowsBehindRows) {
    TCoolListBox list;
    list.resize(50, 40);
    QImage back(50, 40, QImage::Format_RGB32);
    back.fill(qRgb(7, 8, 9));
    list.SetBackground(back);
    list.SetItems({"x"});
    EXPECT_EQ(Render(list).pixel(40, 35), qRgb(7, 8, 9));
}

TEST(Edit, TextIsUtf8OfAnyScriptAndTheLengthCountsCharacters) {
    TCoolEdit edit;
    edit.SetMaxLength(5);
    edit.show();
    Type(&edit, QStringLiteral("abcdefgh"));
    EXPECT_EQ(edit.Text(), "abcde");
    edit.clear();
    // Five characters, eleven UTF-16 units: e with a combining accent, a
    // Devanagari syllable with its vowel sign, a letter outside the BMP.
    Type(&edit, QString::fromUtf8("e\u0301\u0928\u093F\U00010400Жa\u4E2Dx"));
    EXPECT_EQ(edit.Text(), "e\u0301\u0928\u093F\U00010400Жa");
    edit.clear();
    edit.SetMaxLength(28);
    edit.SetText("Ελένη Иван");
    EXPECT_EQ(edit.text(), QString::fromUtf8("Ελένη Иван"));
    EXPECT_EQ(edit.Text(), "Ελένη Иван");
    // Control and invisible direction characters are not taken.
    edit.clear();
    Type(&edit, QString::fromUtf8("a\tЖ\u202Eb"));
    EXPECT_EQ(edit.Text(), "aЖb");
}

TEST(Panel, ColourAndClear) {
    tav::TPanel panel(nullptr, QColor(10, 20, 30));
    panel.resize(20, 10);
    EXPECT_EQ(Render(panel).pixel(3, 3), qRgb(10, 20, 30));
    panel.SetColor(QColor());
    EXPECT_EQ(Render(panel).pixel(3, 3), qRgb(1, 2, 3));
}
