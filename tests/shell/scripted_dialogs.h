#pragma once

#include "shell/dialog_service.h"

#include <QDialog>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// Answers every dialog at once from queues the test fills, and keeps what was asked. A dialog
// that the test did not expect is answered with a cancel (or No) and counted.
class ScriptedDialogs final : public shell::DialogService {
  public:
    struct Question {
        QString text;
        QString caption;
    };

    QStringList messages; // plain message boxes
    QStringList errors;   // warning message boxes
    QList<Question> questions;
    QList<shell::FileDialogRequest> openRequests;
    QList<shell::FileDialogRequest> saveRequests;
    QStringList folderInstructions;

    QList<shell::ChoiceRequest> choiceRequests;

    QList<bool> yesNoAnswers;
    QList<shell::ChoiceAnswer> choiceAnswers;
    QList<QStringList> openAnswers;
    QStringList saveAnswers; // an empty string cancels
    QStringList folderAnswers;
    int unexpected = 0;

    // Runs while a choice question would be open, before it answers.
    std::function<void()> onChoice;
    // Runs while the save dialog would be open, before it answers.
    std::function<void()> onSave;
    // Runs while one of the program's own dialogs would be open; it is shown, not run modally.
    std::function<void(QDialog&)> onDialog;
    int dialogsShown = 0;

    void showMessage(QWidget*, const QString& text) override { messages << text; }
    void showError(QWidget*, const QString& text) override { errors << text; }
    bool askYesNo(QWidget*, const QString& text, const QString& caption) override {
        questions << Question{text, caption};
        return take(yesNoAnswers, false);
    }
    shell::ChoiceAnswer askChoice(QWidget*, const shell::ChoiceRequest& request) override {
        choiceRequests << request;
        if (onChoice)
            onChoice();
        return take(choiceAnswers, shell::ChoiceAnswer{request.escapeButton, false});
    }
    QStringList getOpenFileNames(QWidget*, const shell::FileDialogRequest& request) override {
        openRequests << request;
        return take(openAnswers, QStringList());
    }
    QString getSaveFileName(QWidget*, const shell::FileDialogRequest& request) override {
        saveRequests << request;
        if (onSave)
            onSave();
        return take(saveAnswers, QString());
    }
    QString getExistingDirectory(QWidget*, const QString& instruction) override {
        folderInstructions << instruction;
        return take(folderAnswers, QString());
    }

    void execDialog(QDialog& dialog) override {
        ++dialogsShown;
        dialog.show();
        if (onDialog)
            onDialog(dialog);
        dialog.hide();
    }

  private:
    template <typename T> T take(QList<T>& queue, T cancel) {
        if (queue.isEmpty()) {
            ++unexpected;
            return cancel;
        }
        return queue.takeFirst();
    }
};
