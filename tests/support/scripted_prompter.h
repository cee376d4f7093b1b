#pragma once
// A Prompter for tests: records every box it is asked to show and answers
// from queues the test fills beforehand. An unanswered question is a test
// failure and answers No / Abort / cancel.

#include "core/prompter.h"
#include "tests/support/qt_printers.h"

#include <QString>
#include <deque>
#include <optional>
#include <vector>

namespace testing_support {

class ScriptedPrompter : public core::Prompter {
  public:
    enum class Kind {
        Error,
        Report,
        Question,
        DestructiveQuestion,
        AbortRetryIgnore,
        OpenFile,
        SaveFile,
        Input,
        Beep
    };
    struct Box {
        Kind kind;
        QString caption;
        QString text;
        bool operator==(const Box&) const = default;
        friend void PrintTo(const Box& b, std::ostream* os) {
            *os << '{' << int(b.kind) << ", \"" << b.caption.toStdString() << "\", \""
                << b.text.toStdString() << "\"}";
        }
    };

    // Queued answers, consumed in order.
    std::deque<bool> yesNo;
    std::deque<Answer> abortRetryIgnoreAnswers;
    std::deque<std::optional<QString>> fileNames;
    std::deque<std::optional<QString>> inputs;

    std::vector<Box> boxes;
    // The preset text of every one-line input, in order.
    std::vector<QString> inputInitials;

    void error(const QString& caption, const QString& text) override;
    void report(const QString& caption, const QString& text) override;
    bool question(const QString& caption, const QString& text) override;
    bool destructiveQuestion(const QString& caption, const QString& text) override;
    Answer abortRetryIgnore(const QString& caption, const QString& text) override;
    std::optional<QString> openFileName(const QString& caption, const QString& filter) override;
    std::optional<QString> saveFileName(const QString& caption, const QString& filter,
                                        const QString& defaultSuffix) override;
    // Records the preset name as the box's text.
    std::optional<QString> saveFileNameWith(const QString& caption, const QString& filter,
                                            const QString& defaultSuffix,
                                            const QString& fileName) override;
    std::optional<QString> inputString(const QString& caption, const QString& prompt,
                                       const QString& initial) override;
    void beep() override;

    // The boxes shown, without beeps.
    std::vector<Box> shown() const;
};

}  // namespace testing_support
