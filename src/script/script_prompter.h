// SPDX-License-Identifier: MIT
#pragma once

#include <deque>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/prompter.h"

namespace tovrik {

// The prompts of a scripted run: each one is written to the transcript and
// answered from the answers the script queued for its kind. A prompt without
// a queued answer is refused (Cancel) and remembered as the script's fault;
// from then on nothing more is written, so the transcript ends where the
// script went wrong.
class ScriptPrompter : public Prompter {
public:
    // An answer the script gave before the prompt it is meant for.
    struct QueuedAnswer {
        int line = 0;
        bool ok = false;                  // questions
        std::string shownPath;            // file dialogs: as written, or "cancel"
        std::optional<std::string> path;  // file dialogs: the path handed to the tool
    };

    explicit ScriptPrompter(std::ostream& out) : out_(out) {}

    // Paths inside `folder` (the run's working folder) are shown relative to it,
    // so a transcript reads the same wherever the run took place.
    void ShowPathsWithin(std::string folder) { shownFolder_ = std::move(folder); }
    // `text` with the paths inside that folder made relative to it.
    std::string WithinFolder(const std::string& text) const;

    void QueueQuestionAnswer(int line, bool ok);
    // `path` nothing queues a cancelled dialog.
    void QueueFileAnswer(int line, std::string shownPath, std::optional<std::string> path);

    void MessageBox(const std::string& text) override;
    bool Question(const std::string& text) override;
    std::optional<std::string> OpenFile(const std::string& filter,
                                        const std::string& defaultExtension) override;
    std::optional<std::string> SaveFile(const std::string& filter,
                                        const std::string& defaultExtension) override;

    // Why the first unanswered prompt could not be answered; empty when all were.
    const std::string& Failure() const { return failure_; }
    // Answers no prompt took, oldest first.
    std::vector<QueuedAnswer> UnusedAnswers() const;

private:
    std::optional<std::string> FileDialog(const char* kind, const std::string& filter,
                                          const std::string& defaultExtension);
    void Fail(std::string reason);
    std::string Shown(const std::string& text) const;

    std::ostream& out_;
    std::deque<QueuedAnswer> questionAnswers_;
    std::deque<QueuedAnswer> fileAnswers_;
    std::string failure_;
    std::string shownFolder_;
};

}  // namespace tovrik
