#pragma once
// The window's words for what a conversion run reports: its stages, the title and author question
// and failures.

#include "engine/conversion_ui.h"

#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace shell {

// The status-line message of a stage, and whether it gives way to the idle text after a second.
QString StageText(engine::Stage stage);
bool StageReverts(engine::Stage stage);

// The name of an encoding in the window: in the settings dialog and in messages.
QString EncodingLabel(engine::Encoding encoding);

// Said after the completion message of an entry whose encoding was found out on thin evidence:
// which was taken, and which came closest.
QString EncodingGuessText(const engine::EncodingGuess& guess);

// Said after the completion message of an entry with characters code page 932 cannot hold.
QString ReplacedCharactersText(std::size_t count);

// Said after the completion message of an entry whose Aozora Bunko notation was taken out: how
// its gaiji notes were resolved.
QString GaijiCountsText(const engine::GaijiCounts& counts);

// Said after the completion message of an entry whose text an end-of-file mark (0x1A) ended at
// byte `offset` of the source.
QString TextCutText(std::size_t offset);

// The stage's message with the pages' progress after it.
QString ProgressText(const QString& stageText, std::int64_t done, std::int64_t total);

// The question that asks whether the recognised title and author are right, and its caption.
QString HeaderQuestionText(const engine::HeaderQuestion& question);
QString HeaderQuestionCaption();

// The question put before an entry's outputs replace what stands at `existing` (file-system
// bytes), and its caption.
QString ReplaceQuestionText(const std::vector<std::string>& existing);
QString ReplaceQuestionCaption();

// One message for the failures of a run that saved without asking, told at its end: how many,
// the first few in full, and where the others are to be read.
QString FailuresOfTheRunText(const QStringList& failures);

// The message box text for a failure: what could not be done, with which file, and why.
QString FailureText(const engine::Failure& failure);

// The message box text for a settings file that could not be read or written: why, by the
// error's number (as engine::FileError::code), else in the system's words.
enum class SettingsAccess { Read, Write };
QString SettingsFailureText(SettingsAccess access, const std::string& path,
                            const std::string& reason, int code);

// Why, in the window's words; empty when there is nothing to say.
QString ReasonText(const engine::FileError& error);

} // namespace shell
