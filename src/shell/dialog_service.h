#pragma once

#include <QString>
#include <QStringList>

class QDialog;
class QWidget;

namespace shell {

// The caption of every message box, and the title the task bar shows.
inline constexpr char16_t kApplicationTitle[] = u"Pagelume for infoCarry";

// What a file dialog is asked to show.
struct FileDialogRequest {
    QString title;         // empty: the system's own title
    QString folder;        // where the dialog opens; empty: the system's choice
    QString fileName;      // proposed name, without folder (save dialog)
    QStringList filters;   // "テキストファイル(*.txt)" and the like, the first one chosen
    QString defaultSuffix; // added to a name typed without an extension
};

// A question answered by one of several buttons, with a check box under the text (such as
// 「以降すべてに適用」).
struct ChoiceRequest {
    QString text;
    QString caption;
    QStringList buttons;  // in order; the first is the default
    int escapeButton = 0; // the answer of Escape and of the close box
    QString checkBox;     // empty: none
};

struct ChoiceAnswer {
    int button = 0; // index into ChoiceRequest::buttons
    bool checked = false;
};

// Every modal dialog of the program goes through here, so tests can answer them at once.
class DialogService {
  public:
    virtual ~DialogService() = default;

    // A message box with an OK button, captioned with the application title; its text can be
    // selected for copying.
    virtual void showMessage(QWidget* parent, const QString& text) = 0;
    // The same with a warning icon, for something that went wrong.
    virtual void showError(QWidget* parent, const QString& text) = 0;
    // Yes and No, Yes the default, no icon. True for Yes.
    virtual bool askYesNo(QWidget* parent, const QString& text, const QString& caption) = 0;
    // No icon; the text can be selected for copying.
    virtual ChoiceAnswer askChoice(QWidget* parent, const ChoiceRequest& request) = 0;
    // Several existing files; an empty list when cancelled.
    virtual QStringList getOpenFileNames(QWidget* parent, const FileDialogRequest& request) = 0;
    // One file to write, asking before an existing one is replaced; empty when cancelled.
    virtual QString getSaveFileName(QWidget* parent, const FileDialogRequest& request) = 0;
    // One folder of the file system; empty when cancelled.
    virtual QString getExistingDirectory(QWidget* parent, const QString& instruction) = 0;
    // Shows one of the program's own dialogs modally and returns when it is closed.
    virtual void execDialog(QDialog& dialog) = 0;
};

// The real dialogs: the platform's native ones where it has them.
class QtDialogService final : public DialogService {
  public:
    void showMessage(QWidget* parent, const QString& text) override;
    void showError(QWidget* parent, const QString& text) override;
    bool askYesNo(QWidget* parent, const QString& text, const QString& caption) override;
    ChoiceAnswer askChoice(QWidget* parent, const ChoiceRequest& request) override;
    QStringList getOpenFileNames(QWidget* parent, const FileDialogRequest& request) override;
    QString getSaveFileName(QWidget* parent, const FileDialogRequest& request) override;
    QString getExistingDirectory(QWidget* parent, const QString& instruction) override;
    void execDialog(QDialog& dialog) override;
};

} // namespace shell
