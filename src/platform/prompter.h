// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>

namespace tovrik {

// The modal prompts the tool shows: message boxes with an OK button, OK/Cancel
// questions and the open-file and save-file dialogs. Texts are the tool's own;
// a line break in a text is '\n'.
class Prompter {
public:
    virtual ~Prompter() = default;

    virtual void MessageBox(const std::string& text) = 0;

    // true for OK, false for Cancel.
    virtual bool Question(const std::string& text) = 0;

    // The chosen path, or nothing when cancelled. `filter` is the dialog's
    // filter text (e.g. "EERPOM files (*.bin)|*.bin||"), `defaultExtension`
    // is added to a name without one.
    virtual std::optional<std::string> OpenFile(const std::string& filter,
                                                const std::string& defaultExtension) = 0;
    virtual std::optional<std::string> SaveFile(const std::string& filter,
                                                const std::string& defaultExtension) = 0;
    // The open-file dialog that also takes the name of a file that does not
    // exist yet (the caller makes it); without a dialog of its own a prompter
    // answers it as OpenFile.
    virtual std::optional<std::string> OpenOrNewFile(const std::string& filter,
                                                     const std::string& defaultExtension)
    {
        return OpenFile(filter, defaultExtension);
    }
};

// Shows nothing: questions are answered Cancel, file dialogs are cancelled.
class SilentPrompter : public Prompter {
public:
    void MessageBox(const std::string&) override {}
    bool Question(const std::string&) override { return false; }
    std::optional<std::string> OpenFile(const std::string&, const std::string&) override
    {
        return std::nullopt;
    }
    std::optional<std::string> SaveFile(const std::string&, const std::string&) override
    {
        return std::nullopt;
    }
};

}  // namespace tovrik
