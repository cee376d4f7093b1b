#include "dialogs/qt_prompter.h"

#include "dialogs/form_input_string.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QPushButton>
#include <QRegularExpression>

namespace dialogs {

namespace {

QString u(const char* s) { return QString::fromUtf8(s); }

// The captions a Russian system gives these buttons.
void russianButtonTexts(QMessageBox& box) {
    const std::pair<QMessageBox::StandardButton, const char*> texts[] = {
        {QMessageBox::Ok, "OK"},        {QMessageBox::Yes, "Да"},
        {QMessageBox::No, "Нет"},       {QMessageBox::Abort, "Прервать"},
        {QMessageBox::Retry, "Повтор"}, {QMessageBox::Ignore, "Пропустить"}};
    for (const auto& [which, text] : texts)
        if (QAbstractButton* b = box.button(which)) b->setText(u(text));
}

// Leaves the process's current directory as it was, whatever a dialog does.
class CurrentDirectoryKeeper {
  public:
    CurrentDirectoryKeeper() : path_(QDir::currentPath()) {}
    ~CurrentDirectoryKeeper() { QDir::setCurrent(path_); }
    CurrentDirectoryKeeper(const CurrentDirectoryKeeper&) = delete;
    CurrentDirectoryKeeper& operator=(const CurrentDirectoryKeeper&) = delete;

  private:
    QString path_;
};

}  // namespace

std::unique_ptr<QMessageBox> makeMessageBox(BoxKind kind, const QString& caption,
                                            const QString& text, QWidget* parent) {
    using B = QMessageBox;
    struct Look {
        B::Icon icon;
        B::StandardButtons buttons;
        B::StandardButton defaultButton;
    };
    static const Look looks[] = {
        {B::Critical, B::Ok, B::Ok},                              // error
        {B::Information, B::Ok, B::Ok},                           // report
        {B::Question, B::Yes | B::No, B::Yes},                    // question
        {B::Question, B::Yes | B::No, B::No},                     // destructive question
        {B::Question, B::Abort | B::Retry | B::Ignore, B::Abort}  // failed statement
    };
    const Look& look = looks[int(kind)];
    auto box = std::make_unique<QMessageBox>(parent);
    box->setIcon(look.icon);
    box->setWindowTitle(caption);
    box->setTextFormat(Qt::PlainText);
    // The texts carry their breaks as CR LF or LF CR; a label would show the
    // second character of LF CR as an empty line.
    QString shown = text;
    shown.replace(QRegularExpression("\r\n|\n\r|\r"), "\n");
    box->setText(shown);
    box->setStandardButtons(look.buttons);
    box->setDefaultButton(look.defaultButton);
    russianButtonTexts(*box);
    box->setWindowModality(Qt::ApplicationModal);
    return box;
}

QString qtFileFilter(const QString& filter) {
    if (!filter.contains('|')) return filter;
    const QStringList parts = filter.split('|');
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString& p : parts[i + 1].split(';', Qt::SkipEmptyParts)) {
            patterns << p.trimmed();
            if (p.trimmed().toLower() != p.trimmed()) patterns << p.trimmed().toLower();
        }
        out << parts[i].trimmed() + " (" + patterns.join(' ') + ")";
    }
    return out.join(";;");
}

QtPrompter::QtPrompter(QWidget* window) : window_(window) {}

QtPrompter::~QtPrompter() = default;

QWidget* QtPrompter::owner() const {
    QWidget* top = QApplication::activeModalWidget();
    return top && top->isVisible() ? top : window_.data();
}

QMessageBox::StandardButton QtPrompter::show(BoxKind kind, const QString& caption,
                                             const QString& text) {
    std::unique_ptr<QMessageBox> box = makeMessageBox(kind, caption, text, owner());
    const QPointer<QMessageBox> alive = box.get();
    const int answer = box->exec();
    // A box goes with its owner, should the owner be deleted meanwhile.
    if (!alive) (void)box.release();
    return QMessageBox::StandardButton(answer);
}

void QtPrompter::error(const QString& caption, const QString& text) {
    show(BoxKind::Error, caption, text);
}

void QtPrompter::report(const QString& caption, const QString& text) {
    show(BoxKind::Report, caption, text);
}

bool QtPrompter::question(const QString& caption, const QString& text) {
    return show(BoxKind::Question, caption, text) == QMessageBox::Yes;
}

bool QtPrompter::destructiveQuestion(const QString& caption, const QString& text) {
    return show(BoxKind::DestructiveQuestion, caption, text) == QMessageBox::Yes;
}

core::Prompter::Answer QtPrompter::abortRetryIgnore(const QString& caption, const QString& text) {
    switch (show(BoxKind::FailedStatement, caption, text)) {
        case QMessageBox::Retry:
            return Answer::Retry;
        case QMessageBox::Ignore:
            return Answer::Ignore;
        default:
            return Answer::Abort;  // Abort, or the box closed otherwise
    }
}

std::optional<QString> QtPrompter::fileName(bool save, const QString& caption,
                                            const QString& filter, const QString& defaultSuffix,
                                            const QString& preset) {
    const CurrentDirectoryKeeper keeper;
    QFileDialog dialog(owner(), caption, QDir::currentPath(), qtFileFilter(filter));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (save) dialog.setDefaultSuffix(defaultSuffix);
    if (!preset.isEmpty()) dialog.selectFile(preset);
    dialog.setWindowModality(Qt::ApplicationModal);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return QDir::toNativeSeparators(dialog.selectedFiles().constFirst());
}

std::optional<QString> QtPrompter::openFileName(const QString& caption, const QString& filter) {
    return fileName(false, caption, filter, QString());
}

std::optional<QString> QtPrompter::saveFileName(const QString& caption, const QString& filter,
                                                const QString& defaultSuffix) {
    return fileName(true, caption, filter, defaultSuffix);
}

std::optional<QString> QtPrompter::saveFileNameWith(const QString& caption, const QString& filter,
                                                    const QString& defaultSuffix,
                                                    const QString& preset) {
    return fileName(true, caption, filter, defaultSuffix, preset);
}

TFormInputString& QtPrompter::inputForm() {
    if (!input_) {
        if (window_) {
            input_ = new TFormInputString(window_);
        } else {
            ownedInput_ = std::make_unique<TFormInputString>();
            input_ = ownedInput_.get();
        }
    }
    return *input_;
}

std::optional<QString> QtPrompter::inputString(const QString& caption, const QString& prompt,
                                               const QString& initial) {
    return inputForm().ask(caption, prompt, initial);
}

void QtPrompter::beep() { QApplication::beep(); }

}  // namespace dialogs
