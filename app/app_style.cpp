#include "app/app_style.h"

#include <QApplication>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>

namespace app {

bool applyVisualStyle(QApplication& application) {
    QStyle* style = QStyleFactory::create(QStringLiteral("Fusion"));
    if (!style) return false;
    application.setStyle(style);
    const QColor slateLight(0xe9, 0xee, 0xf2), slate(0x47, 0x55, 0x69), slateDark(0x1e, 0x29, 0x3b),
        emerald(0x10, 0x8a, 0x5e), base(0xfb, 0xfd, 0xfc), alternate(0xee, 0xf6, 0xf1);
    QPalette p;
    p.setColor(QPalette::Window, slateLight);
    p.setColor(QPalette::WindowText, slateDark);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, alternate);
    p.setColor(QPalette::ToolTipBase, QColor(0xff, 0xfd, 0xe7));
    p.setColor(QPalette::ToolTipText, slateDark);
    p.setColor(QPalette::Text, slateDark);
    p.setColor(QPalette::Button, QColor(0xdd, 0xe5, 0xeb));
    p.setColor(QPalette::ButtonText, slateDark);
    p.setColor(QPalette::BrightText, Qt::white);
    p.setColor(QPalette::Highlight, emerald);
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Link, emerald);
    p.setColor(QPalette::PlaceholderText, slate);
    p.setColor(QPalette::Disabled, QPalette::Text, QColor(0x94, 0xa3, 0xb8));
    p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x94, 0xa3, 0xb8));
    p.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x94, 0xa3, 0xb8));
    application.setPalette(p);
    return true;
}

}  // namespace app
