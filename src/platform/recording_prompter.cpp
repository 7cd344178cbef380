// SPDX-License-Identifier: MIT
#include "platform/recording_prompter.h"

namespace tovrik {

void RecordingPrompter::MessageBox(const std::string& text)
{
    prompts_.push_back(Prompt{Kind::Message, text, "", "ok"});
}

bool RecordingPrompter::Question(const std::string& text)
{
    bool ok = false;
    if (questionAnswers_.empty()) {
        ++unanswered_;
    } else {
        ok = questionAnswers_.front();
        questionAnswers_.pop_front();
    }
    prompts_.push_back(Prompt{Kind::Question, text, "", ok ? "ok" : "cancel"});
    return ok;
}

std::optional<std::string> RecordingPrompter::FileDialog(Kind kind, const std::string& filter,
                                                         const std::string& defaultExtension)
{
    std::optional<std::string> path;
    if (fileAnswers_.empty()) {
        ++unanswered_;
    } else {
        path = fileAnswers_.front();
        fileAnswers_.pop_front();
    }
    prompts_.push_back(Prompt{kind, filter, defaultExtension, path.value_or("cancel")});
    return path;
}

std::optional<std::string> RecordingPrompter::OpenFile(const std::string& filter,
                                                       const std::string& defaultExtension)
{
    return FileDialog(Kind::OpenFile, filter, defaultExtension);
}

std::optional<std::string> RecordingPrompter::SaveFile(const std::string& filter,
                                                       const std::string& defaultExtension)
{
    return FileDialog(Kind::SaveFile, filter, defaultExtension);
}

std::vector<std::string> RecordingPrompter::Messages() const
{
    std::vector<std::string> texts;
    for (const Prompt& p : prompts_) {
        if (p.kind == Kind::Message) {
            texts.push_back(p.text);
        }
    }
    return texts;
}

void RecordingPrompter::Clear()
{
    prompts_.clear();
    questionAnswers_.clear();
    fileAnswers_.clear();
    unanswered_ = 0;
}

}  // namespace tovrik
