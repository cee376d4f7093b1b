#pragma once
// Typing into widgets the way a user does, Cyrillic included.

#include <QString>
#include <QTest>
#include <QWidget>

namespace testing_support {

// Types the text key by key; QTest::keyClicks knows only ASCII keys.
inline void typeText(QWidget* w, const QString& text) {
    for (QChar ch : text) {
        if (ch.unicode() < 128)
            QTest::keyClick(w, char(ch.unicode()));
        else
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
}

}  // namespace testing_support
