// SPDX-License-Identifier: MIT
#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>

#include "platform/prompter.h"

namespace tovrik::gui {

// The tool's prompts as modal desktop dialogs: message boxes with OK,
// OK/Cancel questions, and open-file and save-file dialogs that take the
// tool's filter text and default extension (a save asks before replacing a file).
class QtPrompter : public Prompter {
public:
    static constexpr const char* kCaption = "Tovrik Configuration";

    // The window the prompts are modal to; none makes them application-modal.
    void SetParentWindow(QWidget* parent) { parent_ = parent; }
    // Runs before every prompt is shown, so a busy display can make way for it.
    void SetBeforePrompt(std::function<void()> hook) { beforePrompt_ = std::move(hook); }

    void MessageBox(const std::string& text) override;
    bool Question(const std::string& text) override;
    std::optional<std::string> OpenFile(const std::string& filter,
                                        const std::string& defaultExtension) override;
    std::optional<std::string> SaveFile(const std::string& filter,
                                        const std::string& defaultExtension) override;
    // Takes a name that does not exist yet, without asking about it.
    std::optional<std::string> OpenOrNewFile(const std::string& filter,
                                             const std::string& defaultExtension) override;

private:
    enum class FileMode { Open, Save, OpenOrNew };
    std::optional<std::string> FileDialog(FileMode mode, const std::string& filter,
                                          const std::string& defaultExtension);

    void BeforePrompt();

    QPointer<QWidget> parent_;
    std::function<void()> beforePrompt_;
};

}  // namespace tovrik::gui
