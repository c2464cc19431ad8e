#include "ScenePainter.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

#include "Style.h"

namespace demodisc {

namespace {

constexpr double kGround = 258;

void PaintHouse(QPainter& p) {
    p.fillRect(0, 0, kFilmWidth, 200, QColor(238, 214, 170));
    for (int x = 0; x < kFilmWidth; x += 22) p.fillRect(x, 0, 11, 200, QColor(230, 204, 160)); // wallpaper
    p.fillRect(0, 200, kFilmWidth, 88, QColor(150, 98, 60));                                   // floor
    for (int x = -40; x < kFilmWidth; x += 40) p.fillRect(x, 200, 2, 88, QColor(130, 84, 50));
    // Window with sky.
    p.setPen(QPen(QColor(250, 250, 245), 5));
    p.setBrush(QColor(140, 200, 240));
    p.drawRect(230, 40, 90, 80);
    p.drawLine(275, 40, 275, 120);
    p.drawLine(230, 80, 320, 80);
    // Picture frame and lamp.
    p.setPen(QPen(palette::Gold, 3));
    p.setBrush(QColor(90, 140, 90));
    p.drawRect(40, 50, 60, 44);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 60, 60));
    p.drawRect(158, 60, 3, 140);
    p.setBrush(QColor(255, 230, 150));
    p.drawPolygon(QPolygonF({QPointF(145, 60), QPointF(174, 60), QPointF(168, 40), QPointF(151, 40)}));
    // Table.
    p.setBrush(QColor(120, 72, 40));
    p.drawRect(110, 222, 140, 10);
    p.drawRect(118, 232, 8, 40);
    p.drawRect(234, 232, 8, 40);
}

void PaintPark(QPainter& p) {
    QLinearGradient sky(0, 0, 0, 200);
    sky.setColorAt(0, QColor(110, 180, 240));
    sky.setColorAt(1, QColor(200, 230, 250));
    p.fillRect(0, 0, kFilmWidth, 200, sky);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 220, 80));
    p.drawEllipse(QPointF(300, 40), 22, 22);
    p.setBrush(QColor(110, 170, 80));
    p.drawEllipse(QRectF(-80, 150, 300, 120));
    p.drawEllipse(QRectF(150, 160, 320, 110));
    p.fillRect(0, 200, kFilmWidth, 88, QColor(96, 160, 70));
    p.setBrush(QColor(200, 180, 140));
    p.drawRect(0, 262, kFilmWidth, 26); // path
    // Tree with flowers under it.
    p.setBrush(QColor(110, 75, 45));
    p.drawRect(40, 110, 18, 110);
    p.setBrush(QColor(60, 130, 60));
    p.drawEllipse(QPointF(49, 100), 48, 42);
    p.drawEllipse(QPointF(25, 125), 30, 26);
    p.drawEllipse(QPointF(75, 122), 30, 26);
    const QColor flowers[] = {QColor(240, 90, 120), QColor(250, 240, 90), QColor(250, 250, 250)};
    for (int i = 0; i < 9; ++i) {
        p.setBrush(flowers[i % 3]);
        p.drawEllipse(QPointF(18 + i * 9, 226 + (i % 2) * 6), 3.5, 3.5);
    }
    // Bench.
    p.setBrush(QColor(130, 90, 50));
    p.drawRect(250, 212, 80, 7);
    p.drawRect(250, 198, 80, 6);
    p.drawRect(256, 219, 5, 20);
    p.drawRect(320, 219, 5, 20);
}

void PaintCafe(QPainter& p) {
    p.fillRect(0, 0, kFilmWidth, 200, QColor(120, 60, 50));
    p.fillRect(0, 0, kFilmWidth, 30, QColor(60, 30, 28));
    p.setFont(Font(15, true, true, "DejaVu Serif"));
    p.setPen(palette::Cream);
    p.drawText(QRectF(0, 4, kFilmWidth, 22), Qt::AlignCenter, U("Café Roux"));
    p.fillRect(0, 200, kFilmWidth, 88, QColor(70, 50, 40));
    for (int x = 0; x < kFilmWidth; x += 24)
        for (int y = 200; y < 288; y += 24)
            if (((x + y) / 24) % 2) p.fillRect(x, y, 24, 24, QColor(200, 190, 170));
    // Counter with coffee machine and cups.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(90, 55, 35));
    p.drawRect(200, 140, 152, 70);
    p.setBrush(QColor(180, 180, 190));
    p.drawRect(290, 100, 40, 40);
    p.setBrush(QColor(250, 250, 250));
    for (int i = 0; i < 3; ++i) p.drawRoundedRect(QRectF(220 + i * 18, 128, 12, 12), 3, 3);
    // Shelves with bottles.
    p.setBrush(QColor(70, 40, 30));
    p.drawRect(200, 60, 150, 5);
    const QColor bottles[] = {QColor(60, 140, 80), QColor(160, 60, 60), QColor(220, 190, 90)};
    for (int i = 0; i < 7; ++i) {
        p.setBrush(bottles[i % 3]);
        p.drawRoundedRect(QRectF(208 + i * 20, 36, 10, 24), 3, 3);
    }
    // Window onto the terrace.
    p.setBrush(QColor(170, 210, 235));
    p.setPen(QPen(QColor(60, 30, 28), 4));
    p.drawRect(20, 50, 120, 90);
    p.setPen(Qt::NoPen);
}

