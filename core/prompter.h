#pragma once
// The one door through which the program's logic asks the user anything:
// message boxes of the five kinds, file dialogs, the one-line input and the
// short beep. The window layer implements it with real dialogs; tests answer
// from a script.

#include <QString>
#include <optional>

namespace core {

inline const char* const kErrorCaption = "Ошибка";
inline const char* const kReportCaption = "Отчет";
inline const char* const kAppTitle = "Журнал учета документов";

class Prompter {
  public:
    enum class Answer { Abort, Retry, Ignore };

    virtual ~Prompter() = default;

    // Stop icon, OK.
    virtual void error(const QString& caption, const QString& text) = 0;
    // Information icon, OK.
    virtual void report(const QString& caption, const QString& text) = 0;
    // Question icon, Yes and No with Yes focused; true for Yes.
    virtual bool question(const QString& caption, const QString& text) = 0;
    // Question icon, Yes and No with No focused; true for Yes.
    virtual bool destructiveQuestion(const QString& caption, const QString& text) = 0;
    // Question icon, Abort, Retry and Ignore.
    virtual Answer abortRetryIgnore(const QString& caption, const QString& text) = 0;
    // File dialogs; nullopt when the user cancelled.
    virtual std::optional<QString> openFileName(const QString& caption, const QString& filter) = 0;
    virtual std::optional<QString> saveFileName(const QString& caption, const QString& filter,
                                                const QString& defaultSuffix) = 0;
    // The save dialog with a file name already filled in.
    virtual std::optional<QString> saveFileNameWith(const QString& caption, const QString& filter,
                                                    const QString& defaultSuffix,
                                                    const QString& fileName) {
        (void)fileName;
        return saveFileName(caption, filter, defaultSuffix);
    }
    // One-line input; nullopt when the user cancelled.
    virtual std::optional<QString> inputString(const QString& caption, const QString& prompt,
                                               const QString& initial) = 0;
    virtual void beep() = 0;
};

// The error box every feature uses: caption "Ошибка", stop icon, OK.
inline void ErrorBox(Prompter& prompter, const QString& text) {
    prompter.error(QString::fromUtf8(kErrorCaption), text);
}

}  // namespace core
