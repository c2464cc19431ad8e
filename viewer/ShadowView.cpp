#include "viewer/ShadowView.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

#include "toolkit/Skin.h"

namespace tav {

namespace {
constexpr int kMargin = 10, kLabelWidth = 40, kAxisHeight = 18, kTitleHeight = 20;
constexpr float kLowHz = 70.0f, kHighHz = 600.0f;
// A quiet take is drawn up to this much larger, so its rhythm still shows.
constexpr float kMaxGain = 8.0f;
}

TShadowView::TShadowView(QWidget* parent) : QWidget(parent) {
    setCursor(Qt::PointingHandCursor);
    setToolTip(QStringLiteral("Your take against the actor's line: click to close"));
}

void TShadowView::SetAnalysis(const TShadowAnalysis& analysis) {
    analysis_ = analysis;
    waiting_ = false;
    update();
}

void TShadowView::ShowWaiting() {
    analysis_ = {};
    waiting_ = true;
    update();
}

QRect TShadowView::ActorLane() const {
    const int top = kMargin + kTitleHeight;
    const int h = (height() - top - kAxisHeight - kMargin - 6) / 2;
    return QRect(kMargin + kLabelWidth, top, width() - 2 * kMargin - kLabelWidth, h);
}

QRect TShadowView::LearnerLane() const {
    const QRect a = ActorLane();
    return QRect(a.left(), a.bottom() + 7, a.width(), a.height());
}

double TShadowView::TimeToX(double seconds) const {
    const QRect lane = ActorLane();
    const double total = analysis_.Seconds > 0 ? analysis_.Seconds : 1.0;
    return lane.left() + seconds / total * lane.width();
}

int TShadowView::PitchToY(const QRect& lane, float hz) const {
    const float clamped = std::clamp(hz, kLowHz, kHighHz);
    const double f = std::log(clamped / kLowHz) / std::log(kHighHz / kLowHz);
    return int(std::lround(lane.bottom() - 3 - f * (lane.height() - 6)));
}

void TShadowView::PaintLane(QPainter& p, const QRect& lane, const TVoiceTrack& track, const QColor& ink,
                            const TVoiceTrack* guide, const QString& label) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 14));
    p.drawRoundedRect(lane, 4, 4);
    p.setPen(skin::Cream());
    p.setFont([] {
        QFont f("Arial");
        f.setPixelSize(12);
        f.setBold(true);
        return f;
    }());
    p.drawText(QRect(kMargin, lane.top(), kLabelWidth - 4, lane.height()), Qt::AlignLeft | Qt::AlignVCenter, label);

    // Waveform: one bar per hop, mirrored about the lane's middle, each
    // voice scaled to its own loudest moment.
    const double mid = lane.center().y();
    const float loudest = track.Peak.empty() ? 0.0f : *std::max_element(track.Peak.begin(), track.Peak.end());
    const float gain = loudest > 0 ? std::min(1.0f / loudest, kMaxGain) : 1.0f;
    QColor wave = ink;
    wave.setAlpha(150);
    p.setPen(QPen(wave, 1));
    for (size_t i = 0; i < track.Peak.size(); ++i) {
        const double x0 = TimeToX(double(i) * track.HopSeconds), x1 = TimeToX(double(i + 1) * track.HopSeconds);
        const double half = std::min(1.0f, track.Peak[i] * gain) * (lane.height() / 2.0 - 2);
        for (int x = int(x0); x <= int(x1) && x < lane.right(); ++x)
            p.drawLine(QPointF(x, mid - half), QPointF(x, mid + half));
    }
    auto contour = [&](const TVoiceTrack& t, const QPen& pen) {
        QPainterPath path;
        bool open = false;
        for (size_t i = 0; i < t.PitchHz.size(); ++i) {
            if (t.PitchHz[i] <= 0) {
                open = false;
                continue;
            }
            const QPointF pt(TimeToX((double(i) + 0.5) * t.HopSeconds), PitchToY(lane, t.PitchHz[i]));
            if (open) path.lineTo(pt);
            else path.moveTo(pt);
            open = true;
        }
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawPath(path);
    };
    if (guide) contour(*guide, QPen(QColor(244, 234, 208, 110), 2, Qt::DashLine));
    contour(track, QPen(ink.lighter(120), 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
}

void TShadowView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF plate = QRectF(rect()).adjusted(1, 1, -1, -1);
    p.setPen(QPen(skin::Gold(), 2));
    p.setBrush(skin::NightDeep());
    p.drawRoundedRect(plate, 8, 8);

    QFont title("Arial");
    title.setPixelSize(13);
    p.setFont(title);
    p.setPen(skin::GoldLight());
    p.drawText(QRect(kMargin, kMargin - 4, width() - 2 * kMargin, kTitleHeight), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Shadowing: rhythm and melody"));
    p.setPen(QColor(244, 234, 208, 150));
    p.drawText(QRect(kMargin, kMargin - 4, width() - 2 * kMargin, kTitleHeight), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("click to close"));

    if (waiting_ || analysis_.Seconds <= 0) {
        p.setPen(skin::Cream());
        p.drawText(rect(), Qt::AlignCenter,
                   waiting_ ? QStringLiteral("Comparing your take with the actor\u2026")
                            : QStringLiteral("Nothing to compare"));
        return;
    }
    PaintLane(p, ActorLane(), analysis_.Actor, skin::Cream(), nullptr, QStringLiteral("Actor"));
    PaintLane(p, LearnerLane(), analysis_.Learner, skin::Gold(), &analysis_.Actor, QStringLiteral("You"));

    // The shared time axis: a tick every half second, seconds labelled.
    const QRect learner = LearnerLane();
    const int axisY = learner.bottom() + 4;
    p.setPen(QPen(QColor(244, 234, 208, 160), 1));
    p.drawLine(QPointF(TimeToX(0), axisY), QPointF(TimeToX(analysis_.Seconds), axisY));
    QFont small("Arial");
    small.setPixelSize(10);
    p.setFont(small);
    for (int half = 0; half * 0.5 <= analysis_.Seconds + 1e-9; ++half) {
        const double x = TimeToX(half * 0.5);
        p.drawLine(QPointF(x, axisY), QPointF(x, axisY + (half % 2 ? 3 : 5)));
        if (half % 2 == 0) p.drawText(QRectF(x - 15, axisY + 4, 30, 12), Qt::AlignCenter, QStringLiteral("%1 s").arg(half / 2));
    }
}

void TShadowView::mousePressEvent(QMouseEvent* e) {
    e->accept();
    hide();
    if (OnDismiss) OnDismiss();
}

} // namespace tav
