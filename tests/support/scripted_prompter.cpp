#include "tests/support/scripted_prompter.h"

#include <gtest/gtest.h>

namespace testing_support {

namespace {
std::optional<QString> takeFront(std::deque<std::optional<QString>>& queue) {
    if (queue.empty() || !queue.front()) {
        if (!queue.empty()) queue.pop_front();
        return std::nullopt;
    }
    const QString a = *queue.front();
    queue.pop_front();
    return a;
}
}  // namespace

void ScriptedPrompter::error(const QString& caption, const QString& text) {
    boxes.push_back({Kind::Error, caption, text});
}

void ScriptedPrompter::report(const QString& caption, const QString& text) {
    boxes.push_back({Kind::Report, caption, text});
}

bool ScriptedPrompter::question(const QString& caption, const QString& text) {
    boxes.push_back({Kind::Question, caption, text});
    if (yesNo.empty()) {
        ADD_FAILURE() << "unexpected question: " << text.toStdString();
        return false;
    }
    const bool a = yesNo.front();
    yesNo.pop_front();
    return a;
}

bool ScriptedPrompter::destructiveQuestion(const QString& caption, const QString& text) {
    boxes.push_back({Kind::DestructiveQuestion, caption, text});
    if (yesNo.empty()) {
        ADD_FAILURE() << "unexpected question: " << text.toStdString();
        return false;
    }
    const bool a = yesNo.front();
    yesNo.pop_front();
    return a;
}

core::Prompter::Answer ScriptedPrompter::abortRetryIgnore(const QString& caption,
                                                          const QString& text) {
    boxes.push_back({Kind::AbortRetryIgnore, caption, text});
    if (abortRetryIgnoreAnswers.empty()) {
        ADD_FAILURE() << "unexpected abort/retry/ignore: " << text.toStdString();
        return Answer::Abort;
    }
    const Answer a = abortRetryIgnoreAnswers.front();
    abortRetryIgnoreAnswers.pop_front();
    return a;
}

std::optional<QString> ScriptedPrompter::openFileName(const QString& caption, const QString&) {
    boxes.push_back({Kind::OpenFile, caption, {}});
    return takeFront(fileNames);
}

std::optional<QString> ScriptedPrompter::saveFileName(const QString& caption, const QString&,
                                                      const QString&) {
    boxes.push_back({Kind::SaveFile, caption, {}});
    return takeFront(fileNames);
}

std::optional<QString> ScriptedPrompter::saveFileNameWith(const QString& caption, const QString&,
                                                          const QString&, const QString& fileName) {
    boxes.push_back({Kind::SaveFile, caption, fileName});
    return takeFront(fileNames);
}

std::optional<QString> ScriptedPrompter::inputString(const QString& caption, const QString& prompt,
                                                     const QString& initial) {
    boxes.push_back({Kind::Input, caption, prompt});
    inputInitials.push_back(initial);
    return takeFront(inputs);
}

void ScriptedPrompter::beep() { boxes.push_back({Kind::Beep, {}, {}}); }

std::vector<ScriptedPrompter::Box> ScriptedPrompter::shown() const {
    std::vector<Box> out;
    for (const Box& b : boxes)
        if (b.kind != Kind::Beep) out.push_back(b);
    return out;
}

}  // namespace testing_support
