#include "shell/dialog_service.h"

#include "shell/file_dialog_columns.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>

namespace shell {
namespace {

void messageBox(QWidget* parent, const QString& text, QMessageBox::Icon icon) {
    QMessageBox box(icon, QString::fromUtf16(kApplicationTitle), text, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    // Messages name files and folders: their paths can be selected and copied.
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);
    box.exec();
}

void prepare(QFileDialog& dialog, const FileDialogRequest& request) {
    dialog.setNameFilters(request.filters);
    if (!request.filters.isEmpty())
        dialog.selectNameFilter(request.filters.front());
    dialog.setDefaultSuffix(request.defaultSuffix);
    dialog.setOption(QFileDialog::ReadOnly, false);
    dialog.setSizeGripEnabled(true);
    if (!request.folder.isEmpty() && QDir(request.folder).exists())
        dialog.setDirectory(request.folder);
    UseJapaneseFileColumns(dialog);
}

} // namespace

void QtDialogService::showMessage(QWidget* parent, const QString& text) {
    messageBox(parent, text, QMessageBox::NoIcon);
}

void QtDialogService::showError(QWidget* parent, const QString& text) {
    messageBox(parent, text, QMessageBox::Warning);
}

bool QtDialogService::askYesNo(QWidget* parent, const QString& text, const QString& caption) {
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

ChoiceAnswer QtDialogService::askChoice(QWidget* parent, const ChoiceRequest& request) {
    QMessageBox box(QMessageBox::NoIcon, request.caption, request.text, QMessageBox::NoButton,
                    parent);
    box.setTextFormat(Qt::PlainText);
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);
    QList<QPushButton*> buttons;
    for (const QString& caption : request.buttons)
        buttons << box.addButton(caption, QMessageBox::ActionRole);
    if (!buttons.isEmpty()) {
        box.setDefaultButton(buttons.front());
        box.setEscapeButton(buttons.value(request.escapeButton, buttons.back()));
    }
    if (!request.checkBox.isEmpty())
        box.setCheckBox(new QCheckBox(request.checkBox, &box));
    box.exec();
    ChoiceAnswer answer;
    const auto clicked = buttons.indexOf(qobject_cast<QPushButton*>(box.clickedButton()));
    answer.button = clicked >= 0 ? static_cast<int>(clicked) : request.escapeButton;
    answer.checked = box.checkBox() && box.checkBox()->isChecked();
    return answer;
}

QStringList QtDialogService::getOpenFileNames(QWidget* parent, const FileDialogRequest& request) {
    QFileDialog dialog(parent, request.title);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    prepare(dialog, request);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    QStringList files;
    for (const QString& file : dialog.selectedFiles())
        files << QDir::toNativeSeparators(file);
    return files;
}

QString QtDialogService::getSaveFileName(QWidget* parent, const FileDialogRequest& request) {
    QFileDialog dialog(parent, request.title);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    prepare(dialog, request);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return QDir::toNativeSeparators(dialog.selectedFiles().front());
}

QString QtDialogService::getExistingDirectory(QWidget* parent, const QString& instruction) {
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    QFileDialog dialog(parent, instruction, desktop);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    UseJapaneseFileColumns(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return QDir::toNativeSeparators(dialog.selectedFiles().front());
}

void QtDialogService::execDialog(QDialog& dialog) {
    dialog.exec();
}

} // namespace shell
