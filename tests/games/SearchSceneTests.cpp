// The scene range around a found line and the caption's display lines with
// their highlight.
#include <gtest/gtest.h>

#include <QFontMetrics>

#include "tests/TestSupport.h"
#include "games/SearchScene.h"
#include "toolkit/Label.h"

using namespace tav;
using namespace tavtest;

TEST(SearchScene, SceneRangeStaysInsideTheFilm) {
    TMovieEntry e;
    e.StartFrame = 100;
    e.EndFrame = 150;
    const TFilmRange normal = SceneRange(e, 25, 5, 1000);
    EXPECT_EQ(normal.From, 75);
    EXPECT_EQ(normal.To, 155);
    e.StartFrame = 10;
    EXPECT_EQ(SceneRange(e, 25, 5, 1000).From, 0) << "a line at the film's start plays from 0";
    e.EndFrame = 998;
    EXPECT_EQ(SceneRange(e, 25, 5, 1000).To, 1000) << "a line at the film's end stops at its length";
    EXPECT_EQ(SceneRange(e, 25, 5, 0).To, 1003) << "an unknown length does not limit the end";
}

TEST(SearchScene, CaptionHighlightsTheFirstOccurrenceOnEachDisplayLine) {
    const QFont font = PixelFont("Arial", 20);
    const QFontMetrics fm(font);
    // Long enough to wrap at 382 pixels; "the" appears only inside "brother" at the end.
    const std::string text = "Walking along a quiet river early in a grey morning, my brother";
    const auto lines = CaptionLines(text, "the", font, 382);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines.front().HighlightStart, -1);
    const TCaptionLine& last = lines.back();
    const int brother = int(last.Text.indexOf("brother"));
    ASSERT_GE(brother, 0) << "the last display line holds the last word";
    EXPECT_EQ(last.HighlightStart, brother + 3);
    EXPECT_EQ(last.HighlightLength, 3);
    QString joined;
    for (const TCaptionLine& l : lines) {
        EXPECT_LE(fm.horizontalAdvance(l.Text), 382) << l.Text.toStdString();
        joined += (joined.isEmpty() ? "" : " ") + l.Text;
    }
    EXPECT_EQ(joined.toStdString(), text) << "lines break at spaces and lose nothing";

    // Only the first occurrence on a line; positions count the caption's characters.
    const auto one = CaptionLines("L'\xC3\xA9t\xC3\xA9 et l'\xC3\xA9t\xC3\xA9", "\xC3\xA9t\xC3\xA9", font, 382);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].HighlightStart, 2);
    EXPECT_EQ(CaptionLines("Nothing here", "", font, 382)[0].HighlightStart, -1);
}
