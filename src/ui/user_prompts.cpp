#include "ui/user_prompts.h"

#include <QFileDialog>
#include <QMessageBox>

namespace {
QWidget* VisibleOwner(QWidget* owner) { return owner && owner->isVisible() ? owner : nullptr; }
}  // namespace

void TUserPrompts::FillDefaults(QWidget* owner) {
    if (!ErrorBox)
        ErrorBox = [owner](const QString& text) {
            QMessageBox::critical(VisibleOwner(owner), QStringLiteral("Error"), text);
        };
    if (!PlainBox)
        PlainBox = [owner](const QString& text) {
            QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Varlume"), text, QMessageBox::Ok,
                            VisibleOwner(owner));
            box.exec();
        };
    if (!Question)
        Question = [owner](const QString& text) {
            return QMessageBox::question(VisibleOwner(owner), QStringLiteral("Confirm"), text,
                                         QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
        };
    if (!OpenFile)
        OpenFile = [owner](const QString& caption, const QString& directory, const QString& filter) {
            return QFileDialog::getOpenFileName(owner, caption, directory, filter);
        };
    if (!SaveFile)
        SaveFile = [owner](const QString& caption, const QString& directory, const QString& filter,
                           const QString& defaultSuffix) {
            QFileDialog dialog(owner, caption, directory, filter);
            dialog.setAcceptMode(QFileDialog::AcceptSave);
            dialog.setDefaultSuffix(defaultSuffix);
            // The overwrite question is the save dialog's own, asked after this one closes.
            dialog.setOption(QFileDialog::DontConfirmOverwrite);
            if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
            return dialog.selectedFiles().front();
        };
    if (!Directory)
        Directory = [owner](const QString& caption, const QString& directory) {
            return QFileDialog::getExistingDirectory(owner, caption, directory);
        };
}
