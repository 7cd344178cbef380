// SPDX-License-Identifier: MIT
#include "qt_prompter.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

#include "file_filter.h"

namespace tovrik::gui {

void QtPrompter::BeforePrompt()
{
    if (beforePrompt_) {
        beforePrompt_();
    }
}

void QtPrompter::MessageBox(const std::string& text)
{
    BeforePrompt();
    QMessageBox box(QMessageBox::Information, QString::fromUtf8(kCaption),
                    QString::fromStdString(text), QMessageBox::Ok, parent_);
    box.setObjectName(QStringLiteral("tovrikMessage"));
    box.exec();
}

bool QtPrompter::Question(const std::string& text)
{
    BeforePrompt();
    QMessageBox box(QMessageBox::Question, QString::fromUtf8(kCaption),
                    QString::fromStdString(text), QMessageBox::Ok | QMessageBox::Cancel, parent_);
    box.setObjectName(QStringLiteral("tovrikQuestion"));
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Cancel);
    return box.exec() == QMessageBox::Ok;
}

std::optional<std::string> QtPrompter::OpenFile(const std::string& filter,
                                                const std::string& defaultExtension)
{
    return FileDialog(FileMode::Open, filter, defaultExtension);
}

std::optional<std::string> QtPrompter::SaveFile(const std::string& filter,
                                                const std::string& defaultExtension)
{
    return FileDialog(FileMode::Save, filter, defaultExtension);
}

std::optional<std::string> QtPrompter::OpenOrNewFile(const std::string& filter,
                                                     const std::string& defaultExtension)
{
    return FileDialog(FileMode::OpenOrNew, filter, defaultExtension);
}

std::optional<std::string> QtPrompter::FileDialog(FileMode mode, const std::string& filter,
                                                  const std::string& defaultExtension)
{
    BeforePrompt();
    QFileDialog dialog(parent_, QString::fromUtf8(kCaption));
    // The toolkit's own dialog adds the default extension before it checks for
    // an existing file, so the overwrite question names the file really written.
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    const bool save = mode == FileMode::Save;
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(mode == FileMode::Open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    QStringList filters;
    for (const FileFilter& f : ParseFileFilter(filter)) {
        filters << QString::fromStdString(ToolkitFilterText(f));
    }
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
    }
    dialog.setDefaultSuffix(QString::fromStdString(defaultExtension));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return WithDefaultExtension(dialog.selectedFiles().first().toStdString(), defaultExtension);
}

}  // namespace tovrik::gui
