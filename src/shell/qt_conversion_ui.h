#pragma once

#include "engine/conversion_ui.h"

#include <QElapsedTimer>
#include <QString>

#include <functional>

class QWidget;

namespace shell {

class DialogService;

// The conversion run's user interface on Qt: questions through the dialog service, status
// messages to the main window, the application-wide busy cursor, and the event queue served
// between the run's steps.
class QtConversionUi final : public engine::ConversionUi {
  public:
    static constexpr int kEventIntervalMilliseconds = 20;

    using StatusSink = std::function<void(const QString& text, bool revert)>;

    QtConversionUi(DialogService& dialogs, QWidget* parent, StatusSink showStatus);
    ~QtConversionUi() override; // gives the cursor back should a run leave it busy
    QtConversionUi(const QtConversionUi&) = delete;
    QtConversionUi& operator=(const QtConversionUi&) = delete;

    // Serves the event queue at most once every kEventIntervalMilliseconds: the run asks far
    // more often than the window needs.
    void ProcessPendingEvents() override;
    bool ConfirmHeader(const engine::HeaderQuestion& question) override;
    std::optional<std::string> AskOutputPath(const std::string& proposedName,
                                             const std::string& initialFolder) override;
    void SetBusyCursor(bool on) override;
    void ShowStage(engine::Stage stage) override;
    void ReportFailure(const engine::Failure& failure) override;
    // The pages' progress on the status line, after the message of the stage in hand.
    void ShowProgress(std::int64_t done, std::int64_t total) override;

  private:
    DialogService& m_dialogs;
    QWidget* m_parent;
    StatusSink m_showStatus;
    QElapsedTimer m_sinceEvents;
    bool m_busy = false;
    QString m_stageText;
    std::int64_t m_percentShown = -1;
};

} // namespace shell
