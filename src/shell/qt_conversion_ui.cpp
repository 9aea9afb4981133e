#include "shell/qt_conversion_ui.h"

#include "shell/conversion_texts.h"
#include "shell/dialog_service.h"
#include "shell/text_codec.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QFileInfo>

#include <utility>

namespace shell {
namespace {

// A name of the book's own with "_縦書き" before its extension.
QString vertical(const QString& fileName) {
    return QFileInfo(fileName).completeBaseName() + QStringLiteral("_縦書き.txt");
}

} // namespace

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

template <typename Ask> auto QtConversionUi::withArrow(Ask ask) {
    // A question wants the normal pointer even in the middle of a busy stretch.
    if (m_busy)
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    auto answer = ask();
    if (m_busy)
        QApplication::restoreOverrideCursor();
    return answer;
}

bool QtConversionUi::ConfirmHeader(const engine::HeaderQuestion& question) {
    if (!m_saveFolder)
        return m_dialogs.askYesNo(m_parent, HeaderQuestionText(question), HeaderQuestionCaption());
    if (m_headerForAll)
        return *m_headerForAll;
    const ChoiceAnswer answer =
        m_dialogs.askChoice(m_parent, {HeaderQuestionText(question),
                                       HeaderQuestionCaption(),
                                       {QStringLiteral("はい"), QStringLiteral("いいえ")},
                                       1,
                                       QStringLiteral("以降すべてに適用")});
    const bool yes = answer.button == 0;
    if (answer.checked)
        m_headerForAll = yes;
    return yes;
}

engine::ReplaceAnswer QtConversionUi::ConfirmReplacing(const std::vector<std::string>& existing) {
    using engine::ReplaceAnswer;
    if (m_replaceForAll)
        return *m_replaceForAll;
    const ChoiceAnswer answer = withArrow([&] {
        return m_dialogs.askChoice(m_parent, {ReplaceQuestionText(existing),
                                              ReplaceQuestionCaption(),
                                              {QStringLiteral("置き換える"),
                                               QStringLiteral("飛ばす"), QStringLiteral("中止")},
                                              2,
                                              QStringLiteral("以降すべてに適用")});
    });
    const ReplaceAnswer chosen = answer.button == 0   ? ReplaceAnswer::Replace
                                 : answer.button == 1 ? ReplaceAnswer::Skip
                                                      : ReplaceAnswer::Stop;
    if (answer.checked && chosen != ReplaceAnswer::Stop)
        m_replaceForAll = chosen;
    return chosen;
}

bool QtConversionUi::isSource(const QString& path) const {
    return m_sources && m_sources->sourceAt(PathToBytes(path)).has_value();
}

std::optional<std::string> QtConversionUi::AskOutputPath(const std::string& proposedName,
                                                         const std::string& initialFolder) {
    if (m_saveFolder) {
        // As the save dialog would: a name without an extension gets .txt, and a name that is
        // one of the run's own sources gets "_縦書き".
        QString name = PathFromBytes(proposedName);
        if (QFileInfo(name).suffix().isEmpty())
            name += QStringLiteral(".txt");
        const QDir folder(*m_saveFolder);
        while (isSource(folder.filePath(name)))
            name = vertical(name);
        // Never over an output of this same run: two books named alike both stay.
        const QString base = QFileInfo(name).completeBaseName();
        const QString suffix = QFileInfo(name).suffix();
        QString path = folder.filePath(name);
        for (int n = 2; m_chosenPaths.contains(path) || isSource(path); ++n)
            path = folder.filePath(QStringLiteral("%1 (%2).%3").arg(base).arg(n).arg(suffix));
        m_chosenPaths.insert(path);
        return PathToBytes(QDir::toNativeSeparators(path));
    }
    FileDialogRequest request;
    request.title = QStringLiteral("保存するときのファイル名及び保存先");
    request.folder = PathFromBytes(initialFolder);
    request.fileName = PathFromBytes(proposedName);
    request.filters = {QStringLiteral("テキストファイル(*.txt)")};
    request.defaultSuffix = QStringLiteral("txt");
    // With no folder given the dialog opens in the working folder, which may be the book's own.
    const QString shownFolder = request.folder.isEmpty() ? QDir::currentPath() : request.folder;
    if (isSource(QDir(shownFolder).filePath(request.fileName)))
        request.fileName = vertical(request.fileName);
    for (;;) {
        const QString chosen = m_dialogs.getSaveFileName(m_parent, request);
        if (chosen.isEmpty())
            return std::nullopt;
        if (!isSource(chosen))
            return PathToBytes(QDir::toNativeSeparators(chosen));
        m_dialogs.showError(
            m_parent,
            QStringLiteral("「%1」は変換するファイルそのものなので、保存先にはできません。"
                           "別の名前を選んでください。")
                .arg(chosen));
        request.folder = QFileInfo(chosen).absolutePath();
        request.fileName = vertical(chosen);
    }
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

void QtConversionUi::ShowStage(engine::Stage stage) {
    m_stageText = StageText(stage);
    m_percentShown = -1;
    if (stage == engine::Stage::Done && m_guess)
        m_stageText += EncodingGuessText(*m_guess);
    if (stage == engine::Stage::Done && m_replaced > 0)
        m_stageText += ReplacedCharactersText(m_replaced);
    if (stage == engine::Stage::Done && m_gaiji)
        m_stageText += GaijiCountsText(*m_gaiji);
    if (stage == engine::Stage::Done && m_cutAt)
        m_stageText += TextCutText(*m_cutAt);
    if (m_outcomeSink && (stage == engine::Stage::Done || stage == engine::Stage::Cancelled ||
                          stage == engine::Stage::Stopped)) {
        EntryOutcome outcome;
        if (stage == engine::Stage::Done) {
            outcome.geta = m_replaced + (m_gaiji ? m_gaiji->geta : 0);
        } else if (stage == engine::Stage::Stopped) {
            outcome.kind = EntryOutcome::Kind::Stopped;
        } else if (m_failure) {
            outcome.kind = EntryOutcome::Kind::Failed;
            outcome.reason = *m_failure;
        } else {
            // Cancelled with no failure reported: the user cancelled the save question.
            outcome.kind = EntryOutcome::Kind::Skipped;
        }
        m_outcomeSink(outcome);
    }
    if (stage == engine::Stage::Done || stage == engine::Stage::Cancelled ||
        stage == engine::Stage::Stopped)
        m_failure.reset();
    if (stage == engine::Stage::Done || stage == engine::Stage::Cancelled) {
        m_guess.reset();
        m_replaced = 0;
        m_gaiji.reset();
        m_cutAt.reset();
        ++m_entriesFinished;
        entryProgress(0);
    }
    m_showStatus(m_stageText, StageReverts(stage));
}

void QtConversionUi::entryProgress(double ofEntry) {
    if (m_showFraction)
        m_showFraction(std::min(1.0, (m_entriesFinished + ofEntry) / m_entries));
}

void QtConversionUi::ShowOutputsWritten(const std::vector<std::string>& paths) {
    m_written.insert(m_written.end(), paths.begin(), paths.end());
}

void QtConversionUi::ShowEncodingGuess(const engine::EncodingGuess& guess) {
    m_guess = guess;
}

void QtConversionUi::ShowReplacedCharacters(std::size_t count) {
    m_replaced = count;
}

void QtConversionUi::ShowGaijiCounts(const engine::GaijiCounts& counts) {
    m_gaiji = counts;
}

void QtConversionUi::ShowTextCut(std::size_t offset) {
    m_cutAt = offset;
}

void QtConversionUi::ShowProgress(std::int64_t done, std::int64_t total) {
    // The line changes only when the percentage does, not with every page.
    const std::int64_t percent = total > 0 ? done * 100 / total : 100;
    if (percent == m_percentShown)
        return;
    entryProgress(total > 0 ? double(done) / double(total) : 1.0);
    m_percentShown = percent;
    m_showStatus(ProgressText(m_stageText, done, total), false);
}

void QtConversionUi::saveInto(const QString& folder) {
    m_saveFolder = QFileInfo(folder).absoluteFilePath();
}

void QtConversionUi::ReportFailure(const engine::Failure& failure) {
    m_failure = FailureText(failure);
    if (m_saveFolder) {
        m_failuresNotShown << *m_failure;
        return;
    }
    withArrow([&] {
        m_dialogs.showError(m_parent, *m_failure);
        return true;
    });
}

} // namespace shell
