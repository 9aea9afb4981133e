#pragma once

#include "engine/settings.h"

#include <QDialog>
#include <QWidget>

#include <string>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace shell {

class DialogService;

// Up-down arrows joined to a one-line field: they step a count within fixed limits, never
// wrapping, and write it into the field as plain digits. The field's own handler decides when
// the count follows the text.
class UpDown final : public QWidget {
    Q_OBJECT
  public:
    UpDown(QLineEdit* buddy, int minimum, int maximum, int increment, QWidget* parent = nullptr);

    int position() const { return m_position; }
    void setPosition(int position); // held within the limits; the field is left alone
    int minimum() const { return m_minimum; }
    int maximum() const { return m_maximum; }
    int increment() const { return m_increment; }

    // One press of an arrow per step, up for positive steps.
    void stepBy(int steps);

    QToolButton* upButton() const { return m_up; }
    QToolButton* downButton() const { return m_down; }

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QLineEdit* m_buddy;
    QToolButton* m_up;
    QToolButton* m_down;
    int m_minimum;
    int m_maximum;
    int m_increment;
    int m_position;
};

// The settings dialog `ConfigForm`. It holds the one live Settings: every edit is in force at
// once; only the apply button writes the settings file.
class TConfigForm final : public QDialog {
    Q_OBJECT
  public:
    // Loads the settings file at `settingsPath` (file-system bytes) into the controls.
    TConfigForm(DialogService& dialogs, std::string settingsPath, QWidget* parent = nullptr);

    // The live settings, read by the conversion run while it goes on.
    const engine::Settings& liveSettings() const { return m_settings; }
    const std::string& settingsPath() const { return m_settingsPath; }

    // The output folder, chosen outside this dialog: in force at once and written to the settings
    // file on its own. A failure to write it is shown; the folder stays in force.
    void chooseSavePath(const QString& folder);

  signals:
    // Any setting changed, by the user or by a rule of the dialog.
    void settingsChanged();

  public slots:
    void rgLineSpaceClick();
    void rgCharSizeClick();
    void chkUseHeaderClick();
    void chkUseDivisionClick();
    void editDivideByChange();
    void btnFolderRefClick();
    void btnClearClick();
    void btnExitClick();
    void UpdatePageSizeLabel();

  protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildControls();
    void layOutControls();
    void connectControls();
    void loadSettings();
    void onLineSpaceChosen();
    void onCharSizeChosen();
    void onSpaceLineChosen();

    DialogService& m_dialogs;
    const std::string m_settingsPath;
    engine::Settings m_settings;
    bool m_placed = false;

    QPushButton* m_btnExit = nullptr;
    QGroupBox* m_rgLineSpace = nullptr;
    QGroupBox* m_rgCharSize = nullptr;
    QGroupBox* m_rgSpaceLine = nullptr;
    QButtonGroup* m_lineSpace = nullptr;
    QButtonGroup* m_charSize = nullptr;
    QButtonGroup* m_spaceLine = nullptr;
    QLineEdit* m_editSavePath = nullptr;
    QPushButton* m_btnFolderRef = nullptr;
    QPushButton* m_btnClear = nullptr;
    QCheckBox* m_chkUseHeader = nullptr;
    QCheckBox* m_chkUseReturnCode = nullptr;
    QCheckBox* m_chkUseDivision = nullptr;
    QLineEdit* m_editDivideBy = nullptr;
    UpDown* m_udDivide = nullptr;
    QCheckBox* m_chkUseHeaderToFile = nullptr;
    QLabel* m_label1 = nullptr;
    QLabel* m_lblKB = nullptr;
    QLabel* m_lblEncoding = nullptr;
    QComboBox* m_cmbEncoding = nullptr;
    QCheckBox* m_chkAozora = nullptr;
    QCheckBox* m_chkRubyParen = nullptr;
    QCheckBox* m_chkKinsoku = nullptr;
    QCheckBox* m_chkSaveWithoutAsking = nullptr;
    QCheckBox* m_chkTcyDigits = nullptr;
};

} // namespace shell
