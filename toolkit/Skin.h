#pragma once
// The skin: every picture that belongs to the program's own screens (button
// strips, tick and cross, light bars, LED and score digits, spinner, markers,
// lifebelt, volume and scroll parts, plaques, built-in backgrounds) is drawn
// here with QPainter at the size the screen asks for. One palette and one
// look: a small cinema at night, deep blue and charcoal, warm gold and cream
// accents, rounded bevelled plates, clean cream line icons.
//
// Pictures with transparent parts have an alpha channel and a fully
// transparent bottom-left pixel, so both alpha drawing and the colour-key
// rule (bottom-left pixel = transparent colour) give the same result.
#include <QColor>
#include <QImage>
#include <QPainter>
#include <QString>

#include <functional>

#include <string>
#include <vector>

namespace tav::skin {

// Pictures are drawn at this many device pixels per logical pixel (their
// sizes stay logical). 0, the default, follows the display's pixel ratio.
void SetPictureScale(qreal scale);
qreal PictureScale();

// ---- palette
QColor Night();      // deep night blue
QColor NightDeep();  // the darkest background blue
QColor Charcoal();
QColor Gold();
QColor GoldLight();
QColor Cream();
QColor Signal();     // warm red: record, wrong
QColor Go();         // green: right

enum class TIcon {
    None, Back, Play, Stop, Pause, Volume, Hint, Up, Down, Rewind, Forward, Script, Find, Expand, Clapper,
    Sound, Record, PlayBack, Start, Flag, ReadMe, Info, Licence, Print, Activities, ScreenPlay, Quiz,
    Microphone, Dictionary, WordSearch, Vocabulary, MissingWord, NextLine, Spelling,
};

// A four-frame button strip, 4 * w by h: normal, disabled (desaturated, 45 %
// contrast), pressed (inset, darker, one pixel down), hot (warm edge glow).
// testBadge adds a small stopwatch (the test buttons of the activities menu).
QImage ButtonStrip(TIcon icon, int w, int h, bool testBadge = false);
// A button strip like ButtonStrip whose icon the caller draws: a cream line
// drawing into the square box in the given ink (LineIconPen gives the skin's
// stroke). lit: a switched-on toggle, the icon drawn in gold.
using TIconPainter = std::function<void(QPainter& p, const QRectF& box, const QColor& ink)>;
QImage CustomButtonStrip(const TIconPainter& icon, int w, int h, bool lit = false);
QPen LineIconPen(const QRectF& box, const QColor& ink);
// The strip of a named screen button ("Back", "Play", "VocabTest" ...) at
// its size; unknown names give a plain plate.
QImage NamedButtonStrip(const std::string& name, int w, int h);

// A letter tile of the spelling activity: the practice and test tiles and the
// floating tile of a drag (64 x 64) and the filled slot (52 x 51).
enum class TLetterTile { Practice, Test, Floater, Slot };
QImage LetterTile(const QString& letter, TLetterTile kind);

QImage Tick(int w = 42, int h = 45);
QImage Cross(int w = 42, int h = 45);
// A light bar: vertical when h > w. Lit cells glow gold.
QImage LightBar(bool on, int w = 27, int h = 219);
// Seven-segment digit 0..9 on the stopwatch's (137, 169, 160) face.
QImage LedDigit(int digit, int w = 23, int h = 36);
// ---- the film quiz (SkinQuiz.cpp)
// The quiz score images: 0, 1 thousands; 2..11 hundreds 0..9; 12, 13 tens 0 and 5.
std::vector<QImage> ScoreDigitImages(int w, int h);
// Answer marker "A", "B" or "C".
QImage Marker(char letter, int w = 30, int h = 28);
// The opponent's figure under its video (the screen's Image_Player2).
QImage OpponentFigure(int w = 154, int h = 370);
// ----
QImage Lifebelt(int w = 59, int h = 53);
QImage VolumeScale(int w = 18, int h = 118);
QImage VolumeKnob(int w = 18, int h = 9);
QImage ScrollTrack(int w, int h);
QImage ScrollKnob(int w = 22, int h = 22);
// A plain plate that covers a list's own scroll bar.
QImage ScrollCover(int w, int h);
// The missing-word choice plaque; the test plaque is cooler in tone.
QImage Plaque(bool test, int w = 196, int h = 54);
// Spinner frames stacked vertically (frame k at y = k * h).
QImage SpinnerStrip(int frames = 17, int w = 188, int h = 185);
// Bronze, silver and gold award symbols side by side, each w / 3 wide.
QImage AwardStrip(int w = 57, int h = 19);
// The award star animation: frames stacked vertically.
QImage StarStrip(int frames = 20, int w = 36, int h = 35);
// The recording studio's pictures (SkinStudio.cpp).
// Clapperboard digits 1..9.
QImage ClapperDigit(int digit, int w = 20, int h = 20);
// The plate that covers a line's button group when the scene has no such line.
QImage StudioCover(int w = 124, int h = 100);
// The scene choice's card for scene n: a small clapperboard with its number.
QImage SceneThumb(int n, int w = 83, int h = 86);
// Position marker of the screenplay's scale (a small gold arrow).
QImage ScaleArrow(int w = 13, int h = 7);

enum class TBackground {
    Activity, NextLine, Screenplay, Recording, WordSearch, Dictionary, Quiz, HelpLanguage,
    Vocabulary, VocabularyTest, // six picture frames; the test's lie lower
    DropDown,  // the screenplay's script drop-down, 800 x 190
    Bars,      // the next-line choice bars, 750 x 124
    TileArea,  // the spelling tile area, 800 x 260
    TilesTray, // the spelling slot tray, 568 x 83
    TextPanel, // the start menu's text panel
    Stage,     // the course menu and the build screen: the lit stage between film edges
};
QImage Background(TBackground which, int w = 800, int h = 600);
QImage TileSlot(int w = 52, int h = 51);

// The style sheet of the program's message boxes and dialogs: night blue,
// cream text, gold-rimmed rounded buttons.
QString DialogStyleSheet();

// Every skin picture by name, for the contact sheet and the skin test.
struct TSkinPicture {
    std::string Name;
    QImage Picture;
};
std::vector<TSkinPicture> Catalogue();
// All pictures on one sheet with their names.
QImage ContactSheet(const std::vector<TSkinPicture>& pictures, int width = 1600);

} // namespace tav::skin
