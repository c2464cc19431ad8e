#include "toolkit/Skin.h"
#include "toolkit/SkinPaint.h"

#include <QFont>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>
#include <map>

namespace tav::skin {

namespace {
qreal g_scale = 0; // 0: follow the display
} // namespace

void SetPictureScale(qreal scale) { g_scale = scale; }

qreal PictureScale() {
    if (g_scale > 0) return g_scale;
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? qApp->devicePixelRatio() : 1.0;
}

QColor Night() { return QColor(18, 28, 58); }
QColor NightDeep() { return QColor(9, 13, 30); }
QColor Charcoal() { return QColor(30, 32, 40); }
QColor Gold() { return QColor(224, 176, 74); }
QColor GoldLight() { return QColor(246, 212, 130); }
QColor Cream() { return QColor(246, 236, 212); }
QColor Signal() { return QColor(214, 72, 60); }
QColor Go() { return QColor(98, 190, 110); }

namespace paint {

// A picture of w x h logical pixels, drawn at the display's pixel density so
// it stays crisp when the program is scaled to fill the screen.
QImage Make(int w, int h, QImage::Format format) {
    const qreal scale = PictureScale();
    QImage image(std::max(1, int(std::ceil(std::max(w, 1) * scale))), std::max(1, int(std::ceil(std::max(h, 1) * scale))),
                 format);
    image.setDevicePixelRatio(scale);
    return image;
}

QImage Blank(int w, int h) {
    QImage image = Make(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

void Smooth(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
}

QColor Mix(const QColor& a, const QColor& b, double t) {
    return QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * t), float(a.greenF() + (b.greenF() - a.greenF()) * t),
                            float(a.blueF() + (b.blueF() - a.blueF()) * t), float(a.alphaF() + (b.alphaF() - a.alphaF()) * t));
}

QFont HeavyFont(double pixelSize) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setWeight(QFont::Black);
    font.setPixelSize(std::max(1, int(std::lround(pixelSize))));
    return font;
}

// A rounded plate with a soft shadow, a vertical gradient, a thin rim and a
// highlight along its top edge.
void Plate(QPainter& p, const QRectF& r, const QColor& top, const QColor& bottom, const QColor& rim, double radius) {
    QPainterPath shadow;
    shadow.addRoundedRect(r.translated(0, 1.2), radius, radius);
    p.fillPath(shadow, QColor(0, 0, 0, 90));
    QPainterPath body;
    body.addRoundedRect(r, radius, radius);
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.fillPath(body, g);
    p.setPen(QPen(rim, 1.0));
    p.drawPath(body);
    QPainterPath shine;
    shine.addRoundedRect(r.adjusted(1.5, 1.5, -1.5, -r.height() * 0.55), radius * 0.8, radius * 0.8);
    p.fillPath(shine, QColor(255, 255, 255, 22));
}

} // namespace paint

using namespace paint;

