#pragma once
// A credit panel: a borderless black picture of a title with its shadow
// and a few credit lines. The two panels are made at start-up and stay
// hidden; the about window renders them off screen and shows them in turn.

#include <QStringList>
#include <QWidget>

namespace about {

class CreditPanel : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kWidth = 612;
    static constexpr int kHeight = 278;

    CreditPanel(const QString& title, const QStringList& lines, QWidget* parent = nullptr);

    const QString& title() const { return title_; }
    const QStringList& lines() const { return lines_; }
    // The panel as a picture, drawn without showing it.
    QImage picture();

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString title_;
    QStringList lines_;
};

// The first panel (TFormSplash) and the second one.
CreditPanel* makeSplashPanel(QWidget* parent);
CreditPanel* makeCreditsPanel(QWidget* parent);

}  // namespace about
