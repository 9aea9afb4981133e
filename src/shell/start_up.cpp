#include "shell/start_up.h"

#include "platform/infocarry_home.h"
#include "platform/memory_reuse.h"
#include "platform/paths.h"
#include "shell/config_form.h"
#include "shell/dialog_service.h"
#include "shell/main_form.h"
#include "shell/termination.h"
#include "shell/text_codec.h"

#include <QApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <exception>
#include <string>

namespace shell {
namespace {

// An exception that escapes a command handler is shown and the program goes on: Qt must not
// see it unwind through its event loop.
class PagelumeApplication final : public QApplication {
  public:
    PagelumeApplication(int& argc, char** argv, DialogService& dialogs)
        : QApplication(argc, argv), m_dialogs(dialogs) {}

    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& error) {
            m_dialogs.showError(activeWindow(), QString::fromLocal8Bit(error.what()));
        } catch (...) {
            m_dialogs.showError(activeWindow(), QStringLiteral("不明なエラーが発生しました"));
        }
        return false;
    }

  private:
    DialogService& m_dialogs;
};

QString fromFileSystem(const std::filesystem::path& path) {
    return path.empty() ? QString() : QFileInfo(path).filePath();
}

} // namespace

int RunPagelume(int& argc, char** argv) {
    platform::KeepMemoryForReuse();
    QtDialogService dialogs;
    PagelumeApplication app(argc, argv, dialogs);
    QApplication::setApplicationName(QString::fromUtf16(kApplicationTitle));
    // Qt's own texts (the buttons of message boxes, the file dialogs) in Japanese like the rest,
    // and dates and numbers as a Japanese reader writes them.
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                     QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);
    QApplication::setApplicationVersion(QStringLiteral(PAGELUME_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("pagelume"));
    try {
        // Formed once, before any window exists; a path the system cannot spell ends the
        // program with a message, like any error at start.
        const std::string settingsPath = PathToBytes(fromFileSystem(platform::SettingsFilePath()));
        MainFormSetup setup;
        setup.readmePath = fromFileSystem(platform::ReadmePath());
        setup.readInfoCarryHome = &platform::ReadInfoCarryHome;
        setup.settingsPath = settingsPath;
        // Files given on the command line ("Open with" of a file manager) start the list.
        const QStringList arguments = QApplication::arguments();
        for (qsizetype i = 1; i < arguments.size(); ++i)
            setup.initialFiles << QFileInfo(arguments[i]).absoluteFilePath();
        TMainForm mainForm(dialogs, std::move(setup));
        TConfigForm configForm(dialogs, settingsPath, &mainForm);
        mainForm.setConfigForm(&configForm);
        // A logout or kill ends a run as closing the window does: nothing half-written stays.
        WatchTermination(&mainForm, [&mainForm] { mainForm.close(); });
        mainForm.show();
        QApplication::exec();
    } catch (const std::exception& error) {
        dialogs.showError(nullptr, QString::fromLocal8Bit(error.what()));
    }
    return 0;
}

} // namespace shell