namespace {

// ---- icons: cream line drawings in a square box ----------------------------

QPen IconPen(const QRectF& r, const QColor& c) {
    QPen pen(c, std::max(1.2, r.width() / 11.0), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    return pen;
}

QPainterPath Triangle(const QRectF& r, bool right) {
    QPainterPath path;
    if (right) {
        path.moveTo(r.left() + r.width() * 0.18, r.top() + r.height() * 0.1);
        path.lineTo(r.right() - r.width() * 0.08, r.center().y());
        path.lineTo(r.left() + r.width() * 0.18, r.bottom() - r.height() * 0.1);
    } else {
        path.moveTo(r.right() - r.width() * 0.18, r.top() + r.height() * 0.1);
        path.lineTo(r.left() + r.width() * 0.08, r.center().y());
        path.lineTo(r.right() - r.width() * 0.18, r.bottom() - r.height() * 0.1);
    }
    path.closeSubpath();
    return path;
}

void DrawGlyph(QPainter& p, const QRectF& r, const QString& text, const QColor& c, double scale = 0.95) {
    p.setFont(HeavyFont(r.height() * scale));
    p.setPen(c);
    p.drawText(r, Qt::AlignCenter, text);
}

void DrawSpeaker(QPainter& p, const QRectF& r, const QColor& c, int waves) {
    const double w = r.width(), h = r.height();
    QPainterPath body;
    body.moveTo(r.left() + w * 0.08, r.top() + h * 0.36);
    body.lineTo(r.left() + w * 0.28, r.top() + h * 0.36);
    body.lineTo(r.left() + w * 0.52, r.top() + h * 0.14);
    body.lineTo(r.left() + w * 0.52, r.top() + h * 0.86);
    body.lineTo(r.left() + w * 0.28, r.top() + h * 0.64);
    body.lineTo(r.left() + w * 0.08, r.top() + h * 0.64);
    body.closeSubpath();
    p.fillPath(body, c);
    p.setPen(IconPen(r, c));
    p.setBrush(Qt::NoBrush);
    for (int k = 1; k <= waves; ++k) {
        const double rad = w * (0.14 + 0.14 * k);
        const QRectF arc(r.left() + w * 0.5 - rad, r.center().y() - rad, rad * 2, rad * 2);
        p.drawArc(arc, -40 * 16, 80 * 16);
    }
}

void DrawStopwatch(QPainter& p, const QRectF& r, const QColor& c) {
    p.setPen(IconPen(r, c));
    p.setBrush(Qt::NoBrush);
    const QRectF face = r.adjusted(r.width() * 0.12, r.height() * 0.2, -r.width() * 0.12, -r.height() * 0.04);
    p.drawEllipse(face);
    p.drawLine(QPointF(r.center().x(), r.top() + r.height() * 0.04), QPointF(r.center().x(), face.top()));
    p.drawLine(face.center(), QPointF(face.center().x() + face.width() * 0.22, face.center().y() - face.height() * 0.22));
}

void DrawIcon(QPainter& p, TIcon icon, const QRectF& r, const QColor& c) {
    const double w = r.width(), h = r.height();
    const auto at = [&](double fx, double fy) { return QPointF(r.left() + w * fx, r.top() + h * fy); };
    p.save();
    p.setPen(IconPen(r, c));
    p.setBrush(Qt::NoBrush);
    switch (icon) {
    case TIcon::None:
        break;
    case TIcon::Play:
    case TIcon::Start:
        p.fillPath(Triangle(r, true), c);
        if (icon == TIcon::Start) {
            p.setPen(IconPen(r, c));
            p.drawEllipse(r.adjusted(-w * 0.1, -h * 0.1, w * 0.1, h * 0.1));
        }
        break;
    case TIcon::PlayBack: {
        // Hear your own recording: play triangle with a voice wave.
        p.fillPath(Triangle(QRectF(r.left(), r.top(), w * 0.62, h), true), c);
        p.drawArc(QRectF(at(0.45, 0.22), at(0.85, 0.78)), -50 * 16, 100 * 16);
        p.drawArc(QRectF(at(0.55, 0.08), at(1.0, 0.92)), -50 * 16, 100 * 16);
        break;
    }
    case TIcon::Stop: {
        QPainterPath sq;
        sq.addRoundedRect(r.adjusted(w * 0.16, h * 0.16, -w * 0.16, -h * 0.16), w * 0.08, w * 0.08);
        p.fillPath(sq, c);
        break;
    }
    case TIcon::Pause:
        p.fillRect(QRectF(at(0.2, 0.15), at(0.42, 0.85)), c);
        p.fillRect(QRectF(at(0.58, 0.15), at(0.8, 0.85)), c);
        break;
    case TIcon::Back: {
        // A U-turn arrow pointing left.
        QPainterPath path;
        path.moveTo(at(0.3, 0.3));
        path.lineTo(at(0.62, 0.3));
        path.arcTo(QRectF(at(0.42, 0.3), at(0.92, 0.8)), 90, -180);
        path.lineTo(at(0.35, 0.8));
        p.drawPath(path);
        QPainterPath head;
        head.moveTo(at(0.06, 0.3));
        head.lineTo(at(0.36, 0.08));
        head.lineTo(at(0.36, 0.52));
        head.closeSubpath();
        p.fillPath(head, c);
        break;
    }
    case TIcon::Volume:
    case TIcon::Sound:
        DrawSpeaker(p, r, c, icon == TIcon::Volume ? 2 : 3);
        break;
    case TIcon::Hint: {
        // A light bulb.
        p.drawEllipse(QRectF(at(0.22, 0.04), at(0.78, 0.6)));
        p.drawLine(at(0.38, 0.6), at(0.38, 0.74));
        p.drawLine(at(0.62, 0.6), at(0.62, 0.74));
        p.drawLine(at(0.36, 0.78), at(0.64, 0.78));
        p.drawLine(at(0.4, 0.92), at(0.6, 0.92));
        p.drawLine(at(0.42, 0.36), at(0.5, 0.48));
        p.drawLine(at(0.5, 0.48), at(0.58, 0.36));
        break;
    }
    case TIcon::Up:
    case TIcon::Down: {
        QPainterPath path;
        const bool up = icon == TIcon::Up;
        path.moveTo(at(0.12, up ? 0.72 : 0.28));
        path.lineTo(at(0.5, up ? 0.24 : 0.76));
        path.lineTo(at(0.88, up ? 0.72 : 0.28));
        path.closeSubpath();
        p.fillPath(path, c);
        break;
    }
    case TIcon::Rewind:
    case TIcon::Forward: {
        const bool fwd = icon == TIcon::Forward;
        p.fillPath(Triangle(QRectF(at(0.0, 0.15), at(0.56, 0.85)), fwd), c);
        p.fillPath(Triangle(QRectF(at(0.44, 0.15), at(1.0, 0.85)), fwd), c);
        break;
    }
    case TIcon::Script:
    case TIcon::ReadMe: {
        QPainterPath page;
        page.moveTo(at(0.2, 0.06));
        page.lineTo(at(0.64, 0.06));
        page.lineTo(at(0.8, 0.22));
        page.lineTo(at(0.8, 0.94));
        page.lineTo(at(0.2, 0.94));
        page.closeSubpath();
        p.drawPath(page);
        QPen thin = IconPen(r, c);
        thin.setWidthF(thin.widthF() * 0.6);
        p.setPen(thin);
        for (double y : {0.36, 0.5, 0.64, 0.78}) p.drawLine(at(0.32, y), at(icon == TIcon::Script && y > 0.7 ? 0.52 : 0.68, y));
        break;
    }
    case TIcon::Find: {
        // A strip of film.
        p.drawRect(QRectF(at(0.04, 0.24), at(0.96, 0.76)));
        for (int k = 0; k < 5; ++k) {
            const double x = 0.1 + k * 0.18;
            p.fillRect(QRectF(at(x, 0.28), at(x + 0.08, 0.34)), c);
            p.fillRect(QRectF(at(x, 0.66), at(x + 0.08, 0.72)), c);
        }
        p.drawLine(at(0.35, 0.4), at(0.35, 0.6));
        p.drawLine(at(0.65, 0.4), at(0.65, 0.6));
        break;
    }
    case TIcon::Expand:
        for (int k = 0; k < 4; ++k) {
            const double sx = k % 2 ? 1 : 0, sy = k / 2 ? 1 : 0;
            const QPointF corner = at(0.1 + sx * 0.8, 0.1 + sy * 0.8);
            const double dx = (sx ? -1 : 1) * w * 0.28, dy = (sy ? -1 : 1) * h * 0.28;
            p.drawLine(corner, corner + QPointF(dx, 0));
            p.drawLine(corner, corner + QPointF(0, dy));
            p.drawLine(corner, corner + QPointF(dx * 0.9, dy * 0.9));
        }
        break;
    case TIcon::Clapper: {
        p.drawRect(QRectF(at(0.1, 0.42), at(0.9, 0.92)));
        QPainterPath top;
        top.moveTo(at(0.1, 0.38));
        top.lineTo(at(0.86, 0.14));
        p.drawPath(top);
        for (double x : {0.3, 0.5, 0.7}) p.drawLine(at(x, 0.42), at(x - 0.08, 0.58));
        break;
    }
    case TIcon::Record:
        p.setPen(Qt::NoPen);
        p.setBrush(Signal());
        p.drawEllipse(r.adjusted(w * 0.18, h * 0.18, -w * 0.18, -h * 0.18));
        p.setPen(IconPen(r, c));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(r.adjusted(w * 0.08, h * 0.08, -w * 0.08, -h * 0.08));
        break;
    case TIcon::Microphone:
        p.drawRoundedRect(QRectF(at(0.36, 0.04), at(0.64, 0.58)), w * 0.14, w * 0.14);
        p.drawArc(QRectF(at(0.24, 0.26), at(0.76, 0.72)), 180 * 16, 180 * 16);
        p.drawLine(at(0.5, 0.72), at(0.5, 0.9));
        p.drawLine(at(0.34, 0.92), at(0.66, 0.92));
        break;
    case TIcon::Flag:
        p.drawLine(at(0.18, 0.06), at(0.18, 0.96));
        {
            QPainterPath flag;
            flag.moveTo(at(0.18, 0.1));
            flag.cubicTo(at(0.4, 0.0), at(0.6, 0.2), at(0.86, 0.1));
            flag.lineTo(at(0.86, 0.52));
            flag.cubicTo(at(0.6, 0.62), at(0.4, 0.42), at(0.18, 0.52));
            flag.closeSubpath();
            p.fillPath(flag, c);
        }
        break;
    case TIcon::Info:
        p.drawEllipse(r.adjusted(w * 0.06, h * 0.06, -w * 0.06, -h * 0.06));
        DrawGlyph(p, r.adjusted(w * 0.2, h * 0.16, -w * 0.2, -h * 0.16), QStringLiteral("i"), c);
        break;
    case TIcon::Licence: {
        // A certificate with a seal.
        p.drawRect(QRectF(at(0.08, 0.12), at(0.92, 0.72)));
        p.drawLine(at(0.2, 0.3), at(0.8, 0.3));
        p.drawLine(at(0.2, 0.45), at(0.6, 0.45));
        p.setBrush(Gold());
        p.drawEllipse(QRectF(at(0.58, 0.52), at(0.86, 0.8)));
        p.setBrush(Qt::NoBrush);
        p.drawLine(at(0.64, 0.8), at(0.62, 0.96));
        p.drawLine(at(0.8, 0.8), at(0.82, 0.96));
        break;
    }
    case TIcon::Print:
        p.drawRect(QRectF(at(0.28, 0.06), at(0.72, 0.34)));
        p.drawRoundedRect(QRectF(at(0.06, 0.34), at(0.94, 0.72)), w * 0.06, w * 0.06);
        p.drawRect(QRectF(at(0.28, 0.58), at(0.72, 0.94)));
        break;
    case TIcon::Activities: {
        // A pencil over a ticked list.
        p.drawLine(at(0.1, 0.2), at(0.18, 0.28));
        p.drawLine(at(0.18, 0.28), at(0.3, 0.12));
        p.drawLine(at(0.38, 0.22), at(0.6, 0.22));
        p.drawLine(at(0.1, 0.55), at(0.18, 0.63));
        p.drawLine(at(0.18, 0.63), at(0.3, 0.47));
        p.drawLine(at(0.38, 0.57), at(0.52, 0.57));
        QPainterPath pencil;
        pencil.moveTo(at(0.92, 0.36));
        pencil.lineTo(at(0.56, 0.86));
        pencil.lineTo(at(0.5, 0.98));
        pencil.lineTo(at(0.62, 0.92));
        pencil.lineTo(at(0.98, 0.42));
        pencil.closeSubpath();
        p.drawPath(pencil);
        break;
    }
    case TIcon::ScreenPlay: {
        // A film reel.
        p.drawEllipse(r.adjusted(w * 0.06, h * 0.06, -w * 0.06, -h * 0.06));
        for (int k = 0; k < 5; ++k) {
            const double a = k * 2 * M_PI / 5 - M_PI / 2;
            const QPointF centre(r.center().x() + std::cos(a) * w * 0.24, r.center().y() + std::sin(a) * h * 0.24);
            p.drawEllipse(centre, w * 0.09, h * 0.09);
        }
        p.setBrush(c);
        p.drawEllipse(r.center(), w * 0.04, h * 0.04);
        break;
    }
    case TIcon::Quiz:
        DrawGlyph(p, r, QStringLiteral("?"), c, 1.0);
        break;
    case TIcon::Dictionary: {
        // An open book.
        QPainterPath left, right;
        left.moveTo(at(0.5, 0.26));
        left.cubicTo(at(0.36, 0.14), at(0.18, 0.14), at(0.04, 0.2));
        left.lineTo(at(0.04, 0.84));
        left.cubicTo(at(0.18, 0.78), at(0.36, 0.78), at(0.5, 0.9));
        right.moveTo(at(0.5, 0.26));
        right.cubicTo(at(0.64, 0.14), at(0.82, 0.14), at(0.96, 0.2));
        right.lineTo(at(0.96, 0.84));
        right.cubicTo(at(0.82, 0.78), at(0.64, 0.78), at(0.5, 0.9));
        p.drawPath(left);
        p.drawPath(right);
        p.drawLine(at(0.5, 0.26), at(0.5, 0.9));
        break;
    }
    case TIcon::WordSearch:
        p.drawEllipse(QRectF(at(0.08, 0.08), at(0.62, 0.62)));
        p.setPen(QPen(c, w / 7.0, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(at(0.58, 0.58), at(0.9, 0.9));
        break;
    case TIcon::Vocabulary: {
        // A framed picture: mountains and sun.
        p.drawRect(QRectF(at(0.06, 0.14), at(0.94, 0.86)));
        QPainterPath hills;
        hills.moveTo(at(0.06, 0.86));
        hills.lineTo(at(0.36, 0.46));
        hills.lineTo(at(0.56, 0.7));
        hills.lineTo(at(0.7, 0.56));
        hills.lineTo(at(0.94, 0.86));
        hills.closeSubpath();
        p.fillPath(hills, c);
        p.setBrush(c);
        p.drawEllipse(at(0.74, 0.34), w * 0.07, h * 0.07);
        break;
    }
    case TIcon::MissingWord:
        // Words on a line with one gap marked below.
        p.fillRect(QRectF(at(0.02, 0.38), at(0.28, 0.58)), c);
        p.fillRect(QRectF(at(0.72, 0.38), at(0.98, 0.58)), c);
        p.setPen(QPen(Gold(), std::max(1.2, w / 11.0), Qt::DashLine, Qt::FlatCap));
        p.drawLine(at(0.34, 0.6), at(0.66, 0.6));
        DrawGlyph(p, QRectF(at(0.34, 0.16), at(0.66, 0.56)), QStringLiteral("?"), Gold());
        break;
    case TIcon::NextLine:
        for (double y : {0.2, 0.42}) p.drawLine(at(0.06, y), at(0.7, y));
        p.setPen(QPen(Gold(), std::max(1.2, w / 11.0), Qt::SolidLine, Qt::RoundCap));
        p.drawLine(at(0.06, 0.74), at(0.64, 0.74));
        {
            QPainterPath head;
            head.moveTo(at(0.96, 0.74));
            head.lineTo(at(0.66, 0.56));
            head.lineTo(at(0.66, 0.92));
            head.closeSubpath();
            p.fillPath(head, Gold());
        }
        break;
    case TIcon::Spelling:
        for (int k = 0; k < 3; ++k) {
            const QRectF tile(at(0.02 + k * 0.34, 0.28), at(0.3 + k * 0.34, 0.72));
            p.drawRoundedRect(tile, w * 0.04, w * 0.04);
            DrawGlyph(p, tile.adjusted(1, 1, -1, -1), QString(QChar(u"ABC"[k])), c, 0.8);
        }
        break;
    }
    p.restore();
}

// ---- button frames -----------------------------------------------------------

enum class TFrame { Normal, Pressed, Hot };

QImage ButtonFaceWith(const TIconPainter& drawIcon, int w, int h, TFrame frame, bool testBadge, bool lit) {
    QImage image = Blank(w, h);
    QPainter p(&image);
    Smooth(p);
    const double radius = std::min(w, h) * 0.22;
    const QRectF plate(0.5, 0.5, w - 1.0, h - 2.0);
    const bool pressed = frame == TFrame::Pressed;
    if (frame == TFrame::Hot) {
        // A warm glow round the edge.
        for (int k = 3; k >= 1; --k) {
            QPainterPath glow;
            glow.addRoundedRect(plate.adjusted(-k * 0.4, -k * 0.4, k * 0.4, k * 0.4), radius + k, radius + k);
            p.fillPath(glow, QColor(246, 196, 90, 50));
        }
    }
    const bool hot = frame == TFrame::Hot;
    const QColor top = pressed ? QColor(14, 20, 44) : hot ? QColor(58, 80, 138) : QColor(44, 62, 112);
    const QColor bottom = pressed ? QColor(28, 40, 78) : hot ? QColor(24, 34, 70) : QColor(18, 26, 56);
    const QColor rim = frame == TFrame::Hot ? GoldLight() : pressed ? QColor(150, 112, 48) : QColor(196, 152, 70);
    Plate(p, plate.translated(0, pressed ? 1 : 0), top, bottom, rim, radius);
    if (lit) {
        // A switched-on toggle: a gold ring inside the rim.
        QPainterPath ring;
        ring.addRoundedRect(plate.adjusted(1.8, 1.8 + (pressed ? 1 : 0), -1.8, -1.8 + (pressed ? 1 : 0)), radius * 0.8,
                            radius * 0.8);
        p.setPen(QPen(Gold(), 2.0));
        p.setBrush(Qt::NoBrush);
        p.drawPath(ring);
    }
    if (hot) {
        // The warm glow also lights the plate's inner edge.
        QPainterPath edge;
        edge.addRoundedRect(plate.adjusted(1.5, 1.5, -1.5, -1.5), radius * 0.85, radius * 0.85);
        p.setPen(QPen(QColor(246, 196, 90, 130), 2.2));
        p.setBrush(Qt::NoBrush);
        p.drawPath(edge);
    }
    if (pressed) {
        // Inset: a dark inner shadow along the top.
        QPainterPath inset;
        inset.addRoundedRect(plate.adjusted(1.5, 2.5, -1.5, -plate.height() * 0.6), radius * 0.8, radius * 0.8);
        p.fillPath(inset, QColor(0, 0, 0, 60));
    }
    const double side = std::min(w, h) * 0.58;
    QRectF box(0, 0, side, side);
    box.moveCenter(QPointF(w / 2.0, h / 2.0 - 0.5 + (pressed ? 1 : 0)));
    QColor ink = frame == TFrame::Hot ? QColor(255, 244, 222) : pressed ? QColor(222, 208, 178) : Cream();
    // A switched-on toggle: the icon glows gold.
    if (lit) ink = frame == TFrame::Hot ? QColor(255, 214, 120) : pressed ? QColor(214, 166, 70) : Gold();
    drawIcon(p, box, ink);
    if (testBadge) {
        const double b = std::min(w, h) * 0.34;
        const QRectF badge(w - b - radius * 0.6, radius * 0.4 + (pressed ? 1 : 0), b, b);
        DrawStopwatch(p, badge, Gold());
    }
    return image;
}

// Disabled: grey and at 45 % contrast round a middle grey.
QImage Disabled(const QImage& face) {
    QImage image = face.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = line[x];
            const int grey = qGray(c);
            const int v = std::clamp(int(120 + (grey - 120) * 0.45), 0, 255);
            line[x] = qRgba(v, v, std::min(255, v + 6), qAlpha(c));
        }
    }
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

void Vignette(QPainter& p, const QRectF& r) {
    QRadialGradient g(r.center(), std::max(r.width(), r.height()) * 0.75);
    g.setColorAt(0.55, QColor(0, 0, 0, 0));
    g.setColorAt(1.0, QColor(0, 0, 0, 150));
    p.fillRect(r, g);
}

void Spotlight(QPainter& p, const QPointF& centre, double radius, int alpha) {
    QRadialGradient g(centre, radius);
    g.setColorAt(0, QColor(246, 212, 130, alpha));
    g.setColorAt(1, QColor(246, 212, 130, 0));
    p.fillRect(QRectF(centre.x() - radius, centre.y() - radius, radius * 2, radius * 2), g);
}

void FilmEdge(QPainter& p, double y, double w, double height) {
    p.fillRect(QRectF(0, y, w, height), QColor(0, 0, 0, 110));
    const double hole = height * 0.45;
    for (double x = 8; x < w; x += hole * 2.4)
        p.fillRect(QRectF(x, y + (height - hole) / 2, hole * 1.2, hole), QColor(246, 236, 212, 28));
}

// A gold-rimmed dark frame that marks where the screen shows something.
void Frame(QPainter& p, const QRectF& r, double radius = 6) {
    QPainterPath outer;
    // A narrow rim: controls sit close under the film display.
    outer.addRoundedRect(r.adjusted(-3, -3, 3, 3), radius + 2, radius + 2);
    p.fillPath(outer.translated(0, 2), QColor(0, 0, 0, 80));
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, QColor(60, 52, 40));
    g.setColorAt(1, QColor(30, 26, 22));
    p.fillPath(outer, g);
    p.setPen(QPen(QColor(196, 152, 70, 200), 1.2));
    p.drawPath(outer);
    p.fillRect(r, QColor(6, 8, 18));
}

// A translucent band behind text.
void Band(QPainter& p, const QRectF& r) {
    QPainterPath band;
    band.addRoundedRect(r, 8, 8);
    p.fillPath(band, QColor(0, 0, 0, 110));
    p.setPen(QPen(QColor(196, 152, 70, 90), 1));
    p.drawPath(band);
}

void NightBackdrop(QPainter& p, int w, int h) {
    QLinearGradient g(0, 0, 0, h);
    g.setColorAt(0, QColor(22, 34, 70));
    g.setColorAt(0.6, Night());
    g.setColorAt(1, NightDeep());
    p.fillRect(0, 0, w, h, g);
}

QImage ButtonFace(TIcon icon, int w, int h, TFrame frame, bool testBadge) {
    return ButtonFaceWith([icon](QPainter& p, const QRectF& box, const QColor& ink) { DrawIcon(p, icon, box, ink); }, w,
                          h, frame, testBadge, false);
}

} // namespace

// ---- public pictures -------------------------------------------------------------

QImage CustomButtonStrip(const TIconPainter& icon, int w, int h, bool lit) {
    QImage strip = Blank(4 * w, h);
    QPainter p(&strip);
    const QImage normal = ButtonFaceWith(icon, w, h, TFrame::Normal, false, lit);
    p.drawImage(0, 0, normal);
    p.drawImage(w, 0, Disabled(normal));
    p.drawImage(2 * w, 0, ButtonFaceWith(icon, w, h, TFrame::Pressed, false, lit));
    p.drawImage(3 * w, 0, ButtonFaceWith(icon, w, h, TFrame::Hot, false, lit));
    return strip;
}

QPen LineIconPen(const QRectF& box, const QColor& ink) { return IconPen(box, ink); }

QImage ButtonStrip(TIcon icon, int w, int h, bool testBadge) {
    QImage strip = Blank(4 * w, h);
    QPainter p(&strip);
    const QImage normal = ButtonFace(icon, w, h, TFrame::Normal, testBadge);
    p.drawImage(0, 0, normal);
    p.drawImage(w, 0, Disabled(normal));
    p.drawImage(2 * w, 0, ButtonFace(icon, w, h, TFrame::Pressed, testBadge));
    p.drawImage(3 * w, 0, ButtonFace(icon, w, h, TFrame::Hot, testBadge));
    return strip;
}

QImage NamedButtonStrip(const std::string& name, int w, int h) {
    static const std::map<std::string, std::pair<TIcon, bool>> icons = {
        {"Back", {TIcon::Back, false}},          {"Play", {TIcon::Play, false}},
        {"Stop", {TIcon::Stop, false}},          {"Pause", {TIcon::Pause, false}},
        {"Volume", {TIcon::Volume, false}},      {"Hint", {TIcon::Hint, false}},
        {"Up", {TIcon::Up, false}},              {"Down", {TIcon::Down, false}},
        {"ScrollUp", {TIcon::Up, false}},        {"ScrollDown", {TIcon::Down, false}},
        {"Rwd", {TIcon::Rewind, false}},         {"Fwd", {TIcon::Forward, false}},
        {"Script", {TIcon::Script, false}},      {"Find", {TIcon::Find, false}},
        {"Expand", {TIcon::Expand, false}},      {"Clapper", {TIcon::Clapper, false}},
        {"Sound", {TIcon::Sound, false}},        {"Record", {TIcon::Record, false}},
        {"PlayBack", {TIcon::PlayBack, false}},  {"BigPlay", {TIcon::Play, false}},
        {"BigStop", {TIcon::Stop, false}},       {"Start", {TIcon::Start, false}},
        {"Flag", {TIcon::Flag, false}},          {"ReadMe", {TIcon::ReadMe, false}},
        {"Info", {TIcon::Info, false}},          {"Licence", {TIcon::Licence, false}},
        {"Print", {TIcon::Print, false}},        {"Activities", {TIcon::Activities, false}},
        {"ScreenPlay", {TIcon::ScreenPlay, false}}, {"MovieQuiz", {TIcon::Quiz, false}},
        {"RecordMenu", {TIcon::Microphone, false}}, {"Dictionary", {TIcon::Dictionary, false}},
        {"WordSearch", {TIcon::WordSearch, false}}, {"VocabPrac", {TIcon::Vocabulary, false}},
        {"VocabTest", {TIcon::Vocabulary, true}},   {"MissingPrac", {TIcon::MissingWord, false}},
        {"MissingTest", {TIcon::MissingWord, true}}, {"NextLinePrac", {TIcon::NextLine, false}},
        {"NextLineTest", {TIcon::NextLine, true}},   {"SpellPrac", {TIcon::Spelling, false}},
        {"SpellTest", {TIcon::Spelling, true}},
    };
    const auto it = icons.find(name);
    if (it == icons.end()) return ButtonStrip(TIcon::None, w, h);
    return ButtonStrip(it->second.first, w, h, it->second.second);
}

QImage Tick(int w, int h) {
    QImage image = Blank(w, h);
    QPainter p(&image);
    Smooth(p);
    QPainterPath path;
    path.moveTo(w * 0.14, h * 0.55);
    path.lineTo(w * 0.4, h * 0.8);
    path.lineTo(w * 0.88, h * 0.16);
    p.setPen(QPen(QColor(0, 0, 0, 120), w * 0.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path.translated(1, 2));
    p.setPen(QPen(QColor(30, 110, 50), w * 0.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
    p.setPen(QPen(Go(), w * 0.13, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
    return image;
}

QImage Cross(int w, int h) {
    QImage image = Blank(w, h);
    QPainter p(&image);
    Smooth(p);
    QPainterPath path;
    path.moveTo(w * 0.2, h * 0.2);
    path.lineTo(w * 0.8, h * 0.8);
    path.moveTo(w * 0.8, h * 0.2);
    path.lineTo(w * 0.2, h * 0.8);
    p.setPen(QPen(QColor(0, 0, 0, 120), w * 0.2, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(path.translated(1, 2));
    p.setPen(QPen(QColor(120, 30, 26), w * 0.2, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(path);
    p.setPen(QPen(Signal(), w * 0.13, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(path);
    return image;
}

QImage LightBar(bool on, int w, int h) {
    QImage image = Blank(w, h);
    QPainter p(&image);
    Smooth(p);
    const bool vertical = h > w;
    const double length = vertical ? h : w, thick = vertical ? w : h;
    Plate(p, QRectF(0.5, 0.5, w - 1.0, h - 1.5), Charcoal(), NightDeep(), QColor(150, 118, 60), thick * 0.3);
    const int cells = std::max(1, int(length / (thick * 0.8)));
    const double pitch = (length - 6) / cells;
    for (int k = 0; k < cells; ++k) {
        // Vertical bars fill from the bottom.
        const double a = 3 + k * pitch;
        QRectF cell = vertical ? QRectF(4, length - a - pitch + 1, thick - 8, pitch - 2)
                               : QRectF(a + 1, 4, pitch - 2, thick - 8);
        QPainterPath lamp;
        lamp.addRoundedRect(cell, 2.5, 2.5);
        if (on) {
            const double t = double(k) / std::max(1, cells - 1);
            const QColor c = Mix(Go(), GoldLight(), t);
            QRadialGradient g(cell.center(), thick * 0.6);
            g.setColorAt(0, c.lighter(130));
            g.setColorAt(1, c);
            p.fillPath(lamp, g);
        } else {
            p.fillPath(lamp, QColor(40, 46, 60));
            p.setPen(QPen(QColor(70, 76, 92), 0.8));
            p.drawPath(lamp);
        }
    }
    return image;
}

QImage LedDigit(int digit, int w, int h) {
    QImage image = Make(w, h, QImage::Format_RGB32);
    image.fill(QColor(137, 169, 160));
    QPainter p(&image);
    Smooth(p);
    // Segments a..g; lit in dark ink, unlit as a faint ghost like a real LCD.
    static const int masks[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};
    const int mask = digit >= 0 && digit <= 9 ? masks[digit] : 0;
    const double m = w * 0.16, t = std::max(2.0, w * 0.15);
    const double l = m, r = w - m, top = h * 0.1, mid = h * 0.5, bot = h * 0.9;
    const QLineF segs[7] = {{l + t / 2, top, r - t / 2, top},  {r, top + t / 2, r, mid - t / 2},
                            {r, mid + t / 2, r, bot - t / 2},  {l + t / 2, bot, r - t / 2, bot},
                            {l, mid + t / 2, l, bot - t / 2},  {l, top + t / 2, l, mid - t / 2},
                            {l + t / 2, mid, r - t / 2, mid}};
    for (int k = 0; k < 7; ++k) {
        const bool lit = mask & (1 << k);
        p.setPen(QPen(lit ? QColor(28, 40, 36) : QColor(124, 154, 146), t, Qt::SolidLine, Qt::FlatCap));
        // Italic slant, as LCD digits have.
        QLineF s = segs[k];
        const auto slant = [&](QPointF q) { return QPointF(q.x() + (h / 2.0 - q.y()) * 0.08, q.y()); };
        p.drawLine(slant(s.p1()), slant(s.p2()));
    }
    return image;
}

QImage Lifebelt(int w, int h) {
    QImage image = Blank(w, h);
    QPainter p(&image);
    Smooth(p);
    const double size = std::min(w, h) - 4;
    const QPointF c(w / 2.0, h / 2.0 - 0.5);
    const double outer = size / 2, inner = size * 0.24;
    // Shadow.
    QPainterPath ringShadow;
    ringShadow.addEllipse(c + QPointF(1.5, 2), outer, outer);
    ringShadow.addEllipse(c + QPointF(1.5, 2), inner, inner);
    p.fillPath(ringShadow, QColor(0, 0, 0, 90));
    // Four red and four cream segments.
    for (int k = 0; k < 8; ++k) {
        QPainterPath seg;
        const double a0 = k * 45.0 + 22.5;
        seg.arcMoveTo(QRectF(c.x() - outer, c.y() - outer, outer * 2, outer * 2), a0);
        seg.arcTo(QRectF(c.x() - outer, c.y() - outer, outer * 2, outer * 2), a0, 45);
        seg.arcTo(QRectF(c.x() - inner, c.y() - inner, inner * 2, inner * 2), a0 + 45, -45);
        seg.closeSubpath();
        QRadialGradient g(c - QPointF(outer * 0.3, outer * 0.3), outer * 1.4);
        const QColor base = k % 2 ? QColor(206, 52, 44) : Cream();
        g.setColorAt(0, base.lighter(112));
        g.setColorAt(1, base.darker(125));
        p.fillPath(seg, g);
    }
    p.setPen(QPen(QColor(90, 40, 30), 1));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, outer, outer);
    p.drawEllipse(c, inner, inner);
    // The rope looped round the ring.
    p.setPen(QPen(Gold(), 1.6, Qt::DotLine, Qt::RoundCap));
    p.drawEllipse(c, (outer + inner) / 2 + 1, (outer + inner) / 2 + 1);
    return image;
}

QImage VolumeScale(int w, int h) {
    QImage image = Blank(w, h);
    QPainter p(&image);
    Smooth(p);
    Plate(p, QRectF(0.5, 0.5, w - 1.0, h - 1.5), Charcoal(), NightDeep(), QColor(150, 118, 60), w * 0.35);
    // A wedge that widens towards the top: louder.
    QPainterPath wedge;
    wedge.moveTo(w / 2.0, h - 8);
    wedge.lineTo(w * 0.78, 8);
    wedge.lineTo(w * 0.22, 8);
    wedge.closeSubpath();
    QLinearGradient g(0, h, 0, 0);
    g.setColorAt(0, QColor(60, 70, 100));
    g.setColorAt(1, Gold());
    p.fillPath(wedge, g);
    return image;
}

QImage VolumeKnob(int w, int h) {
    QImage image = Blank(w, h);
    QPainter p(&image);
    Smooth(p);
    Plate(p, QRectF(0.5, 0.5, w - 1.0, h - 1.5), GoldLight(), QColor(170, 120, 40), QColor(100, 70, 20), h * 0.4);
    p.setPen(QPen(QColor(90, 60, 20), 1));
    p.drawLine(QPointF(w * 0.25, h / 2.0 - 0.5), QPointF(w * 0.75, h / 2.0 - 0.5));
    return image;
}

QImage ScrollTrack(int w, int h) {
    QImage image = Make(w, h, QImage::Format_RGB32);
    QPainter p(&image);
    Smooth(p);
    QLinearGradient g(0, 0, w, 0);
    g.setColorAt(0, NightDeep());
    g.setColorAt(0.5, QColor(24, 30, 52));
    g.setColorAt(1, NightDeep());
    p.fillRect(QRect(0, 0, w, h), g);
    p.setPen(QPen(QColor(196, 152, 70, 120), 1));
    p.drawLine(QPointF(w / 2.0, 4), QPointF(w / 2.0, h - 4));
    return image;
}

QImage ScrollKnob(int w, int h) {
    QImage image = Blank(w, h);
    QPainter p(&image);
    Smooth(p);
    Plate(p, QRectF(1, 1, w - 2.0, h - 2.5), GoldLight(), QColor(170, 120, 40), QColor(100, 70, 20), std::min(w, h) * 0.3);
    p.setPen(QPen(QColor(110, 76, 24), 1));
    for (double y : {0.38, 0.5, 0.62}) p.drawLine(QPointF(w * 0.3, h * y), QPointF(w * 0.7, h * y));
    return image;
}

QImage ScrollCover(int w, int h) {
    QImage image = Make(w, h, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient g(0, 0, 0, h);
    g.setColorAt(0, QColor(22, 34, 70));
    g.setColorAt(1, NightDeep());
    p.fillRect(QRect(0, 0, w, h), g);
    return image;
}

QImage Plaque(bool test, int w, int h) {
    QImage image = Blank(w, h);
    QPainter p(&image);
    Smooth(p);
    const QColor top = test ? QColor(52, 58, 86) : QColor(88, 40, 48);
    const QColor bottom = test ? QColor(24, 28, 48) : QColor(46, 18, 26);
    Plate(p, QRectF(1, 1, w - 2.0, h - 3.0), top, bottom, QColor(196, 152, 70), h * 0.3);
    p.setPen(QPen(QColor(196, 152, 70, 90), 1));
    p.drawRoundedRect(QRectF(5, 5, w - 10.0, h - 11.0), h * 0.22, h * 0.22);
    return image;
}

QImage SpinnerStrip(int frames, int w, int h) {
    QImage strip = Blank(w, h * frames);
    QPainter p(&strip);
    Smooth(p);
    for (int f = 0; f < frames; ++f) {
        p.save();
        p.translate(w / 2.0, f * h + h / 2.0);
        const double r = std::min(w, h) / 2.0 - 4;
        // A gold film reel that turns: spokes advance with the frame.
        QRadialGradient g(QPointF(-r * 0.3, -r * 0.3), r * 1.6);
        g.setColorAt(0, QColor(60, 72, 120));
        g.setColorAt(1, NightDeep());
        p.setPen(QPen(Gold(), 3));
        p.setBrush(g);
        p.drawEllipse(QPointF(0, 0), r, r);
        p.rotate(f * 360.0 / frames);
        p.setPen(QPen(QColor(196, 152, 70, 160), 2));
        p.setBrush(QColor(0, 0, 0, 90));
        for (int k = 0; k < 6; ++k) {
            const double a = k * M_PI / 3;
            p.drawEllipse(QPointF(std::cos(a) * r * 0.62, std::sin(a) * r * 0.62), r * 0.2, r * 0.2);
        }
        p.restore();
    }
    return strip;
}

QImage AwardStrip(int w, int h) {
    QImage image = Blank(w, h);
    QPainter p(&image);
    Smooth(p);
    const QColor metals[3] = {QColor(196, 122, 64), QColor(200, 204, 214), QColor(236, 190, 72)};
    const double cell = w / 3.0;
    for (int k = 0; k < 3; ++k) {
        const QPointF c(cell * k + cell / 2, h / 2.0);
        const double r = std::min(cell, double(h)) / 2 - 1;
        QRadialGradient g(c - QPointF(r * 0.3, r * 0.3), r * 1.5);
        g.setColorAt(0, metals[k].lighter(140));
        g.setColorAt(1, metals[k].darker(130));
        p.setBrush(g);
        p.setPen(QPen(metals[k].darker(170), 1));
        // A five-pointed star.
        QPainterPath star;
        for (int i = 0; i < 10; ++i) {
            const double a = -M_PI / 2 + i * M_PI / 5;
            const double rad = i % 2 ? r * 0.45 : r;
            const QPointF q(c.x() + std::cos(a) * rad, c.y() + std::sin(a) * rad);
            i ? star.lineTo(q) : star.moveTo(q);
        }
        star.closeSubpath();
        p.drawPath(star);
    }
    return image;
}

QImage StarStrip(int frames, int w, int h) {
    QImage strip = Blank(w, h * frames);
    QPainter p(&strip);
    Smooth(p);
    for (int f = 0; f < frames; ++f) {
        // The star grows in, turns and sparkles.
        const double t = double(f) / std::max(1, frames - 1);
        const double r = (std::min(w, h) / 2.0 - 2) * std::min(1.0, 0.3 + t * 1.2);
        const QPointF c(w / 2.0, f * h + h / 2.0);
        QPainterPath star;
        for (int i = 0; i < 10; ++i) {
            const double a = -M_PI / 2 + i * M_PI / 5 + t * M_PI * 0.4;
            const double rad = i % 2 ? r * 0.45 : r;
            const QPointF q(c.x() + std::cos(a) * rad, c.y() + std::sin(a) * rad);
            i ? star.lineTo(q) : star.moveTo(q);
        }
        star.closeSubpath();
        QRadialGradient g(c, r);
        g.setColorAt(0, QColor(255, 248, 210));
        g.setColorAt(1, Gold());
        p.setPen(QPen(QColor(150, 100, 30), 1));
        p.setBrush(g);
        p.drawPath(star);
    }
    return strip;
}

QImage ScaleArrow(int w, int h) {
    QImage image = Blank(w, h);
    QPainter p(&image);
    Smooth(p);
    QPainterPath path;
    path.moveTo(w / 2.0, 0);
    path.lineTo(w - 0.5, h - 0.5);
    path.lineTo(0.5, h - 0.5);
    path.closeSubpath();
    p.fillPath(path, Gold());
    return image;
}

QImage TileSlot(int w, int h) {
    QImage image = Blank(w, h);
    QPainter p(&image);
    Smooth(p);
    QPainterPath slot;
    slot.addRoundedRect(QRectF(1.5, 1.5, w - 3.0, h - 3.0), 6, 6);
    p.fillPath(slot, QColor(6, 10, 24, 200));
    p.setPen(QPen(QColor(196, 152, 70, 160), 1.2, Qt::DashLine));
    p.drawPath(slot);
    return image;
}

QImage Background(TBackground which, int w, int h) {
    QImage image = Make(w, h, QImage::Format_RGB32);
    QPainter p(&image);
    Smooth(p);
    NightBackdrop(p, w, h);
    switch (which) {
    case TBackground::Activity:
        Spotlight(p, QPointF(400, 40), 380, 46);
        FilmEdge(p, 0, w, 16);
        Frame(p, QRectF(264, 42, 272, 220));
        Band(p, QRectF(12, 322, 776, 72));
        FilmEdge(p, h - 16, w, 16);
        break;
    case TBackground::NextLine:
        // The film sits a little lower and the line (or its three choices)
        // takes a deeper band.
        Spotlight(p, QPointF(400, 40), 380, 46);
        FilmEdge(p, 0, w, 16);
        Frame(p, QRectF(264, 46, 272, 220));
        Band(p, QRectF(16, 352, 768, 142));
        FilmEdge(p, h - 16, w, 16);
        break;
    case TBackground::Screenplay:
        Spotlight(p, QPointF(400, 0), 420, 50);
        Frame(p, QRectF(223, 27, 352, 288));
        Band(p, QRectF(12, 352, 776, 72));
        // The control shelf under the film, and the line tools beside it.
        Band(p, QRectF(330, 318, 140, 40));
        Band(p, QRectF(156, 32, 58, 236));
        Band(p, QRectF(584, 32, 58, 236));
        Band(p, QRectF(230, 526, 360, 74));
        break;
    case TBackground::Recording:
        Spotlight(p, QPointF(120, 120), 220, 40);
        Spotlight(p, QPointF(400, 40), 360, 40);
        Frame(p, QRectF(36, 94, 150, 150));
        Frame(p, QRectF(224, 34, 352, 288));
        Band(p, QRectF(84, 340, 632, 112));
        Band(p, QRectF(90, 446, 620, 80));
        break;
    case TBackground::WordSearch:
        Spotlight(p, QPointF(230, 120), 320, 42);
        Frame(p, QRectF(40, 28, 384, 256));
        Band(p, QRectF(34, 332, 396, 82));
        Band(p, QRectF(34, 406, 396, 140));
        Band(p, QRectF(474, 26, 290, 518));
        break;
    case TBackground::Dictionary:
        Spotlight(p, QPointF(236, 150), 300, 44);
        Frame(p, QRectF(96, 54, 280, 212));
        Band(p, QRectF(84, 326, 298, 143));
        Band(p, QRectF(422, 52, 296, 432));
        break;
    case TBackground::Quiz: {
        // A game-show set: spotlights, the video screen and three answer plates.
        Spotlight(p, QPointF(120, 60), 260, 60);
        Spotlight(p, QPointF(680, 60), 260, 60);
        Spotlight(p, QPointF(438, 120), 300, 40);
        Frame(p, QRectF(292, 34, 292, 188));
        Band(p, QRectF(290, 232, 292, 88));
        const QRectF plates[3] = {{203, 450, 513, 31}, {182, 484, 569, 35}, {156, 526, 636, 44}};
        for (const QRectF& r : plates) {
            QPainterPath plate;
            plate.addRoundedRect(r, r.height() / 2, r.height() / 2);
            QLinearGradient g(r.topLeft(), r.bottomLeft());
            g.setColorAt(0, QColor(44, 62, 112));
            g.setColorAt(1, QColor(18, 26, 56));
            p.fillPath(plate, g);
            p.setPen(QPen(Gold(), 1.2));
            p.drawPath(plate);
        }
        // The podiums with the score windows.
        Band(p, QRectF(100, 312, 70, 40));
        Band(p, QRectF(366, 390, 170, 42)); // four 37-pixel digits from 377
        Band(p, QRectF(150, 568, 647, 32));
        break;
    }
    case TBackground::Vocabulary:
    case TBackground::VocabularyTest: {
        const bool test = which == TBackground::VocabularyTest;
        Spotlight(p, QPointF(400, test ? 150 : 100), 420, 40);
        for (int k = 0; k < 6; ++k)
            Frame(p, QRectF(k % 3 == 0 ? 14 : k % 3 == 1 ? 274 : 536, (k < 3 ? 97 : 296) + (test ? 54 : 0), 249, 187));
        Band(p, QRectF(246, test ? 546 : 492, 312, 50));
        break;
    }
    case TBackground::HelpLanguage:
        Spotlight(p, QPointF(400, 120), 360, 44);
        Band(p, QRectF(290, 60, 220, 270));
        break;
    case TBackground::DropDown:
        p.fillRect(QRect(0, 0, w, h), QColor(6, 8, 16));
        FilmEdge(p, h - 12, w, 12);
        p.setPen(QPen(QColor(196, 152, 70, 160), 1));
        p.drawLine(0, 0, w, 0);
        break;
    case TBackground::Bars:
        for (int k = 0; k < 3; ++k) {
            const QRectF r(2, 3 + k * 44, w - 4.0, 38);
            QPainterPath bar;
            bar.addRoundedRect(r, 10, 10);
            QLinearGradient g(r.topLeft(), r.bottomLeft());
            g.setColorAt(0, QColor(52, 70, 122));
            g.setColorAt(1, QColor(22, 30, 62));
            p.fillPath(bar, g);
            p.setPen(QPen(Gold(), 1));
            p.drawPath(bar);
        }
        break;
    case TBackground::TileArea:
        Spotlight(p, QPointF(400, 0), 300, 36);
        break;
    case TBackground::TilesTray:
        break; // drawn below on a transparent picture
    case TBackground::Stage:
        Spotlight(p, QPointF(400, 40), 420, 40);
        FilmEdge(p, 0, w, 16);
        FilmEdge(p, h - 16, w, 16);
        break;
    case TBackground::TextPanel:
        p.fillRect(QRect(0, 0, w, h), NightDeep());
        Band(p, QRectF(6, 6, w - 12.0, h - 12.0));
        break;
    }
    if (which == TBackground::TilesTray) {
        p.end();
        QImage tray = Blank(w, h);
        QPainter q(&tray);
        Smooth(q);
        Plate(q, QRectF(1, 1, w - 2.0, h - 3.0), QColor(60, 52, 40), QColor(30, 26, 22), Gold(), 12);
        return tray;
    }
    if (which != TBackground::Bars && which != TBackground::DropDown) Vignette(p, QRectF(0, 0, w, h));
    return image;
}

QString DialogStyleSheet() {
    return QStringLiteral(
        "QMessageBox, QDialog { background-color: rgb(18, 28, 58); }"
        "QMessageBox QLabel, QDialog QLabel { color: rgb(246, 236, 212); font-size: 15px; }"
        "QPushButton { color: rgb(246, 236, 212); background-color: qlineargradient(x1:0, y1:0, x2:0, y2:1,"
        " stop:0 rgb(44, 62, 112), stop:1 rgb(18, 26, 56)); border: 1px solid rgb(196, 152, 70);"
        " border-radius: 6px; padding: 5px 18px; min-width: 64px; }"
        "QPushButton:hover { border-color: rgb(246, 212, 130); background-color: rgb(58, 80, 138); }"
        "QPushButton:pressed { background-color: rgb(14, 20, 44); padding-top: 6px; padding-bottom: 4px; }"
        "QPushButton:focus { border-width: 2px; }");
}

// ---- catalogue ------------------------------------------------------------------

std::vector<TSkinPicture> Catalogue() {
    std::vector<TSkinPicture> all;
    const auto add = [&](std::string name, QImage picture) { all.push_back({std::move(name), std::move(picture)}); };
    // Button strips at the screens' sizes.
    const struct {
        const char* name;
        int w, h;
    } buttons[] = {
        {"Back", 38, 44},        {"Play", 38, 27},        {"Play", 49, 34},         {"Stop", 49, 34},
        {"Play", 35, 38},        {"Play", 39, 39},        {"Play", 36, 36},         {"Volume", 24, 24},
        {"Volume", 22, 22},      {"Hint", 49, 47},        {"Up", 24, 24},           {"Down", 24, 24},
        {"Up", 37, 91},          {"Down", 37, 91},        {"Up", 32, 83},           {"Down", 32, 83},
        {"Up", 23, 51},          {"Down", 23, 51},        {"ScrollUp", 28, 27},     {"ScrollDown", 28, 27},
        {"Rwd", 29, 28},         {"Fwd", 29, 28},         {"Script", 64, 64},       {"Find", 105, 59},
        {"Expand", 91, 63},      {"Sound", 109, 85},      {"Record", 59, 55},       {"PlayBack", 59, 55},
        {"BigPlay", 112, 70},    {"BigStop", 111, 70},    {"Start", 125, 55},       {"Start", 102, 49},
        {"Flag", 78, 46},        {"ReadMe", 29, 28},      {"Info", 29, 28},         {"Licence", 29, 28},
        {"Activities", 242, 154}, {"ScreenPlay", 184, 166}, {"MovieQuiz", 242, 140}, {"RecordMenu", 239, 98},
        {"Dictionary", 239, 110}, {"WordSearch", 236, 112}, {"VocabPrac", 268, 66},  {"VocabTest", 152, 58},
        {"MissingPrac", 224, 59}, {"MissingTest", 194, 58}, {"NextLinePrac", 180, 58}, {"NextLineTest", 236, 60},
        {"SpellPrac", 140, 57},  {"SpellTest", 274, 58},  {"Print", 69, 54},
    };
    for (const auto& b : buttons)
        add(std::string("button-") + b.name + "-" + std::to_string(b.w) + "x" + std::to_string(b.h),
            NamedButtonStrip(b.name, b.w, b.h));
    add("tick", Tick());
    add("cross", Cross());
    add("lights-on", LightBar(true));
    add("lights-off", LightBar(false));
    add("lights-on-horizontal", LightBar(true, 219, 27));
    for (int d = 0; d <= 9; ++d) add("led-" + std::to_string(d), LedDigit(d));
    const auto p1 = ScoreDigitImages(37, 25), p2 = ScoreDigitImages(14, 21);
    for (size_t k = 0; k < p1.size(); ++k) add("score1-" + std::to_string(k), p1[k]);
    for (size_t k = 0; k < p2.size(); ++k) add("score2-" + std::to_string(k), p2[k]);
    for (char c : {'A', 'B', 'C'}) add(std::string("marker-") + c, Marker(c));
    add("opponent-figure", OpponentFigure());
    add("lifebelt", Lifebelt());
    add("volume-scale", VolumeScale());
    add("volume-knob", VolumeKnob());
    add("volume-scale-small", VolumeScale(17, 113));
    add("volume-knob-small", VolumeKnob(17, 8));
    add("scroll-track", ScrollTrack(28, 176));
    add("scroll-knob", ScrollKnob());
    add("scroll-cover", ScrollCover(16, 148));
    add("plaque-practice", Plaque(false));
    add("plaque-test", Plaque(true));
    add("spinner", SpinnerStrip());
    add("award-strip", AwardStrip());
    add("star-strip", StarStrip());
    for (int d = 1; d <= 9; ++d) add("clapper-" + std::to_string(d), ClapperDigit(d));
    add("studio-cover", StudioCover());
    add("scene-thumb", SceneThumb(3));
    add("scale-arrow", ScaleArrow());
    add("tile-slot", TileSlot());
    add("background-activity", Background(TBackground::Activity));
    add("background-stage", Background(TBackground::Stage));
    add("background-nextline", Background(TBackground::NextLine));
    add("background-screenplay", Background(TBackground::Screenplay));
    add("background-recording", Background(TBackground::Recording));
    add("background-wordsearch", Background(TBackground::WordSearch));
    add("background-dictionary", Background(TBackground::Dictionary));
    add("background-vocabulary", Background(TBackground::Vocabulary));
    add("background-vocabulary-test", Background(TBackground::VocabularyTest));
    add("background-quiz", Background(TBackground::Quiz));
    add("background-helplanguage", Background(TBackground::HelpLanguage));
    add("dropdown", Background(TBackground::DropDown, 800, 190));
    add("bars", Background(TBackground::Bars, 750, 124));
    add("tile-area", Background(TBackground::TileArea, 800, 260));
    add("tiles-tray", Background(TBackground::TilesTray, 568, 83));
    add("text-panel", Background(TBackground::TextPanel, 400, 300));
    return all;
}

QImage ContactSheet(const std::vector<TSkinPicture>& pictures, int width) {
    // Lay the pictures out in rows; big ones are shown at half size.
    struct TPlaced {
        const TSkinPicture* picture;
        QRect rect;
    };
    std::vector<TPlaced> placed;
    const int gap = 12, label = 14;
    int x = gap, y = gap, rowHeight = 0;
    for (const TSkinPicture& pic : pictures) {
        QSize size = pic.Picture.size();
        if (size.width() > 420 || size.height() > 320) size = size / 2;
        if (size.height() > 400) size.scale(size.width(), 400, Qt::KeepAspectRatio);
        const int cellW = std::max(size.width(), 90);
        if (x + cellW > width - gap) {
            x = gap;
            y += rowHeight + label + gap;
            rowHeight = 0;
        }
        placed.push_back({&pic, QRect(QPoint(x, y), size)});
        x += cellW + gap;
        rowHeight = std::max(rowHeight, size.height());
    }
    const int height = y + rowHeight + label + gap;
    QImage sheet(width, height, QImage::Format_RGB32);
    sheet.fill(QColor(96, 100, 110)); // a neutral grey shows transparency and contrast
    QPainter p(&sheet);
    Smooth(p);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(10);
    p.setFont(font);
    for (const TPlaced& pl : placed) {
        p.drawImage(pl.rect, pl.picture->Picture);
        p.setPen(QColor(255, 255, 255));
        p.drawText(QRect(pl.rect.left(), pl.rect.bottom() + 2, std::max(pl.rect.width(), 90) + 10, label),
                   Qt::AlignLeft | Qt::AlignTop, QString::fromStdString(pl.picture->Name));
    }
    return sheet;
}

} // namespace tav::skin
