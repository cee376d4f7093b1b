#pragma once
// The help window: the user guide that ships inside the program. It is not
// modal, so the guide can stay open beside the journal while the user
// works; each owner has one, and asking again brings it forward where the
// reader left it.

#include <QDialog>

class QPushButton;
class QTextBrowser;

namespace dialogs {

class TFormHelp : public QDialog {
    Q_OBJECT
  public:
    explicit TFormHelp(QWidget* parent = nullptr);

    // The guide as shipped, in Markdown.
    static QString guideText();
    // The owner's help window, made the first time, shown and brought to the
    // front.
    static TFormHelp* showFor(QWidget* owner);

    QTextBrowser* const Browser;
    QPushButton* const ButClose;  // "Закрыть", also Escape

  protected:
    void showEvent(QShowEvent* event) override;
};

}  // namespace dialogs
