#pragma once
// Small pieces the program's dialogs are built from.

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QString>

namespace dialogs {

// A plain-text label with its object name.
inline QLabel* namedLabel(const char* utf8Text, const char* name, QWidget* parent) {
    auto* l = new QLabel(QString::fromUtf8(utf8Text), parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setTextFormat(Qt::PlainText);
    return l;
}

// The button bar at the bottom right: the confirming button answers Enter,
// the other one only its click (and Esc through the dialog).
inline QHBoxLayout* okCancelBar(QPushButton* ok, QPushButton* cancel) {
    ok->setDefault(true);
    cancel->setAutoDefault(false);
    auto* bar = new QHBoxLayout;
    bar->addStretch();
    bar->addWidget(ok);
    bar->addWidget(cancel);
    return bar;
}

}  // namespace dialogs
