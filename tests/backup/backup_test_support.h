#pragma once
// Helpers of the export and import tests: a progress that records and can
// press "Прервать", and the script inside an archive.

#include "backup/archive.h"
#include "core/codepage.h"
#include "core/progress.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

namespace testing_support {

// Counts the points where events are processed; the user presses
// "Прервать" during the abortAt-th of them (from 1; 0 never).
class RecordingProgress : public core::Progress {
  public:
    explicit RecordingProgress(int abortAt = 0) : abortAt_(abortAt) {}
    QStringList operations;
    int processed = 0;
    bool started = false, finished = false;

    void start(const QString& caption, const QString& operation) override {
        started = true;
        aborted_ = false;
        operations << caption << operation;
    }
    void setOperation(const QString& operation) override { operations << operation; }
    void setTotalMaximum(qint64) override {}
    void setTotalPosition(qint64) override {}
    void setStepMaximum(qint64) override {}
    void setStepPosition(qint64) override {}
    void processEvents() override {
        if (++processed == abortAt_) aborted_ = true;
    }
    bool aborted() const override { return aborted_; }
    void finish() override { finished = true; }

  private:
    int abortAt_;
    bool aborted_ = false;
};

// The first member of the archive, unpacked; empty when there is none.
inline QByteArray archivedScript(const QString& archivePath) {
    backup::TArchive arc(archivePath, false);
    if (!arc.IsValid() || arc.Count() == 0) return {};
    QTemporaryDir dir;
    const QString out = dir.filePath("script");
    if (!arc.Extract(arc.Entry(0).Name(), out)) return {};
    QFile f(out);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

inline QByteArray fileBytes(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

}  // namespace testing_support
