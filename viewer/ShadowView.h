#pragma once
// The studio's shadowing view: the actor's line above and the learner's take
// below, each as a waveform with its pitch contour, on one time axis; the
// actor's contour is repeated faintly under the take so differences in
// rhythm and melody stand out. A click closes it.
#include <QWidget>

#include <functional>

#include "viewer/Shadowing.h"

namespace tav {

class TShadowView : public QWidget {
    Q_OBJECT
public:
    explicit TShadowView(QWidget* parent);

    void SetAnalysis(const TShadowAnalysis& analysis);
    const TShadowAnalysis& Analysis() const { return analysis_; }
    // Waiting for the analysis: the plate shows a short note instead.
    void ShowWaiting();

    // The shared time axis and the two lanes, for painting and tests.
    double TimeToX(double seconds) const;
    QRect ActorLane() const;
    QRect LearnerLane() const;
    // Height in a lane of a pitch (log scale, 70 .. 600 Hz).
    int PitchToY(const QRect& lane, float hz) const;

    std::function<void()> OnDismiss;

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;

private:
    void PaintLane(QPainter& p, const QRect& lane, const TVoiceTrack& track, const QColor& ink,
                   const TVoiceTrack* guide, const QString& label);

    TShadowAnalysis analysis_;
    bool waiting_ = false;
};

} // namespace tav
