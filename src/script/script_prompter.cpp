// SPDX-License-Identifier: MIT
#include "script/script_prompter.h"

#include <algorithm>

#include "script/script_syntax.h"

namespace tovrik {

void ScriptPrompter::QueueQuestionAnswer(int line, bool ok)
{
    QueuedAnswer answer;
    answer.line = line;
    answer.ok = ok;
    questionAnswers_.push_back(std::move(answer));
}

void ScriptPrompter::QueueFileAnswer(int line, std::string shownPath,
                                     std::optional<std::string> path)
{
    QueuedAnswer answer;
    answer.line = line;
    answer.shownPath = std::move(shownPath);
    answer.path = std::move(path);
    fileAnswers_.push_back(std::move(answer));
}

void ScriptPrompter::Fail(std::string reason)
{
    if (failure_.empty()) {
        failure_ = std::move(reason);
    }
}

std::string ScriptPrompter::WithinFolder(const std::string& text) const
{
    if (shownFolder_.empty()) {
        return text;
    }
    const std::string prefix = shownFolder_.back() == '/' ? shownFolder_ : shownFolder_ + "/";
    std::string shown = text;
    for (std::size_t at = shown.find(prefix); at != std::string::npos;
         at = shown.find(prefix, at)) {
        shown.erase(at, prefix.size());
    }
    return shown;
}

std::string ScriptPrompter::Shown(const std::string& text) const
{
    return OneLineText(WithinFolder(text));
}

void ScriptPrompter::MessageBox(const std::string& text)
{
    if (failure_.empty()) {
        out_ << "message: " << Shown(text) << '\n';
    }
}

bool ScriptPrompter::Question(const std::string& text)
{
    if (!failure_.empty()) {
        return false;
    }
    if (questionAnswers_.empty()) {
        Fail("no answer queued for the question \"" + OneLineText(text) + "\"");
        return false;
    }
    const bool ok = questionAnswers_.front().ok;
    questionAnswers_.pop_front();
    out_ << "question: " << Shown(text) << " -> " << (ok ? "ok" : "cancel") << '\n';
    return ok;
}

std::optional<std::string> ScriptPrompter::OpenFile(const std::string& filter,
                                                    const std::string& defaultExtension)
{
    return FileDialog("open-file", filter, defaultExtension);
}

std::optional<std::string> ScriptPrompter::SaveFile(const std::string& filter,
                                                    const std::string& defaultExtension)
{
    return FileDialog("save-file", filter, defaultExtension);
}

std::optional<std::string> ScriptPrompter::FileDialog(const char* kind, const std::string& filter,
                                                      const std::string& defaultExtension)
{
    if (!failure_.empty()) {
        return std::nullopt;
    }
    if (fileAnswers_.empty()) {
        Fail(std::string("no file queued for the ") + kind + " dialog");
        return std::nullopt;
    }
    QueuedAnswer answer = std::move(fileAnswers_.front());
    fileAnswers_.pop_front();
    out_ << kind << ": " << QuoteScriptText(filter) << ' ' << QuoteScriptText(defaultExtension)
         << " -> " << answer.shownPath << '\n';
    return answer.path;
}

std::vector<ScriptPrompter::QueuedAnswer> ScriptPrompter::UnusedAnswers() const
{
    std::vector<QueuedAnswer> unused(questionAnswers_.begin(), questionAnswers_.end());
    unused.insert(unused.end(), fileAnswers_.begin(), fileAnswers_.end());
    std::sort(unused.begin(), unused.end(),
              [](const QueuedAnswer& a, const QueuedAnswer& b) { return a.line < b.line; });
    return unused;
}

}  // namespace tovrik
