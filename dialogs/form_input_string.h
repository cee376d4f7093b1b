#pragma once
// The one-line input window: a caption, one prompt line and one edit field,
// answered with "Продолжить" or "Отменить". Made once and reused, so it
// keeps the texts the last caller set.

#include <QDialog>
#include <QString>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace dialogs {

class TFormInputString : public QDialog {
    Q_OBJECT
  public:
    explicit TFormInputString(QWidget* parent = nullptr);

    QLabel* const LabelQuery;
    QLineEdit* const EditValue;
    QPushButton* const BitBtn1;  // "Продолжить": accepts
    QPushButton* const BitBtn2;  // "Отменить": rejects

    // Sets the caption, prompt and initial text, shows the window modally
    // and gives the edited text, or nullopt when the user cancelled.
    std::optional<QString> ask(const QString& caption, const QString& prompt,
                               const QString& initial);

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void FormShow();
};

// Places a top-level window in the middle of its screen.
void centreOnScreen(QWidget& window);
// Places a dialog over the middle of the window that owns it, or of the
// screen when that window is not shown.
void centreOverOwner(QWidget& dialog);

}  // namespace dialogs