void PaintStation(QPainter& p) {
    p.fillRect(0, 0, kFilmWidth, 200, QColor(170, 185, 200));
    p.fillRect(0, 0, kFilmWidth, 20, QColor(90, 100, 120));
    // Roof beams.
    p.setPen(QPen(QColor(90, 100, 120), 4));
    for (int x = 0; x < kFilmWidth; x += 60) p.drawLine(x, 20, x + 30, 60);
    p.setPen(Qt::NoPen);
    // Sign and clock at five o'clock.
    p.setBrush(QColor(30, 60, 130));
    p.drawRect(30, 70, 90, 24);
    p.setFont(Font(14, true));
    p.setPen(Qt::white);
    p.drawText(QRectF(30, 70, 90, 24), Qt::AlignCenter, "GARE");
    p.setPen(QPen(QColor(40, 40, 40), 3));
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(290, 70), 22, 22);
    p.drawLine(QPointF(290, 70), QPointF(290, 54));
    p.drawLine(QPointF(290, 70), QPointF(300, 76));
    // Ticket window.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(110, 80, 60));
    p.drawRect(160, 100, 80, 100);
    p.setBrush(QColor(200, 225, 240));
    p.drawRect(170, 110, 60, 40);
    p.setFont(Font(9, true));
    p.setPen(QColor(250, 240, 200));
    p.drawText(QRectF(160, 155, 80, 14), Qt::AlignCenter, "GUICHET");
    // Platform with the yellow line, then the track.
    p.setPen(Qt::NoPen);
    p.fillRect(0, 200, kFilmWidth, 88, QColor(150, 150, 150));
    p.fillRect(0, 272, kFilmWidth, 4, QColor(240, 210, 40));
}

void PaintTrain(QPainter& p, double progress) {
    const double x = kFilmWidth - progress * (kFilmWidth + 420);
    p.setPen(Qt::NoPen);
    for (int car = 0; car < 3; ++car) {
        const double cx = x + car * 140;
        p.setBrush(car == 0 ? QColor(200, 40, 40) : QColor(40, 80, 160));
        p.drawRoundedRect(QRectF(cx, 110, 134, 90), 10, 10);
        p.setBrush(QColor(200, 230, 250));
        for (int w = 0; w < 4; ++w) p.drawRect(QRectF(cx + 10 + w * 31, 125, 22, 24));
    }
}

void PaintCake(QPainter& p, double x, double t) {
    // A little round table in front with the cake on it.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(120, 72, 40));
    p.drawRect(QRectF(x - 4, 236, 8, 40));
    p.drawEllipse(QRectF(x - 38, 226, 76, 14));
    p.save();
    p.translate(x - 180, 26);
    p.setBrush(QColor(110, 60, 30));
    p.drawRoundedRect(QRectF(150, 178, 60, 26), 5, 5);
    p.setBrush(QColor(250, 240, 230));
    p.drawRect(QRectF(150, 178, 60, 6));
    for (int i = 0; i < 5; ++i) {
        const double cx = 156 + i * 12;
        p.setBrush(QColor(250, 200, 220));
        p.drawRect(QRectF(cx, 164, 4, 14));
        const double flicker = 1.0 + 0.25 * std::sin(t * 17 + i);
        p.setBrush(QColor(255, 190, 40));
        p.drawEllipse(QPointF(cx + 2, 160), 2.5, 4.0 * flicker);
    }
    p.restore();
}

