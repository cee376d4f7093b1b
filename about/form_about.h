#pragma once
// The about window: the two credit panels shown in turn, one folding into
// ten strips and the other unfolding from them every 15 seconds (at once
// while Alt is held). It grows from its centre when it opens, and every
// showing starts again at the first panel.

#include "about/about_cycle.h"

#include <QDialog>
#include <QImage>
#include <QTimer>

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

    // The panels are rendered anew at every showing.
    TFormAbout(CreditPanel& first, CreditPanel& second, QWidget* parent = nullptr);
    ~TFormAbout() override;

    QPushButton* const ButClose;  // "Закрыть", also Escape
    QTimer TimerStep;
    const AboutCycle& cycle() const { return cycle_; }
    const QImage& backBuffer() const { return back_; }

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

    CreditPanel& first_;
    CreditPanel& second_;
    QImage pictureA_;
    QImage pictureB_;
    QImage back_;
    AboutCycle cycle_;
    QVariantAnimation* opening_;
};

}  // namespace about
