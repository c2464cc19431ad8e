#include "Pictures.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QStringDecoder>
#include <cmath>

#include "MacText.h"
#include "content/LanguageCodes.h"
#include "Style.h"

namespace demodisc {

namespace {

using namespace palette;

// A framed slot where one of the program's buttons sits, with its label under it.
void ButtonSlot(QPainter& p, const QRectF& r, const QString& label, bool labelBelow = true) {
    PaintPlate(p, r.adjusted(-6, -6, 6, 6), Charcoal.lighter(140), Gold, 10);
    if (label.isEmpty()) return;
    p.setFont(Font(13, true));
    const QRectF lr = labelBelow ? QRectF(r.left() - 40, r.bottom() + 8, r.width() + 80, 18)
                                 : QRectF(r.left() + 6, r.bottom() - 24, r.width() - 12, 20);
    PaintShadowText(p, lr, Qt::AlignCenter, label, Cream);
}

void Title(QPainter& p, const QRectF& r, const QString& text, int size) {
    p.setFont(Font(size, true, false, "DejaVu Serif"));
    PaintShadowText(p, r, Qt::AlignCenter, text, Gold);
}

void Marquee(QPainter& p, const QRectF& r) {
    // A row of little theatre bulbs.
    p.save();
    p.setPen(Qt::NoPen);
    for (double x = r.left() + 8; x < r.right(); x += 22) {
        p.setBrush(QColor(255, 220, 120, 60));
        p.drawEllipse(QPointF(x, r.center().y()), 6, 6);
        p.setBrush(QColor(255, 236, 170));
        p.drawEllipse(QPointF(x, r.center().y()), 2.6, 2.6);
    }
    p.restore();
}

void Icon(QPainter& p, const QRectF& r, const QString& glyph, double fill = 0.7) {
    p.save();
    QFont f("Noto Color Emoji");
    f.setPixelSize(int(std::min(r.width(), r.height()) * fill));
    p.setFont(f);
    p.drawText(r, Qt::AlignCenter, glyph);
    p.restore();
}

void TextPlate(QPainter& p, const QRectF& r, const QString& text, int size) {
    PaintPlate(p, r, Night, Gold, 8);
    p.setFont(Font(size, true));
    PaintShadowText(p, r, Qt::AlignCenter | Qt::TextWordWrap, text, Cream);
}

} // namespace

void WriteMenuPictures(const TStory& story, const std::string& targetDir, const TPictureWords& w) {
    const QString title = U(story.Title);
    { // Start menu.
        QImage img = NewImage(800, 600);
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        PaintCinemaBackground(p, img.rect());
        PaintSpotlight(p, QPointF(400, -40), QRectF(250, 0, 300, 330), Cream);
        Marquee(p, QRectF(120, 70, 560, 16));
        Title(p, QRectF(0, 100, 800, 70), title, 46);
        p.setFont(Font(20, false, true, "DejaVu Serif"));
        PaintShadowText(p, QRectF(0, 170, 800, 30), Qt::AlignCenter, U(w.Tagline), Cream);
        Marquee(p, QRectF(120, 212, 560, 16));
        ButtonSlot(p, QRectF(337, 260, 125, 55), "");
        ButtonSlot(p, QRectF(359, 345, 78, 46), "");
        PaintPlate(p, QRectF(261, 425, 283, 62), Charcoal.lighter(130), Gold, 12);
        for (int x : {287, 385, 481}) ButtonSlot(p, QRectF(x, 430, 29, 28), "");
        p.setFont(Font(11, true));
        PaintShadowText(p, QRectF(261, 462, 283, 20), Qt::AlignCenter, U(w.StartLinks), Cream);
        PaintShadowText(p, QRectF(0, 570, 800, 20), Qt::AlignCenter, U(w.Footer), Cream.darker(130));
        p.end();
        SaveJpeg(img, targetDir + "/menus/bootmenu.jpg");
    }
    { // Student sign-in panel.
        QImage img = NewImage(304, 348, Charcoal);
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        PaintPlate(p, QRectF(2, 2, 300, 344), Night, Gold, 16);
        p.fillRect(QRectF(31, 23, 213, 144), Qt::white);
        p.setPen(QPen(Gold, 2));
        p.drawRect(QRectF(30, 22, 215, 146));
        PaintPlate(p, QRectF(248, 20, 32, 156), Charcoal.lighter(130), Gold, 8);
        p.setFont(Font(13, true));
        p.setPen(Cream);
        p.drawText(QRectF(20, 170, 264, 18), Qt::AlignCenter, U(w.WhoAreYou));
        // The name box of the sign-in screen lies over this frame.
        p.fillRect(QRectF(23, 191, 258, 19), Qt::white);
        p.setPen(QPen(Gold, 2));
        p.drawRect(QRectF(22, 190, 260, 21));
        p.setFont(Font(12));
        p.drawText(QRectF(14, 238, 72, 16), Qt::AlignRight | Qt::AlignVCenter, U(w.Visit));
        p.drawText(QRectF(150, 239, 70, 16), Qt::AlignRight | Qt::AlignVCenter, U(w.Score));
        p.drawText(QRectF(14, 269, 72, 16), Qt::AlignRight | Qt::AlignVCenter, U(w.Sessions));
        ButtonSlot(p, QRectF(100, 296, 102, 49), "");
        p.end();
        SaveJpeg(img, targetDir + "/menus/panel.jpg");
    }
    { // Main menu.
        QImage img = NewImage(800, 600);
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        PaintCinemaBackground(p, img.rect());
        Title(p, QRectF(0, 40, 800, 60), title, 36);
        struct TSlot { QRectF R; const std::string& Label; const char* Glyph; };
        const TSlot places[] = {
            {{285, 405, 242, 154}, w.Activities, "✏️"}, {{308, 129, 184, 166}, w.Film, "🎬"},
            {{0, 224, 242, 140}, w.Quiz, "🏆"},     {{0, 382, 239, 98}, w.Studio, "🎙️"},
            {{561, 232, 239, 110}, w.Dictionary, "📖"}, {{564, 390, 236, 112}, w.WordSearch, "🔎"},
        };
        for (const TSlot& s : places) {
            PaintPlate(p, s.R.adjusted(4, 4, -4, -4), Charcoal.lighter(135), Gold, 14);
            Icon(p, s.R.adjusted(10, 6, -10, -30), QString::fromUtf8(s.Glyph));
            p.setFont(Font(16, true));
            PaintShadowText(p, QRectF(s.R.left(), s.R.bottom() - 30, s.R.width(), 22), Qt::AlignCenter,
                            U(s.Label), Cream);
        }
        p.end();
        SaveJpeg(img, targetDir + "/menus/mainmenu.jpg");
    }
    { // Activities menu.
        QImage img = NewImage(800, 600);
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        PaintCinemaBackground(p, img.rect(), false);
        Title(p, QRectF(0, 30, 800, 50), U(w.Activities), 34);
        p.setFont(Font(13, true));
        PaintShadowText(p, QRectF(110, 88, 100, 20), Qt::AlignCenter, U(w.Practice), Cream);
        PaintShadowText(p, QRectF(590, 88, 100, 20), Qt::AlignCenter, U(w.Test), Cream);
        struct TRowDef { int Y; QRectF Prac, Test; const std::string& Label; };
        const TRowDef rows[] = {
            {144, {203, 123, 268, 66}, {443, 126, 152, 58}, w.Vocabulary},
            {255, {205, 236, 224, 59}, {402, 236, 194, 58}, w.MissingWord},
            {364, {206, 347, 180, 58}, {359, 345, 236, 60}, w.NextLine},
            {474, {207, 457, 140, 57}, {320, 456, 274, 58}, w.Spelling},
        };
        for (const TRowDef& r : rows) {
            PaintPlate(p, QRectF(120, r.Y - 30, 600, 84), Night.lighter(150), Gold, 16);
            PaintPlate(p, QRectF(136, r.Y - 3, 45, 28), Charcoal, Cream, 6);
            PaintPlate(p, QRectF(616, r.Y - 3, 45, 28), Charcoal, Cream, 6);
            p.setFont(Font(12, true));
            PaintShadowText(p, QRectF(203, r.Y - 27, 392, 16), Qt::AlignCenter, U(r.Label), Gold);
        }
        PaintPlate(p, QRectF(136, 532, 160, 60), Night.lighter(150), Gold, 10);
        PaintPlate(p, QRectF(510, 534, 30, 56), Charcoal, Gold, 6);
        PaintPlate(p, QRectF(616, 548, 45, 28), Charcoal, Cream, 6);
        p.setFont(Font(12, true));
        PaintShadowText(p, QRectF(560, 552, 56, 20), Qt::AlignCenter, U(w.Total), Cream);
        p.end();
        SaveJpeg(img, targetDir + "/menus/actmenu.jpg");
    }
}

void WriteHelpPictures(int language, const std::string& helpDir, const THelpFilm& film) {
    for (const THelpPage& page : HelpPages(language, film)) {
        QImage img = NewImage(page.Width, page.Height, Charcoal);
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        PaintPlate(p, QRectF(0, 0, page.Width, page.Height), Night.lighter(120), Gold, 14);
        p.setPen(Qt::NoPen);
        p.setBrush(Gold);
        p.drawEllipse(QPointF(28, 28), 14, 14);
        p.setFont(Font(20, true, false, "DejaVu Serif"));
        p.setPen(Night);
        p.drawText(QRectF(14, 14, 28, 28), Qt::AlignCenter, "?");
        p.setFont(Font(18, true));
        PaintShadowText(p, QRectF(50, 12, page.Width - 60, 32), Qt::AlignLeft | Qt::AlignVCenter, U(page.Title), Gold);
        p.setPen(QPen(Gold, 1));
        p.drawLine(QPointF(16, 50), QPointF(page.Width - 16, 50));
        // Body text, shrunk until it fits the plate.
        const QRectF body(18, 58, page.Width - 36, page.Height - 70);
        int size = 15;
        QRectF need;
        do {
            p.setFont(Font(size));
            need = p.boundingRect(body, Qt::TextWordWrap, U(page.Body));
        } while (need.height() > body.height() && --size > 9);
        p.setPen(Cream);
        p.drawText(body, Qt::TextWordWrap, U(page.Body));
        p.end();
        SaveJpeg(img, helpDir + "/" + page.File);
    }
    for (const THint& hint : Hints(language)) {
        const QFont f = Font(12, true);
        const int w = int(QFontMetricsF(f).horizontalAdvance(U(hint.Text))) + 18;
        QImage img = NewImage(w, 19, Gold);
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        p.fillRect(img.rect(), Cream);
        p.setPen(QPen(Gold.darker(130), 1));
        p.drawRect(QRectF(0.5, 0.5, w - 1, 18));
        p.setFont(f);
        p.setPen(Night);
        p.drawText(QRectF(0, 0, w, 19), Qt::AlignCenter, U(hint.Text));
        p.end();
        SaveJpeg(img, helpDir + "/" + hint.File);
    }
}

void WriteFlags(const std::vector<int>& languages, const std::string& path) {
    QImage img = NewImage(213, 30 * int(languages.size()), Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    for (size_t i = 0; i < languages.size(); ++i) {
        const QRectF band(0, 30.0 * double(i), 213, 30);
        p.fillRect(band, Night);
        const QRectF flag(6, band.top() + 4, 33, 22);
        if (languages[i] == 2) { // Union flag, simplified
            p.fillRect(flag, QColor(1, 33, 105));
            p.setPen(QPen(Qt::white, 5));
            p.drawLine(flag.topLeft(), flag.bottomRight());
            p.drawLine(flag.bottomLeft(), flag.topRight());
            p.setPen(QPen(QColor(200, 16, 46), 2));
            p.drawLine(flag.topLeft(), flag.bottomRight());
            p.drawLine(flag.bottomLeft(), flag.topRight());
            p.fillRect(QRectF(flag.center().x() - 4, flag.top(), 8, flag.height()), Qt::white);
            p.fillRect(QRectF(flag.left(), flag.center().y() - 4, flag.width(), 8), Qt::white);
            p.fillRect(QRectF(flag.center().x() - 2, flag.top(), 4, flag.height()), QColor(200, 16, 46));
            p.fillRect(QRectF(flag.left(), flag.center().y() - 2, flag.width(), 4), QColor(200, 16, 46));
        } else if (languages[i] == 5) {
            p.fillRect(flag, QColor(170, 21, 27));
            p.fillRect(QRectF(flag.left(), flag.top() + flag.height() / 4, flag.width(), flag.height() / 2),
                       QColor(241, 191, 0));
        } else {
            p.fillRect(flag, Gold);
        }
        p.setFont(Font(15, true));
        p.setPen(Cream);
        p.drawText(QRectF(48, band.top(), 160, 30), Qt::AlignLeft | Qt::AlignVCenter,
                   languages[i] == 2 ? "English" : languages[i] == 5 ? U("Español") : U(tav::LanguageName(languages[i])));
    }
    p.end();
    SaveJpeg(img, path);
}

void WriteCertificatePictures(const std::string& sharedCertDir, const std::string& targetCertDir,
                              const std::string& title, const TPictureWords& w) {
    const QColor paper(250, 244, 226);
    {
        QImage img = NewImage(1854, 216, paper);
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        QLinearGradient g(0, 0, 1854, 0);
        g.setColorAt(0, Night);
        g.setColorAt(1, Night.lighter(160));
        p.fillRect(QRectF(0, 0, 1854, 180), g);
        for (double x = 20; x < 1854; x += 60) {
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(243, 230, 196, 120));
            p.drawRoundedRect(QRectF(x, 20, 30, 24), 5, 5);
            p.drawRoundedRect(QRectF(x, 136, 30, 24), 5, 5);
        }
        p.setFont(Font(64, true, false, "DejaVu Serif"));
        PaintShadowText(p, QRectF(0, 40, 1854, 100), Qt::AlignCenter, "Tavolin", Gold);
        p.fillRect(QRectF(0, 180, 1854, 10), Gold);
        p.end();
        SaveJpeg(img, sharedCertDir + "/CertTop.jpg");
    }
    {
        QImage img = NewImage(715, 2664, paper);
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(Wine);
        QPainterPath ribbon;
        ribbon.moveTo(250, 0);
        ribbon.lineTo(465, 0);
        ribbon.lineTo(465, 2500);
        ribbon.lineTo(357, 2400);
        ribbon.lineTo(250, 2500);
        ribbon.closeSubpath();
        p.drawPath(ribbon);
        p.setBrush(Gold);
        p.drawEllipse(QPointF(357, 700), 200, 200);
        p.setBrush(Gold.lighter(120));
        p.drawEllipse(QPointF(357, 700), 150, 150);
        p.setFont(Font(120, true));
        p.setPen(Wine);
        p.drawText(QRectF(157, 500, 400, 400), Qt::AlignCenter, U("★"));
        p.end();
        SaveJpeg(img, sharedCertDir + "/Ribbon.jpg");
    }
    {
        QImage img = NewImage(549, 845, paper);
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(Night, 7, Qt::SolidLine, Qt::RoundCap));
        QPainterPath sig;
        sig.moveTo(60, 420);
        sig.cubicTo(120, 250, 180, 520, 240, 380);
        sig.cubicTo(280, 300, 320, 470, 380, 360);
        sig.cubicTo(420, 300, 460, 420, 500, 390);
        p.drawPath(sig);
        p.setPen(QPen(Night, 2));
        p.drawLine(40, 520, 510, 520);
        p.setFont(Font(34, false, true, "DejaVu Serif"));
        p.drawText(QRectF(0, 540, 549, 60), Qt::AlignCenter, U(w.Signature));
        p.end();
        SaveJpeg(img, sharedCertDir + "/Signatur.jpg");
    }
    SaveJpeg(NewImage(16, 16, paper), sharedCertDir + "/BGCol.jpg");
    {
        QImage img = NewImage(1315, 484, paper);
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        p.setFont(Font(92, true, false, "DejaVu Serif"));
        p.setPen(Night);
        p.drawText(QRectF(0, 30, 1315, 150), Qt::AlignCenter, U(w.Certificate));
        p.setFont(Font(44, false, true, "DejaVu Serif"));
        p.drawText(QRectF(0, 200, 1315, 80), Qt::AlignCenter, U(w.OfLanguage));
        p.setFont(Font(38, false, false, "DejaVu Serif"));
        p.setPen(Wine);
        p.drawText(QRectF(0, 310, 1315, 120), Qt::AlignCenter | Qt::TextWordWrap, U("« " + title + " »"));
        p.end();
        SaveJpeg(img, targetCertDir + "/Title.jpg");
    }
    struct TAward { const char* File; const std::string& Name; QColor Medal; };
    const TAward awards[] = {{"BAText.jpg", w.Bronze, QColor(176, 112, 60)},
                             {"SAText.jpg", w.Silver, QColor(180, 184, 192)},
                             {"GAText.jpg", w.Gold, QColor(222, 178, 50)}};
    for (const TAward& a : awards) {
        QImage img = NewImage(1281, 547, paper);
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        // The learner's name is printed at rows 100 .. 213 and the date at
        // 485 .. 544 of this picture, so the text stays clear of them.
        p.setFont(Font(40, false, true, "DejaVu Serif"));
        p.setPen(Night);
        p.drawText(QRectF(0, 20, 1281, 70), Qt::AlignCenter, U(w.Awards));
        p.drawText(QRectF(0, 240, 1281, 70), Qt::AlignCenter, U(w.ThePrize));
        p.setBrush(a.Medal);
        p.setPen(QPen(a.Medal.darker(140), 6));
        p.drawEllipse(QPointF(250, 380), 70, 70);
        p.drawEllipse(QPointF(1031, 380), 70, 70);
        p.setFont(Font(90, true, false, "DejaVu Serif"));
        p.setPen(a.Medal.darker(150));
        p.drawText(QRectF(0, 320, 1281, 130), Qt::AlignCenter, U(a.Name));
        p.end();
        SaveJpeg(img, targetCertDir + "/" + a.File);
    }
}

