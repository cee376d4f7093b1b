#pragma once
// The about window: the two credit panels shown in turn, one folding into
// ten strips and the other unfolding from them every 15 seconds. It grows
// from its centre when it opens, and every showing starts again at the
// first panel.

#include "about/about_cycle.h"

#include <QDialog>
#include <QImage>
#include <QTimer>
#include <functional>

class QPushButton;
class QVariantAnimation;

namespace about {

class CreditPanel;

class TFormAbout : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kClientWidth = 613;
    static constexpr int kClientHeight = 318;
    static constexpr int kOpeningMs = 1500;

    explicit TFormAbout(QWidget* parent = nullptr);
    ~TFormAbout() override;

    // The panels made at start-up, rendered anew at every showing.
    void setPanels(CreditPanel* first, CreditPanel* second);

    QPushButton* const ButClose;  // "Закрыть", also Escape
    QTimer TimerStep;
    const AboutCycle& cycle() const { return cycle_; }
    const QImage& backBuffer() const { return back_; }
    // Whether Alt is held; the keyboard's state by default.
    std::function<bool()> altDown;

    void TimerStepTimer();

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void FormShow();
    void FormHide();
    void draw();

    CreditPanel* first_ = nullptr;
    CreditPanel* second_ = nullptr;
    QImage pictureA_;
    QImage pictureB_;
    QImage back_;
    AboutCycle cycle_;
    QVariantAnimation* opening_;
};

}  // namespace about
