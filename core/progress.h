#pragma once
// How long work tells the user how far it got: an operation line, a bar over
// the whole run and a bar inside the current step, and the user's wish to
// stop. The window layer shows it in the progress window; the command-line
// tool prints it; tests record it. Pending user events are handled only at
// processEvents(), so that is where an abort can be seen.

#include <QString>
#include <QtGlobal>

namespace core {

class Progress {
  public:
    virtual ~Progress() = default;

    // Shows the progress with its caption and operation line; the abort
    // flag starts cleared.
    virtual void start(const QString& caption, const QString& operation) = 0;
    virtual void setOperation(const QString& operation) = 0;
    virtual void setTotalMaximum(qint64 maximum) = 0;
    virtual void setTotalPosition(qint64 position) = 0;
    virtual void setStepMaximum(qint64 maximum) = 0;
    virtual void setStepPosition(qint64 position) = 0;
    // Lets the user act: the only point where aborted() may change.
    virtual void processEvents() = 0;
    virtual bool aborted() const = 0;
    virtual void finish() = 0;
};

// For work nobody watches.
class NoProgress : public Progress {
  public:
    void start(const QString&, const QString&) override {}
    void setOperation(const QString&) override {}
    void setTotalMaximum(qint64) override {}
    void setTotalPosition(qint64) override {}
    void setStepMaximum(qint64) override {}
    void setStepPosition(qint64) override {}
    void processEvents() override {}
    bool aborted() const override { return false; }
    void finish() override {}
};

}  // namespace core
