#include "about/about_cycle.h"
#include "about/credit_panel.h"
#include "about/form_about.h"

#include <gtest/gtest.h>
#include <QPushButton>
#include <QTest>

using about::AboutCycle;
using Picture = about::AboutCycle::Picture;

namespace {

// Ticks until the cycle reaches the phase, with Alt as given; -1 if it does
// not within the limit.
int ticksUntilPhase(AboutCycle& c, int phase, bool alt = false, int limit = 1000) {
    for (int n = 1; n <= limit; ++n) {
        c.tick(alt);
        if (c.phase() == phase) return n;
    }
    return -1;
}

TEST(AboutCycle, APictureWaitsFifteenSecondsThenFoldsAndTheOtherUnfolds) {
    AboutCycle c;
    c.restart();
    for (int n = 0; n < AboutCycle::kWaitTicks; ++n) ASSERT_FALSE(c.tick(false)) << n;
    EXPECT_FALSE(c.running());
    EXPECT_EQ(c.tickCount(), AboutCycle::kWaitTicks);
    // The 151st tick starts the transition.
    EXPECT_TRUE(c.tick(false));
    EXPECT_TRUE(c.running());
    EXPECT_EQ(c.phase(), 1);
    EXPECT_EQ(c.current(), Picture::A);

    // A folds down to nothing, then B shows.
    double last = c.scale();
    int folding = 0;
    while (c.phase() == 1) {
        c.tick(false);
        ++folding;
        if (c.phase() == 1) {
            EXPECT_LT(c.scale(), last);
            last = c.scale();
        }
    }
    EXPECT_EQ(folding, 11);  // about a second
    EXPECT_EQ(c.phase(), 2);
    EXPECT_EQ(c.scale(), 0.0);
    EXPECT_EQ(c.current(), Picture::B);

    // B unfolds and stays, with a full wait ahead.
    EXPECT_EQ(ticksUntilPhase(c, 3), 11);
    EXPECT_EQ(c.scale(), 1.0);
    EXPECT_FALSE(c.running());
    EXPECT_EQ(c.tickCount(), 0);
    EXPECT_EQ(c.current(), Picture::B);

    // Then back to A the same way; from B the first tick after the wait
    // already folds.
    EXPECT_EQ(ticksUntilPhase(c, 4), AboutCycle::kWaitTicks + 11);
    EXPECT_EQ(c.current(), Picture::A);
    EXPECT_EQ(ticksUntilPhase(c, 0), 11);
    EXPECT_FALSE(c.running());
    EXPECT_EQ(c.current(), Picture::A);
}

TEST(AboutCycle, AltStartsTheNextTransitionAtOnce) {
    AboutCycle c;
    c.restart();
    EXPECT_FALSE(c.tick(false));
    EXPECT_TRUE(c.tick(true));
    EXPECT_TRUE(c.running());
    // Alt changes nothing while a transition runs, and B shows in 22 ticks.
    EXPECT_EQ(ticksUntilPhase(c, 3, true), 22);
    // Released, B waits again; held, the fold back starts on the next tick.
    EXPECT_FALSE(c.tick(false));
    EXPECT_TRUE(c.tick(true));
    EXPECT_EQ(c.phase(), 3);
    EXPECT_LT(c.scale(), 1.0);
}

TEST(DrawFolded, StripsNarrowAtTheirLeftEdgesOnBlack) {
    QImage picture(612, 278, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QImage buffer(picture.size(), QImage::Format_RGB32);
    const int w = 61;  // 612 / 10, truncated

    about::drawFolded(buffer, picture, 0.5);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(buffer.pixelColor(i * w + 5, 100), QColor(Qt::white)) << i;
        EXPECT_EQ(buffer.pixelColor(i * w + 40, 100), QColor(Qt::black)) << i;
    }
    EXPECT_EQ(buffer.pixelColor(611, 100), QColor(Qt::black));  // beyond the last strip

    about::drawFolded(buffer, picture, 0.0);
    EXPECT_EQ(buffer.pixelColor(5, 100), QColor(Qt::black));

    about::drawFolded(buffer, picture, 0.95);  // whole above 0.9
    EXPECT_EQ(buffer, picture);
}

class AboutWindow : public ::testing::Test {
  protected:
    ~AboutWindow() override {
        delete first;
        delete second;
    }
    // Alt held down or let go, as the keyboard tells it to every window.
    void holdAlt(bool down) {
        if (down)
            QTest::keyPress(&form, Qt::Key_Alt, Qt::AltModifier);
        else
            QTest::keyRelease(&form, Qt::Key_Alt, Qt::NoModifier);
    }
    about::CreditPanel* first = about::makeSplashPanel(nullptr);
    about::CreditPanel* second = about::makeCreditsPanel(nullptr);
    about::TFormAbout form{*first, *second};
};

TEST_F(AboutWindow, OpensAtTheFirstPanelAndRestartsThereAfterClosingMidFold) {
    EXPECT_EQ(form.windowTitle(), QString::fromUtf8("О программе"));
    EXPECT_EQ(form.size(), QSize(613, 318));
    EXPECT_EQ(form.ButClose->text(), QString::fromUtf8("Закрыть"));
    EXPECT_FALSE(first->isVisible());

    form.show();
    EXPECT_TRUE(form.TimerStep.isActive());
    EXPECT_EQ(form.TimerStep.interval(), 100);
    const QImage a = first->picture();
    EXPECT_EQ(form.backBuffer(), a);
    EXPECT_NE(a, second->picture());

    // Alt held: mid-fold after a few ticks the picture is cut into strips.
    holdAlt(true);
    for (int n = 0; n < 8; ++n) form.TimerStepTimer();
    EXPECT_EQ(form.cycle().phase(), 1);
    EXPECT_NE(form.backBuffer(), a);
    EXPECT_EQ(form.backBuffer().pixelColor(60, 140), QColor(Qt::black));

    // Escape closes it; the timer stops with it.
    QTest::keyClick(&form, Qt::Key_Escape);
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(form.TimerStep.isActive());

    holdAlt(false);
    form.show();
    EXPECT_EQ(form.cycle().phase(), 0);
    EXPECT_EQ(form.cycle().tickCount(), 0);
    EXPECT_EQ(form.cycle().current(), Picture::A);
    EXPECT_EQ(form.backBuffer(), a);
    form.TimerStepTimer();
    EXPECT_EQ(form.backBuffer(), a);  // a full wait ahead again
}

}  // namespace
