#include "about/about_cycle.h"

#include <QPainter>

namespace about {

void AboutCycle::restart() {
    phase_ = 0;
    tickCount_ = 0;
    running_ = false;
    scale_ = 1.0;
    current_ = Picture::A;
}

bool AboutCycle::tick(bool altDown) {
    if (!running_) {
        const int before = tickCount_++;
        if (before < kWaitTicks && !altDown) return false;
        running_ = true;
    }
    auto settle = [this](int nextPhase) {
        scale_ = 1.0;
        running_ = false;
        tickCount_ = 0;
        phase_ = nextPhase;
    };
    switch (phase_) {
        case 0:
            current_ = Picture::A;
            scale_ = 1.0;
            phase_ = 1;
            break;
        case 1:
        case 3:
            scale_ -= 0.1;
            if (scale_ < 0) {
                scale_ = 0;
                current_ = phase_ == 1 ? Picture::B : Picture::A;
                ++phase_;
            }
            break;
        case 2:
            scale_ += 0.1;
            if (scale_ > 1.0) settle(3);
            break;
        default:
            scale_ += 0.1;
            if (scale_ > 1.0) settle(0);
            break;
    }
    return true;
}

void drawFolded(QImage& buffer, const QImage& picture, double scale) {
    QPainter p(&buffer);
    if (scale > 0.9) {
        p.drawImage(0, 0, picture);
        return;
    }
    buffer.fill(Qt::black);
    const int w = picture.width() / AboutCycle::kStrips;
    const int h = picture.height();
    const int narrowed = int(w * scale);
    if (narrowed <= 0) return;
    for (int i = 0; i < AboutCycle::kStrips; ++i)
        p.drawImage(QRect(i * w, 0, narrowed, h), picture, QRect(i * w, 0, w, h));
}

}  // namespace about
