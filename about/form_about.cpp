#include "about/form_about.h"

#include "about/credit_panel.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QVariantAnimation>

namespace about {

TFormAbout::TFormAbout(CreditPanel& first, CreditPanel& second, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      ButClose(new QPushButton(QStringLiteral("Закрыть"), this)),
      first_(first),
      second_(second),
      opening_(new QVariantAnimation(this)) {
    setObjectName(QStringLiteral("TFormAbout"));
    setWindowTitle(QStringLiteral("О программе"));
    setModal(true);
    setFixedSize(kClientWidth, kClientHeight);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    // The picture covers the window: erasing first would only flicker.
    setAttribute(Qt::WA_OpaquePaintEvent);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    ButClose->setObjectName(QStringLiteral("ButClose"));
    ButClose->setAutoDefault(false);
    connect(ButClose, &QPushButton::clicked, this, &QDialog::reject);

    TimerStep.setInterval(100);
    connect(&TimerStep, &QTimer::timeout, this, &TFormAbout::TimerStepTimer);

    // Opening grows the visible part of the window from its centre.
    opening_->setDuration(kOpeningMs);
    opening_->setStartValue(0.0);
    opening_->setEndValue(1.0);
    connect(opening_, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) {
        const double f = v.toDouble();
        const int w = std::max(1, int(width() * f));
        const int h = std::max(1, int(height() * f));
        setMask(QRect((width() - w) / 2, (height() - h) / 2, w, h));
    });
    connect(opening_, &QVariantAnimation::finished, this, [this] { clearMask(); });
}

TFormAbout::~TFormAbout() = default;

void TFormAbout::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    const QSize hint = ButClose->sizeHint().expandedTo(QSize(90, 25));
    ButClose->setGeometry((width() - hint.width()) / 2, height() - hint.height() - 8, hint.width(),
                          hint.height());
}

void TFormAbout::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TFormAbout::hideEvent(QHideEvent* event) {
    FormHide();
    QDialog::hideEvent(event);
}

void TFormAbout::FormShow() {
    pictureA_ = first_.picture();
    pictureB_ = second_.picture();
    if (pictureB_.size() != pictureA_.size()) pictureB_ = pictureB_.scaled(pictureA_.size());
    back_ = pictureA_.copy();
    cycle_.restart();
    opening_->stop();
    opening_->start();
    update();
    TimerStep.start();
}

void TFormAbout::FormHide() {
    TimerStep.stop();
    opening_->stop();
    clearMask();
}

void TFormAbout::TimerStepTimer() {
    // The keyboard's state, whichever window has the focus.
    const bool alt = QGuiApplication::queryKeyboardModifiers().testFlag(Qt::AltModifier);
    if (!cycle_.tick(alt)) return;
    draw();
    update();
}

void TFormAbout::draw() {
    const QImage& picture = cycle_.current() == AboutCycle::Picture::A ? pictureA_ : pictureB_;
    if (back_.size() != picture.size()) back_ = QImage(picture.size(), QImage::Format_RGB32);
    drawFolded(back_, picture, cycle_.scale());
}

void TFormAbout::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const int rows = std::max(0, back_.height() - 1);  // rows 0 to height - 2
    p.drawImage(QPoint(0, 0), back_, QRect(0, 0, back_.width(), rows));
    p.fillRect(QRect(0, rows, width(), height() - rows), Qt::black);
    if (back_.width() < width()) p.fillRect(QRect(back_.width(), 0, width(), rows), Qt::black);
}

}  // namespace about
