#include "viewer/LineToolIcons.h"

#include <QPainterPath>

#include "toolkit/Skin.h"

namespace tav {

namespace {

void DrawLineTool(TLineTool tool, QPainter& p, const QRectF& r, const QColor& c) {
    const double w = r.width(), h = r.height();
    const auto at = [&](double fx, double fy) { return QPointF(r.left() + w * fx, r.top() + h * fy); };
    const QPen pen = skin::LineIconPen(r, c);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    const auto triangle = [&](double x0, double x1, bool right) {
        QPainterPath t;
        t.moveTo(at(right ? x0 : x1, 0.18));
        t.lineTo(at(right ? x1 : x0, 0.5));
        t.lineTo(at(right ? x0 : x1, 0.82));
        t.closeSubpath();
        p.fillPath(t, c);
    };
    const auto arrowHead = [&](QPointF tip, QPointF dir) {
        // A filled head at tip pointing along dir (unit length in box widths).
        const QPointF n(-dir.y(), dir.x());
        QPainterPath head;
        head.moveTo(tip);
        head.lineTo(tip - dir * (w * 0.26) + n * (w * 0.15));
        head.lineTo(tip - dir * (w * 0.26) - n * (w * 0.15));
        head.closeSubpath();
        p.fillPath(head, c);
    };
    const auto glyph = [&](const QString& text) {
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setWeight(QFont::Black);
        font.setPixelSize(int(h * 0.95));
        p.setFont(font);
        p.setPen(c);
        p.drawText(r.adjusted(-w * 0.2, -h * 0.1, w * 0.2, h * 0.1), Qt::AlignCenter, text);
    };
    switch (tool) {
    case TLineTool::PrevLine: // |<
        p.drawLine(at(0.14, 0.2), at(0.14, 0.8));
        triangle(0.24, 0.86, false);
        break;
    case TLineTool::NextLine: // >|
        triangle(0.14, 0.76, true);
        p.drawLine(at(0.86, 0.2), at(0.86, 0.8));
        break;
    case TLineTool::Replay: {
        // Once round again: an open circle with its arrow, a small play mark inside.
        const QRectF ring(at(0.08, 0.08), at(0.92, 0.92));
        p.drawArc(ring, 120 * 16, 280 * 16);
        arrowHead(at(0.2, 0.16), QPointF(0.7, -0.7));
        QPainterPath t;
        t.moveTo(at(0.42, 0.34));
        t.lineTo(at(0.66, 0.5));
        t.lineTo(at(0.42, 0.66));
        t.closeSubpath();
        p.fillPath(t, c);
        break;
    }
    case TLineTool::Loop: {
        // Round and round: a rounded loop with two arrows.
        QPainterPath top, bottom;
        top.moveTo(at(0.12, 0.56));
        top.lineTo(at(0.12, 0.44));
        top.quadTo(at(0.12, 0.22), at(0.34, 0.22));
        top.lineTo(at(0.8, 0.22));
        bottom.moveTo(at(0.88, 0.44));
        bottom.lineTo(at(0.88, 0.56));
        bottom.quadTo(at(0.88, 0.78), at(0.66, 0.78));
        bottom.lineTo(at(0.2, 0.78));
        p.drawPath(top);
        p.drawPath(bottom);
        arrowHead(at(0.96, 0.22), QPointF(1, 0));
        arrowHead(at(0.04, 0.78), QPointF(-1, 0));
        break;
    }
    case TLineTool::Slow75:
        glyph(QString(QChar(0x00BE))); // ¾
        break;
    case TLineTool::Slow50:
        glyph(QString(QChar(0x00BD))); // ½
        break;
    case TLineTool::AutoPause: {
        // A speech bubble holding a pause mark: stop after each line.
        QPainterPath bubble;
        bubble.addRoundedRect(QRectF(at(0.02, 0.06), at(0.98, 0.7)), w * 0.16, w * 0.16);
        QPainterPath tail;
        tail.moveTo(at(0.24, 0.68));
        tail.lineTo(at(0.18, 0.94));
        tail.lineTo(at(0.44, 0.68));
        p.drawPath(bubble);
        p.drawPath(tail);
        p.fillRect(QRectF(at(0.34, 0.22), at(0.44, 0.54)), c);
        p.fillRect(QRectF(at(0.56, 0.22), at(0.66, 0.54)), c);
        break;
    }
    case TLineTool::Translation: {
        // The caption and, under it, its translation.
        p.drawRoundedRect(QRectF(at(0.02, 0.1), at(0.98, 0.9)), w * 0.1, w * 0.1);
        p.drawLine(at(0.18, 0.34), at(0.82, 0.34));
        QPen thin = pen;
        thin.setWidthF(pen.widthF() * 0.7);
        thin.setStyle(Qt::DotLine);
        p.setPen(thin);
        p.drawLine(at(0.24, 0.64), at(0.76, 0.64));
        break;
    }
    case TLineTool::MyWords: {
        // Two word cards, one on the other, the front one with lines of text.
        p.drawRoundedRect(QRectF(at(0.22, 0.04), at(0.98, 0.66)), w * 0.08, w * 0.08);
        p.fillRect(QRectF(at(0.02, 0.3), at(0.78, 0.94)), QColor(18, 26, 56));
        p.drawRoundedRect(QRectF(at(0.02, 0.3), at(0.78, 0.94)), w * 0.08, w * 0.08);
        p.drawLine(at(0.16, 0.52), at(0.64, 0.52));
        p.drawLine(at(0.16, 0.74), at(0.5, 0.74));
        break;
    }
    }
}

} // namespace

QImage LineToolStrip(TLineTool tool, int w, int h, bool lit) {
    return skin::CustomButtonStrip(
        [tool](QPainter& p, const QRectF& box, const QColor& ink) {
            p.save();
            DrawLineTool(tool, p, box, ink);
            p.restore();
        },
        w, h, lit);
}

} // namespace tav