void WriteFilmStrip(const std::vector<QImage>& frames, const std::string& path) {
    static const int lefts[12] = {21, 84, 147, 213, 276, 341, 405, 469, 533, 597, 661, 725};
    QImage strip = NewImage(770, 106, QColor(12, 12, 16));
    QPainter p(&strip);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(70, 70, 78));
    for (int x = 4; x < 770; x += 14) { // sprocket holes between and around the rows
        p.drawRoundedRect(QRectF(x, 0.5, 7, 3.5), 1, 1);
        p.drawRoundedRect(QRectF(x, 102, 7, 3.5), 1, 1);
    }
    for (int k = 0; k < 24 && k < int(frames.size()); ++k) {
        const QRectF cell(lefts[k % 12] - 16, (k < 12 ? 73 : 124) - 68, 61, 48);
        if (frames[size_t(k)].isNull()) continue; // no picture: the cell stays dark
        p.drawImage(cell, frames[size_t(k)].scaled(61, 48, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    }
    p.end();
    SaveJpeg(strip, path);
}

void WriteActorSheet(const std::vector<QImage>& faces, const std::vector<std::string>& names,
                     const std::string& recpicDir, const std::string& headingUtf8) {
    static const QPointF circles[9] = {{155, 86}, {325, 86}, {495, 86}, {155, 256}, {325, 256},
                                       {495, 256}, {155, 426}, {325, 426}, {495, 426}};
    QImage sheet = NewImage(800, 600);
    QPainter p(&sheet);
    p.setRenderHint(QPainter::Antialiasing);
    PaintCinemaBackground(p, sheet.rect(), false);
    p.setFont(Font(13, true));
    PaintShadowText(p, QRectF(0, 8, 800, 22), Qt::AlignCenter, U(headingUtf8), Gold);
    for (int k = 0; k < 9; ++k) {
        const QRectF r(circles[k], QSizeF(148, 150));
        QPainterPath clip;
        clip.addEllipse(r);
        if (k < int(faces.size())) {
            const QImage& face = faces[size_t(k)];
            SaveJpeg(face, recpicDir + "/pic" + std::to_string(k + 1) + ".jpg");
            p.save();
            p.setClipPath(clip);
            p.drawImage(r, face);
            p.restore();
            p.setPen(QPen(Gold, 3));
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(r);
            p.setFont(Font(12, true));
            PaintShadowText(p, QRectF(r.left() - 10, r.bottom() - 2, r.width() + 20, 18), Qt::AlignCenter,
                            U(k < int(names.size()) ? names[size_t(k)] : std::string()), Cream);
        } else {
            p.setPen(QPen(QColor(243, 230, 196, 60), 2, Qt::DashLine));
            p.setBrush(QColor(0, 0, 0, 60));
            p.drawEllipse(r);
        }
    }
    p.end();
    SaveJpeg(sheet, recpicDir + "/actors.jpg");
}

void WriteActorPictures(const TFilm& film, const std::vector<TActorScenes>& actors, const std::string& recpicDir) {
    TScenePainter painter(film.Story);
    auto portrait = [&](int who) {
        // The character alone in a place they appear in, cropped to the head.
        std::string setting = "maison";
        for (const TStoryLine& l : film.Story.Lines)
            if (l.Speaker == who) { setting = l.Setting; break; }
        TFrameState s;
        s.Setting = setting;
        s.Cast = {who};
        s.Seconds = 1.0;
        s.Names = false;
        const QImage frame = painter.Paint(s);
        const bool child = film.Story.Characters[size_t(who)].Child;
        const QRect crop(kFilmWidth / 2 - 55, child ? 102 : 78, 110, 110);
        return frame.copy(crop).scaled(150, 150, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    };
    std::vector<QImage> faces;
    std::vector<std::string> names;
    for (const TActorScenes& a : actors) {
        faces.push_back(portrait(a.Character));
        names.push_back(film.Story.Characters[size_t(a.Character)].Name);
    }
    WriteActorSheet(faces, names, recpicDir, TPictureWords{}.ChooseActor);
}

void WriteDictionaryPictures(const std::vector<TDictWord>& words, const std::string& dictPicDir) {
    for (size_t i = 0; i < words.size(); ++i) {
        QImage img = NewImage(280, 212, Cream);
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        QRadialGradient g(QPointF(140, 106), 160);
        g.setColorAt(0, QColor(255, 252, 240));
        g.setColorAt(1, Cream.darker(108));
        p.fillRect(img.rect(), g);
        Icon(p, QRectF(10, 0, 260, 212), U(words[i].Glyph), 0.95);
        p.end();
        SaveJpeg(img, dictPicDir + "/Dict" + std::to_string(i + 1) + ".jpg");
    }
}

void WriteSpellingTiles(const std::string& lettersAnsi, const std::string& spellDir) {
    QStringDecoder dec("windows-1252");
    std::vector<std::pair<std::string, std::string>> coded;
    for (unsigned char c : lettersAnsi)
        coded.push_back({std::to_string(MacCodeOf(c)), QString(dec.decode(QByteArray(1, char(c)))).toStdString()});
    WriteLetterTiles(coded, spellDir);
}

void WriteLetterTiles(const std::vector<std::pair<std::string, std::string>>& codedLetters, const std::string& spellDir) {
    for (const auto& [code, utf8] : codedLetters) {
        const QString letter = U(utf8);
        auto tile = [&](int w, int h, const QColor& face, const QColor& ink, bool shadow) {
            QImage img(w, h, QImage::Format_RGB32);
            img.fill(shadow ? Night : face);
            QPainter p(&img);
            p.setRenderHint(QPainter::Antialiasing);
            PaintPlate(p, QRectF(1, 1, w - 5, h - 5), face, face.darker(150), 9);
            p.setFont(Font(int(h * 0.55), true));
            p.setPen(ink);
            p.drawText(QRectF(0, 0, w - 4, h - 4), Qt::AlignCenter, letter);
            return img;
        };
        SaveJpeg(tile(64, 64, QColor(246, 226, 170), Night, false), spellDir + "/PracTile/PTile" + code + ".jpg");
        SaveJpeg(tile(64, 64, QColor(190, 214, 240), Night, false), spellDir + "/TestTile/TTile" + code + ".jpg");
        SaveBmp(tile(64, 64, QColor(255, 236, 190), Wine, true), spellDir + "/Floaters/FTile" + code + ".bmp");
        SaveJpeg(tile(52, 51, Cream, Wine, false), spellDir + "/UpprTile/UTile" + code + ".jpg");
    }
}

void WriteMultiMenuPictures(const std::string& multiDir, const std::vector<std::string>& labels) {
    QImage bg = NewImage(800, 600);
    {
        QPainter p(&bg);
        p.setRenderHint(QPainter::Antialiasing);
        PaintCinemaBackground(p, bg.rect());
        Title(p, QRectF(0, 80, 800, 60), U("Choisissez votre film"), 38);
    }
    SaveJpeg(bg, multiDir + "/multimenu.jpg");
    // Target buttons are four-frame strips: normal, disabled, pressed, hot.
    for (size_t i = 0; i < labels.size(); ++i) {
        QImage img = NewImage(4 * 240, 70, Night);
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        for (int frame = 0; frame < 4; ++frame) {
            const QRectF r(frame * 240 + (frame == 2 ? 1 : 0), frame == 2 ? 1 : 0, 240 - 2, 70 - 2);
            const QColor fill = frame == 1 ? QColor(70, 70, 76) : frame == 2 ? Night.darker(130) : Night;
            const QColor edge = frame == 1 ? QColor(120, 120, 120) : frame == 3 ? Gold.lighter(135) : Gold;
            PaintPlate(p, r, fill, edge, 10);
            if (frame == 3) {
                p.setPen(QPen(QColor(255, 220, 140, 120), 4));
                p.setBrush(Qt::NoBrush);
                p.drawRoundedRect(r.adjusted(2, 2, -2, -2), 9, 9);
            }
            p.setFont(Font(18, true));
            PaintShadowText(p, r, Qt::AlignCenter | Qt::TextWordWrap, U(labels[i]),
                            frame == 1 ? QColor(150, 150, 150) : Cream);
        }
        p.end();
        SaveJpeg(img, multiDir + "/target" + std::to_string(i + 1) + ".jpg");
    }
}

void WriteCustomStartPicture(const std::string& path) {
    QImage img = NewImage(800, 600);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    PaintCinemaBackground(p, img.rect());
    Title(p, QRectF(0, 120, 800, 70), U("Bienvenue !"), 48);
    TextPlate(p, QRectF(250, 300, 300, 70), U("Entrer"), 26);
    TextPlate(p, QRectF(250, 420, 300, 50), U("Notre site web"), 18);
    p.end();
    SaveJpeg(img, path);
}

void WritePodium(const std::string& name, const std::string& path) {
    QImage img = NewImage(118, 59, Charcoal);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    PaintPlate(p, QRectF(0, 0, 118, 59), Wine, Gold, 8);
    p.setFont(Font(15, true));
    PaintShadowText(p, QRectF(0, 0, 118, 59), Qt::AlignCenter, U(name), Cream);
    p.end();
    SaveJpeg(img, path);
}

} // namespace demodisc
