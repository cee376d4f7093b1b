#pragma once
// What the timed runs of whole windows answer with: a login dialog that
// answers at once, and a prompter that shows nothing (errors go to standard
// error) and says yes to every question.

#include "core/login_types.h"
#include "core/prompter.h"

#include <cstdio>

namespace bench {

struct Login : core::LoginDialog {
    core::LoginAnswer answer;
    std::optional<core::LoginAnswer> ask(const core::LoginPreset&) override { return answer; }
};

class SilentPrompter : public core::Prompter {
  public:
    void error(const QString&, const QString& t) override {
        std::fprintf(stderr, "error: %s\n", qPrintable(t));
    }
    void report(const QString&, const QString&) override {}
    bool question(const QString&, const QString&) override { return true; }
    bool destructiveQuestion(const QString&, const QString&) override { return true; }
    Answer abortRetryIgnore(const QString&, const QString&) override { return Answer::Abort; }
    std::optional<QString> openFileName(const QString&, const QString&) override { return {}; }
    std::optional<QString> saveFileName(const QString&, const QString&, const QString&) override {
        return {};
    }
    std::optional<QString> inputString(const QString&, const QString&, const QString&) override {
        return {};
    }
    void beep() override {}
};

}  // namespace bench
