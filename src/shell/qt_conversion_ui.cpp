#include "shell/qt_conversion_ui.h"

#include "shell/dialog_service.h"
#include "shell/failure_text.h"
#include "shell/text_codec.h"

#include <QApplication>
#include <QCursor>
#include <QDir>

#include <utility>

namespace shell {

QtConversionUi::QtConversionUi(DialogService& dialogs, QWidget* parent, StatusSink showStatus)
    : m_dialogs(dialogs), m_parent(parent), m_showStatus(std::move(showStatus)) {
    m_sinceEvents.start();
}

QtConversionUi::~QtConversionUi() {
    if (m_busy)
        QApplication::restoreOverrideCursor();
}

void QtConversionUi::ProcessPendingEvents() {
    if (m_sinceEvents.elapsed() < kEventIntervalMilliseconds)
        return;
    QCoreApplication::processEvents();
    m_sinceEvents.restart();
}

bool QtConversionUi::AskYesNo(const std::string& text, const std::string& caption) {
    return m_dialogs.askYesNo(m_parent, FromShiftJis(text), FromShiftJis(caption));
}

std::optional<std::string> QtConversionUi::AskOutputPath(const std::string& proposedName,
                                                         const std::string& initialFolder) {
    FileDialogRequest request;
    request.title = QStringLiteral("保存するときのファイル名及び保存先");
    request.folder = PathFromBytes(initialFolder);
    request.fileName = PathFromBytes(proposedName);
    request.filters = {QStringLiteral("テキストファイル(*.txt)")};
    request.defaultSuffix = QStringLiteral("txt");
    const QString chosen = m_dialogs.getSaveFileName(m_parent, request);
    if (chosen.isEmpty())
        return std::nullopt;
    return PathToBytes(QDir::toNativeSeparators(chosen));
}

void QtConversionUi::SetBusyCursor(bool on) {
    if (on == m_busy)
        return;
    m_busy = on;
    if (on)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void QtConversionUi::ShowStatus(const std::string& message, bool revert) {
    m_lastStatus = FromShiftJis(message);
    m_showStatus(m_lastStatus, revert);
}

void QtConversionUi::ShowProgress(std::int64_t done, std::int64_t total) {
    const std::int64_t percent = total > 0 ? done * 100 / total : 100;
    m_showStatus(QStringLiteral("%1（%2%）").arg(m_lastStatus).arg(percent), false);
}

void QtConversionUi::ReportFailure(const engine::Failure& failure) {
    // The message box wants the normal pointer even in the middle of a busy stretch.
    if (m_busy)
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    m_dialogs.showError(m_parent, FailureText(failure));
    if (m_busy)
        QApplication::restoreOverrideCursor();
}

} // namespace shell
