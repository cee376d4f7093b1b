#pragma once
// The export and import actions of the main window: the progress window and
// the script connection around the UI-free export and import.

#include "core/connection.h"
#include "core/progress.h"
#include "core/prompter.h"
#include "core/session.h"
#include "dialogs/form_progress.h"

#include <QObject>
#include <QPointer>

class QWidget;

namespace backup {

// core::Progress shown in a progress window made for one run and destroyed
// after it. The window is modal, so that the events processed during the run
// reach only its "Прервать".
class FormProgress : public core::Progress {
  public:
    explicit FormProgress(QWidget* owner);
    ~FormProgress() override;

    void start(const QString& caption, const QString& operation) override;
    void setOperation(const QString& operation) override;
    void setTotalMaximum(qint64 maximum) override;
    void setTotalPosition(qint64 position) override;
    void setStepMaximum(qint64 maximum) override;
    void setStepPosition(qint64 position) override;
    void processEvents() override;
    bool aborted() const override;
    void finish() override;

    dialogs::TFormProgress* window() const { return window_; }

  private:
    QWidget* owner_;
    QPointer<dialogs::TFormProgress> window_;
    bool aborted_ = false;
    // Bars count in int; large counts are scaled down to fit.
    qint64 totalScale_ = 1;
    qint64 stepScale_ = 1;
};

class BackupController : public QObject {
    Q_OBJECT
  public:
    BackupController(core::Session& session, core::Prompter& prompter, QWidget* window);

    void ActionBaseExportExecute();
    void ActionBaseImportExecute();

    // The second connection the import's script runs on.
    core::Connection& SQLConnectionScript() { return script_; }

  private:
    core::Session& session_;
    core::Prompter& prompter_;
    QWidget* window_;
    core::Connection script_;
};

}  // namespace backup
