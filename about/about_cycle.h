#pragma once
// The about window's picture cycle, apart from any window so that it can be
// stepped tick by tick: picture A stays 15 seconds, folds into strips, B
// unfolds from them, B stays, folds, A unfolds, and so on.

#include <QImage>

namespace about {

class AboutCycle {
  public:
    enum class Picture { A, B };
    // Ticks (of 100 ms) a picture stays whole before the next transition.
    static constexpr int kWaitTicks = 150;
    static constexpr int kStrips = 10;

    // Picture A whole, a full wait ahead.
    void restart();
    // One tick of the timer; true when the picture changed and must be
    // drawn. Alt held starts the next transition at once.
    bool tick(bool altDown);

    int phase() const { return phase_; }
    int tickCount() const { return tickCount_; }
    bool running() const { return running_; }
    double scale() const { return scale_; }
    Picture current() const { return current_; }

  private:
    int phase_ = 0;
    int tickCount_ = 0;
    bool running_ = false;
    double scale_ = 1.0;
    Picture current_ = Picture::A;
};

// Draws a picture into the buffer at a scale of the cycle: whole above 0.9,
// otherwise as its strips each narrowed to the scale at its own left edge,
// on black.
void drawFolded(QImage& buffer, const QImage& picture, double scale);

}  // namespace about
