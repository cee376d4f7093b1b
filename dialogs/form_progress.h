#pragma once
// The progress window of a long operation: an operation line, a thin bar for
// the current step, a bar for the whole operation and "Прервать". It does no
// work itself: the caller sets the bars, processes pending events now and
// then and reads Aborted at those points. The user cannot close it.

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

namespace dialogs {

class TFormProgress : public QDialog {
    Q_OBJECT
  public:
    explicit TFormProgress(QWidget* parent = nullptr);

    QLabel* const LabelOpName;
    QProgressBar* const SmallProgress;  // progress inside the current step
    QProgressBar* const TotalProgress;  // progress over all steps
    QPushButton* const BitBtn1;         // "Прервать"

    // False when the window is made and each time it is shown; set only by
    // the abort button. The caller reads it (and may clear it).
    bool Aborted = false;

    // Escape must not hide a window the user cannot close.
    void reject() override {}

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void FormShow();
    void BitBtn1Click();
};

}  // namespace dialogs
