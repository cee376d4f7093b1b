#include "backup/backup_controller.h"

#include "backup/database_export.h"
#include "backup/database_import.h"
#include "dialogs/form_progress.h"
#include "dialogs/general_error.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <limits>

namespace backup {

namespace {
constexpr qint64 kBarLimit = std::numeric_limits<int>::max();

qint64 scaleFor(qint64 maximum) { return maximum > kBarLimit ? maximum / kBarLimit + 1 : 1; }
}  // namespace

FormProgress::FormProgress(QWidget* owner) : owner_(owner) {}

FormProgress::~FormProgress() { finish(); }

void FormProgress::start(const QString& caption, const QString& operation) {
    finish();
    window_ = new dialogs::TFormProgress(owner_);
    window_->setAttribute(Qt::WA_DeleteOnClose, false);
    window_->setWindowModality(Qt::ApplicationModal);
    window_->setWindowTitle(caption);
    window_->LabelOpName->setText(operation);
    window_->show();
    window_->repaint();
    window_->Aborted = false;
    aborted_ = false;
}

void FormProgress::setOperation(const QString& operation) {
    if (window_) window_->LabelOpName->setText(operation);
}

void FormProgress::setTotalMaximum(qint64 maximum) {
    totalScale_ = scaleFor(maximum);
    if (window_) window_->TotalProgress->setMaximum(int(maximum / totalScale_));
}

void FormProgress::setTotalPosition(qint64 position) {
    if (window_) window_->TotalProgress->setValue(int(position / totalScale_));
}

void FormProgress::setStepMaximum(qint64 maximum) {
    stepScale_ = scaleFor(maximum);
    if (window_) window_->SmallProgress->setMaximum(int(maximum / stepScale_));
}

void FormProgress::setStepPosition(qint64 position) {
    if (window_) window_->SmallProgress->setValue(int(position / stepScale_));
}

void FormProgress::processEvents() {
    QApplication::processEvents();
    if (window_) aborted_ = window_->Aborted;
}

bool FormProgress::aborted() const { return aborted_; }

void FormProgress::finish() {
    // The flag is taken before the window goes.
    if (!window_) return;
    aborted_ = window_->Aborted;
    window_->hide();
    delete window_.data();
}

BackupController::BackupController(core::Session& session, core::Prompter& prompter,
                                   QWidget* window)
    : QObject(window), session_(session), prompter_(prompter), window_(window) {}

void BackupController::ActionBaseExportExecute() {
    dialogs::guarded(prompter_, [this] {
        FormProgress progress(window_);
        backup::ActionBaseExportExecute(session_.connection(), session_.database_name(), prompter_,
                                        progress);
    });
}

void BackupController::ActionBaseImportExecute() {
    dialogs::guarded(prompter_, [this] {
        FormProgress progress(window_);
        backup::ActionBaseImportExecute(session_.connection(), script_, prompter_, progress);
    });
}

}  // namespace backup
