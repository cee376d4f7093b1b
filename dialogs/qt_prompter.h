#pragma once
// The Prompter of the running program: real message boxes modal over the
// main window or the dialog open over it, file dialogs that leave the
// current directory as they found it, the one-line input window and the
// system beep.

#include "core/prompter.h"

#include <QMessageBox>
#include <QPointer>
#include <memory>

namespace dialogs {

class TFormInputString;

// The five kinds of message box the program shows.
enum class BoxKind { Error, Report, Question, DestructiveQuestion, FailedStatement };

// Builds, without showing it, the box of the kind: its icon, buttons,
// default button, caption and text. Line breaks of either order (CR LF or
// LF CR) show as one break.
std::unique_ptr<QMessageBox> makeMessageBox(BoxKind kind, const QString& caption,
                                            const QString& text, QWidget* parent);

// A file-dialog filter "Description|*.A;*.B|..." in Qt's form
// "Description (*.A *.a *.B *.b);;...", so that upper-case patterns also
// match the lower-case names usual on this system. A filter without "|" is
// taken as Qt's form already.
QString qtFileFilter(const QString& filter);

class QtPrompter : public core::Prompter {
  public:
    // The boxes and dialogs are modal over `window` (usually the main window),
    // or over the modal dialog open at the time, which then owns them.
    explicit QtPrompter(QWidget* window = nullptr);
    ~QtPrompter() override;

    void error(const QString& caption, const QString& text) override;
    void report(const QString& caption, const QString& text) override;
    bool question(const QString& caption, const QString& text) override;
    bool destructiveQuestion(const QString& caption, const QString& text) override;
    Answer abortRetryIgnore(const QString& caption, const QString& text) override;
    std::optional<QString> openFileName(const QString& caption, const QString& filter) override;
    std::optional<QString> saveFileName(const QString& caption, const QString& filter,
                                        const QString& defaultSuffix) override;
    std::optional<QString> saveFileNameWith(const QString& caption, const QString& filter,
                                            const QString& defaultSuffix,
                                            const QString& fileName) override;
    std::optional<QString> inputString(const QString& caption, const QString& prompt,
                                       const QString& initial) override;
    void beep() override;

    // The input window, made on first use and kept for the whole run.
    TFormInputString& inputForm();

  private:
    // The dialog the user works in when one is open, else the window: a box
    // owned by the dialog stays with it, and the window manager gives the
    // keyboard back to the dialog once the box closes.
    QWidget* owner() const;
    QMessageBox::StandardButton show(BoxKind kind, const QString& caption, const QString& text);
    std::optional<QString> fileName(bool save, const QString& caption, const QString& filter,
                                    const QString& defaultSuffix,
                                    const QString& preset = QString());

    QPointer<QWidget> window_;
    // Owned by the window when there is one, else by the prompter.
    QPointer<TFormInputString> input_;
    std::unique_ptr<TFormInputString> ownedInput_;
};

}  // namespace dialogs