void PaintDog(QPainter& p, double x, double t, bool barking) {
    const double bob = barking ? -std::fabs(std::sin(t * 18)) * 5 : std::sin(t * 3) * 1.2;
    p.save();
    p.translate(x, kGround + bob);
    p.setPen(QPen(QColor(60, 50, 40), 1.2));
    p.setBrush(QColor(250, 250, 245));
    p.drawRoundedRect(QRectF(-22, -28, 44, 20), 9, 9); // body
    for (int leg : {-16, -8, 8, 16}) p.drawRect(QRectF(leg - 2, -10, 5, 12));
    p.drawEllipse(QPointF(24, -34), 11, 10);             // head
    p.setBrush(QColor(40, 35, 30));
    p.drawEllipse(QPointF(20, -43), 5, 7);                // black patch on the ear
    p.drawEllipse(QPointF(33, -35), 2.5, 2.5);            // nose
    p.drawEllipse(QPointF(26, -37), 1.6, 1.6);            // eye
    const double wag = std::sin(t * (barking ? 20 : 9)) * 0.6;
    p.setPen(QPen(QColor(250, 250, 245), 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(-21, -24), QPointF(-21 - 12 * std::cos(wag), -24 - 12 * std::sin(wag) - 6));
    if (barking) {
        p.setPen(QPen(QColor(255, 255, 255), 1.5));
        p.drawArc(QRectF(36, -48, 14, 18), -40 * 16, 80 * 16);
        p.drawArc(QRectF(40, -52, 20, 26), -40 * 16, 80 * 16);
    }
    p.restore();
}

void PaintFigure(QPainter& p, const TCharacter& c, double x, double t, bool speaking, float mouth, int seed,
                 bool withName) {
    const double scale = c.Child ? 0.78 : 1.0;
    const double breathe = std::sin(t * 2.1 + seed) * 1.5;
    const double sway = speaking ? std::sin(t * 4.0 + seed) * 2.0 : 0.0;
    p.save();
    p.translate(x, kGround);
    p.scale(scale, scale);
    p.rotate(sway * 0.8);
    const QColor shirt = QColor::fromRgb(c.Shirt);
    const QColor hair = QColor::fromRgb(c.Hair);
    const QColor skin(240, 200, 165);
    // Legs and shoes.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(50, 55, 80));
    p.drawRoundedRect(QRectF(-14, -62, 11, 60), 4, 4);
    p.drawRoundedRect(QRectF(3, -62, 11, 60), 4, 4);
    p.setBrush(QColor(40, 30, 25));
    p.drawRoundedRect(QRectF(-17, -6, 15, 7), 3, 3);
    p.drawRoundedRect(QRectF(2, -6, 15, 7), 3, 3);
    // Body: a dress for the women, a shirt for the men.
    p.setBrush(shirt);
    if (c.Female) {
        QPainterPath dress;
        dress.moveTo(-15, -125 + breathe);
        dress.lineTo(15, -125 + breathe);
        dress.lineTo(24, -55);
        dress.lineTo(-24, -55);
        dress.closeSubpath();
        p.drawPath(dress);
    } else {
        p.drawRoundedRect(QRectF(-18, -125 + breathe, 36, 68), 8, 8);
    }
    // Arms: the speaker gestures.
    const double wave = speaking ? std::sin(t * 6 + seed) * 14 : 0;
    p.setPen(QPen(shirt.darker(115), 8, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(-17, -115 + breathe), QPointF(-26, -72));
    p.drawLine(QPointF(17, -115 + breathe), QPointF(30, -80 - wave));
    p.setPen(Qt::NoPen);
    p.setBrush(skin);
    p.drawEllipse(QPointF(-26, -70), 4.5, 4.5);
    p.drawEllipse(QPointF(30, -78 - wave), 4.5, 4.5);
    // Head, hair, eyes and the mouth.
    const double hy = -146 + breathe;
    p.drawRect(QRectF(-4, hy + 14, 8, 8));
    p.drawEllipse(QPointF(0, hy), 18, 20);
    p.setBrush(hair);
    if (c.Female) {
        p.drawChord(QRectF(-20, hy - 22, 40, 34), 0, 180 * 16);
        p.drawRoundedRect(QRectF(-21, hy - 8, 8, c.Child ? 22 : 30), 4, 4);
        p.drawRoundedRect(QRectF(13, hy - 8, 8, c.Child ? 22 : 30), 4, 4);
    } else {
        p.drawChord(QRectF(-19, hy - 22, 38, 28), 0, 180 * 16);
    }
    const bool blink = std::fmod(t + seed * 0.7, 3.7) < 0.12;
    p.setBrush(QColor(40, 30, 30));
    if (blink) {
        p.drawRect(QRectF(-9, hy - 2, 6, 1.5));
        p.drawRect(QRectF(3, hy - 2, 6, 1.5));
    } else {
        p.drawEllipse(QPointF(-6, hy - 2), 2.4, 2.8);
        p.drawEllipse(QPointF(6, hy - 2), 2.4, 2.8);
    }
    p.setBrush(QColor(150, 40, 50));
    const double open = 1.0 + 7.0 * std::clamp(mouth, 0.f, 1.f);
    p.drawEllipse(QPointF(0, hy + 9), 5.5, open / 2);
    if (mouth < 0.05f) {
        p.setPen(QPen(QColor(150, 40, 50), 1.6, Qt::SolidLine, Qt::RoundCap));
        p.drawArc(QRectF(-6, hy + 3, 12, 8), 200 * 16, 140 * 16);
    }
    p.restore();
    if (!withName) return;

    // Name plate above the head, drawn upright.
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const QFont f = Font(10, true);
    p.setFont(f);
    const QString name = U(c.Name);
    const double w = QFontMetricsF(f).horizontalAdvance(name) + 10;
    const double left = std::clamp(x - w / 2, 2.0, kFilmWidth - w - 2); // keep the whole name on screen
    const QRectF plate(left, kGround - 178 * scale - 20 + breathe, w, 15);
    p.setPen(Qt::NoPen);
    p.setBrush(speaking ? QColor(217, 164, 65, 235) : QColor(20, 26, 45, 200));
    p.drawRoundedRect(plate, 5, 5);
    p.setPen(speaking ? QColor(20, 20, 30) : palette::Cream);
    p.drawText(plate, Qt::AlignCenter, name);
    p.restore();
}

} // namespace

TScenePainter::TScenePainter(const TStory& story) : story_(story) {}

const QImage& TScenePainter::Background(const std::string& setting) {
    auto it = backgrounds_.find(setting);
    if (it != backgrounds_.end()) return it->second;
    QImage img(kFilmWidth, kFilmHeight, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    if (setting == "parc") PaintPark(p);
    else if (setting == "cafe") PaintCafe(p);
    else if (setting == "gare") PaintStation(p);
    else PaintHouse(p);
    p.end();
    return backgrounds_.emplace(setting, img).first->second;
}

QImage TScenePainter::Paint(const TFrameState& s) {
    QImage img = Background(s.Setting).copy();
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const double t = s.Seconds;
    if (s.Setting == "parc") { // drifting clouds
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, 220));
        for (int i = 0; i < 3; ++i) {
            const double x = std::fmod(i * 140 + t * (6 + i * 2), kFilmWidth + 120) - 60;
            p.drawEllipse(QPointF(x, 30 + i * 22), 26, 10);
            p.drawEllipse(QPointF(x + 18, 25 + i * 22), 18, 10);
        }
    }
    if (s.Setting == "cafe") { // steam from the coffee machine
        p.setPen(QPen(QColor(255, 255, 255, 120), 3, Qt::SolidLine, Qt::RoundCap));
        for (int i = 0; i < 2; ++i) {
            const double ph = std::fmod(t * 0.8 + i * 0.5, 1.0);
            p.drawLine(QPointF(305 + i * 10 + std::sin(t * 3 + i) * 3, 98 - ph * 30),
                       QPointF(305 + i * 10 + std::sin(t * 3 + i + 1) * 3, 92 - ph * 30));
        }
    }
    if (s.Train >= 0) PaintTrain(p, s.Train);

    const int n = static_cast<int>(s.Cast.size());
    const double left = 46, right = kFilmWidth - 46;
    for (int i = 0; i < n; ++i) {
        const int who = s.Cast[i];
        double x = n == 1 ? kFilmWidth / 2.0 : left + (right - left) * i / (n - 1);
        // Walking in from the nearer side while the scene opens.
        const double away = (1.0 - std::clamp(s.Arrival, 0.0, 1.0)) * 140.0;
        x += x < kFilmWidth / 2.0 ? -away : away;
        const bool speaking = who == s.Speaker;
        if (speaking)
            PaintSpotlight(p, QPointF(x, 0), QRectF(x - 40, 0, 80, kGround + 4), QColor(255, 240, 190));
        PaintFigure(p, story_.Characters[static_cast<size_t>(who)], x, t, speaking, speaking ? s.Mouth : 0.f,
                    who * 3 + 1, s.Names && s.Arrival >= 1.0);
    }
    const double gap = n >= 2 ? (right - left) / (n - 1) : 0;
    if (s.Cake) PaintCake(p, n >= 3 ? left + gap * 1.5 : kFilmWidth / 2.0 + 60, t);
    if (s.Dog) PaintDog(p, n >= 2 ? left + gap * 0.5 : 90, t, s.DogBarking);

    if (!s.Title.empty() && s.TitleAlpha > 0) {
        p.setOpacity(std::clamp(s.TitleAlpha, 0.0, 1.0));
        PaintPlate(p, QRectF(36, 96, kFilmWidth - 72, 72), palette::Night);
        p.setFont(Font(18, true, false, "DejaVu Serif"));
        PaintShadowText(p, QRectF(36, 96, kFilmWidth - 72, 72), Qt::AlignCenter | Qt::TextWordWrap, U(s.Title),
                        palette::Cream);
        p.setOpacity(1);
    }
    p.end();
    return img;
}

} // namespace demodisc
