#include "about/credit_panel.h"

#include "dialogs/print_fonts.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

namespace about {

CreditPanel::CreditPanel(const QString& title, const QStringList& lines, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), title_(title), lines_(lines) {
    setFixedSize(kWidth, kHeight);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    hide();
}

QImage CreditPanel::picture() {
    QImage image(size(), QImage::Format_RGB32);
    image.fill(Qt::black);
    render(&image);
    return image;
}

void CreditPanel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    p.setRenderHint(QPainter::TextAntialiasing);

    const QFont titleFont = dialogs::designFont(QStringLiteral("Times New Roman"), 36, true, true);
    const QRect titleRect(0, 30, width(), 80);
    p.setFont(titleFont);
    p.setPen(QColor(0x80, 0x80, 0x00));  // the olive shadow, a little down and right
    p.drawText(titleRect.translated(4, 4), Qt::AlignCenter, title_);
    p.setPen(Qt::yellow);
    p.drawText(titleRect, Qt::AlignCenter, title_);

    p.setFont(dialogs::designFont(QStringLiteral("Arial"), 12, false, true));
    p.setPen(QColor(0xe0, 0xe0, 0xe0));
    const int lineHeight = p.fontMetrics().height() + 4;
    int y = titleRect.bottom() + 20;
    for (const QString& line : lines_) {
        p.drawText(QRect(0, y, width(), lineHeight), Qt::AlignCenter, line);
        y += lineHeight;
    }
}

CreditPanel* makeSplashPanel(QWidget* parent) {
    auto* panel = new CreditPanel(
        QStringLiteral("Терналь"),
        {QStringLiteral("Журнал учета документов"),
         QStringLiteral("экспертно-проверочной комиссии архива"), QStringLiteral("версия 2.01")},
        parent);
    panel->setObjectName(QStringLiteral("TFormSplash"));
    return panel;
}

CreditPanel* makeCreditsPanel(QWidget* parent) {
    auto* panel = new CreditPanel(
        QStringLiteral("Терналь 2.01"),
        {QStringLiteral("Разработка и сопровождение: команда velkor"),
         QStringLiteral("Сервер данных: MariaDB / MySQL"), QStringLiteral("Интерфейс: Qt 6"),
         QStringLiteral("Спасибо всем, кто ведет журнал ЕПК")},
        parent);
    panel->setObjectName(QStringLiteral("TFormCredits"));
    return panel;
}

}  // namespace about
