#pragma once

#include "engine/conversion_run.h"
#include "files/output_files.h"
#include "files/source_files.h"
#include "input/source_text.h"
#include "platform/infocarry_home.h"

#include <QMainWindow>
#include <QPersistentModelIndex>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <optional>
#include <string>

class QAction;
class QLabel;
class QListWidgetItem;
class QProgressBar;
class QTabWidget;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QSplitter;
class QToolBar;
class QToolButton;
class QUrl;

namespace shell {

class DialogService;
class ElidedLabel;
struct EntryOutcome;
class PagePreview;
class StatusLine;
class TConfigForm;

// Where the main window finds what the system provides; tests put their own files here.
struct MainFormSetup {
    QString readmePath;                                          // "read201.txt"
    std::function<platform::RegistryString()> readInfoCarryHome; // "HomePath"; may be empty
    std::string settingsPath; // where the window keeps its place between starts; may be empty
    QStringList initialFiles; // given on the command line ("Open with")
    // Shows a folder in the system's file manager; false when none opened it. Empty: the
    // desktop's own (QDesktopServices).
    std::function<bool(const QUrl&)> openFolder;
};

// The main window `MainForm`: the list of source files, the preview pane, the menus, the tool
// buttons and the status line, and the convert command that drives a conversion run.
class TMainForm final : public QMainWindow {
    Q_OBJECT
  public:
    // Loads the readme into the preview pane and reads InfoCarryHome; either may show a message.
    TMainForm(DialogService& dialogs, MainFormSetup setup, QWidget* parent = nullptr);

    // The settings dialog, created after this window; it holds the live settings.
    void setConfigForm(TConfigForm* form);

    // Adds files as the open dialog does; a folder adds the ".txt" files in it, in name order.
    void addPaths(const QStringList& paths);

    // The one way to put a message on the status line.
    void ShowStatus(const QString& text, bool revert);

    // Each entry's result of the last run that converted it, in a column of its own beside the
    // path; empty while it has none. A failure's reason is that column's tooltip.
    static constexpr int kResultRole = Qt::UserRole + 1;
    static constexpr int kResultToolTipRole = Qt::UserRole + 2;

    const std::string& infoCarryHome() const { return m_infoCarryHome; }
    StatusLine* statusLine() const { return m_stxtStatus; }

  public slots:
    void mnuFileOpenClick();
    void tbtnResetClick();
    void mnuFileExitClick();
    void mnuConfigConfigClick();
    void ShowReadmeClick();
    void mnuAboutClick();
    void lstFilenameClick();
    void pmnuSelectAllClick();
    void pmnuEraseClick();
    void STextTimerTimer();

    void stopConversion();
    void openOutputFolder();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildMenus();
    void buildCoolBar();
    void buildContents();
    void readInfoCarryHome();
    bool loadReadme(); // false, after the message, when the file cannot be opened
    void updateConvertButton();
    void selectionChanged();
    void showPreviewOf(const QListWidgetItem* item);
    void refreshPagePreview();
    void buildStatusBar();
    void restoreWindowState();
    void showOutcome(const QPersistentModelIndex& entry, const EntryOutcome& outcome);
    void updateResultColumn();
    std::optional<QString> saveFolderWithoutAsking();

    DialogService& m_dialogs;
    const MainFormSetup m_setup;
    TConfigForm* m_configForm = nullptr;
    std::string m_infoCarryHome; // file-system bytes, possibly empty
    files::FileSystemSources m_sources;
    input::SourceInput m_input;
    files::FileSystemOutputFiles m_outputs;
    engine::Converter m_converter;

    // The convert button is held off while a run is under way, so that no run starts inside
    // another.
    bool m_running = false;
    bool m_closing = false;
    bool m_selectingByProgram = false;

    QAction* m_mnuFileOpen = nullptr;
    QAction* m_mnuFileExit = nullptr;
    QAction* m_mnuConfigConfig = nullptr;
    QAction* m_ShowReadme = nullptr;
    QAction* m_mnuAbout = nullptr;
    QToolBar* m_CoolBar = nullptr;
    QToolButton* m_tbtnFileOpen = nullptr;
    QToolButton* m_tbtnReset = nullptr;
    QToolButton* m_tbtnExit = nullptr;
    StatusLine* m_stxtStatus = nullptr;
    QSplitter* m_Splitter = nullptr;
    QListWidget* m_lstFilename = nullptr;
    QPlainTextEdit* m_memoContents = nullptr;
    QMenu* m_pmnuListBox = nullptr;
    QTabWidget* m_previewTabs = nullptr;
    QLabel* m_lblPreviewCut = nullptr;
    PagePreview* m_pagePreview = nullptr;
    QProgressBar* m_progress = nullptr;
    QToolButton* m_tbtnStop = nullptr;
    QAction* m_mnuOpenFolder = nullptr;
    QAction* m_actDelete = nullptr;
    ElidedLabel* m_lblRunSummary = nullptr;
    std::atomic<bool> m_stopRequested = false; // read by the run's workers
    QString m_outputFolder;                    // of the last run that wrote something
    QString m_openFolder;                      // where the open dialog was last
    QAction* m_pmnuSelectAll = nullptr;
    QAction* m_pmnuErase = nullptr;
};

} // namespace shell
