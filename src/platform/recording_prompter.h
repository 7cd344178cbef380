// SPDX-License-Identifier: MIT
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/prompter.h"

namespace tovrik {

// Records every prompt it is shown, in order, and answers questions and file
// dialogs from queues filled in advance. A prompt without a queued answer is
// counted as unanswered and gets Cancel.
class RecordingPrompter : public Prompter {
public:
    enum class Kind { Message, Question, OpenFile, SaveFile };

    struct Prompt {
        Kind kind;
        std::string text;  // message or question text, or the file filter
        std::string defaultExtension;
        std::string answer;  // "ok", "cancel" or the chosen path
    };

    void MessageBox(const std::string& text) override;
    bool Question(const std::string& text) override;
    std::optional<std::string> OpenFile(const std::string& filter,
                                        const std::string& defaultExtension) override;
    std::optional<std::string> SaveFile(const std::string& filter,
                                        const std::string& defaultExtension) override;

    void QueueAnswer(bool ok) { questionAnswers_.push_back(ok); }
    // std::nullopt queues a cancelled dialog.
    void QueueFile(std::optional<std::string> path) { fileAnswers_.push_back(std::move(path)); }

    const std::vector<Prompt>& Prompts() const { return prompts_; }
    // The texts of the message boxes only, in order.
    std::vector<std::string> Messages() const;
    int UnansweredCount() const { return unanswered_; }
    void Clear();

private:
    std::optional<std::string> FileDialog(Kind kind, const std::string& filter,
                                          const std::string& defaultExtension);

    std::vector<Prompt> prompts_;
    std::deque<bool> questionAnswers_;
    std::deque<std::optional<std::string>> fileAnswers_;
    int unanswered_ = 0;
};

}  // namespace tovrik
