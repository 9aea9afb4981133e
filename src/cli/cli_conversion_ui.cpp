#include "cli_conversion_ui.h"

#include "cli_output_files.h"

namespace cli {
namespace {

constexpr const char* kProgramName = "pagelume-convert";
constexpr const char* kStandardInputName = "stdin.txt";

// The save question adds ".txt" to a name typed without an extension; the command line gives the
// same names the question would.
std::string withTextExtension(const std::string& name) {
    return name.find('.') == std::string::npos ? name + ".txt" : name;
}

} // namespace

CliConversionUi::CliConversionUi(const WorkingFolder& workingFolder, std::ostream& err,
                                 OutputChoice outputs, bool nameFromHeader)
    : m_workingFolder(workingFolder), m_err(err), m_outputs(std::move(outputs)),
      m_nameFromHeader(nameFromHeader) {}

void CliConversionUi::beginSource(const std::string& userName, bool standardInput) {
    m_sourceLabel = standardInput ? std::string("standard input") : "'" + userName + "'";
    m_standardInput = standardInput;
    m_headerAccepted = false;
    m_sourceFailed = false;
    m_sourceDone = false;
}

void CliConversionUi::reportSourceFailure(const std::string& message) {
    m_err << kProgramName << ": " << message << '\n';
    m_sourceFailed = true;
}

bool CliConversionUi::ConfirmHeader(const engine::HeaderQuestion&) {
    m_headerAccepted = true;
    return true;
}

std::optional<std::string> CliConversionUi::AskOutputPath(const std::string& proposedName,
                                                          const std::string&) {
    if (m_outputs.path)
        return m_outputs.path;
    // A name made from title and author never has an extension of its own, even when the title
    // holds a ".".
    std::string name;
    if (m_headerAccepted && m_nameFromHeader)
        name = proposedName + ".txt";
    else if (m_standardInput)
        name = kStandardInputName;
    else
        name = withTextExtension(proposedName);
    if (m_outputs.folder)
        return WorkingFolder::join(*m_outputs.folder, name);
    return m_workingFolder.resolve(name);
}

std::string CliConversionUi::outputLabel(const std::string& path) const {
    if (path == CliOutputFiles::kStandardOutput && m_outputs.path == path)
        return "standard output";
    return "'" + m_workingFolder.display(path) + "'";
}

namespace {

std::string archiveFaultText(engine::ArchiveFault fault) {
    using Fault = engine::ArchiveFault;
    switch (fault) {
    case Fault::None:
        break;
    case Fault::NotAnArchive:
        return "not a zip file, or one cut short (it has no end-of-central-directory record)";
    case Fault::Damaged:
        return "the zip is damaged (its records point outside it or contradict one another)";
    case Fault::Multipart:
        return "the zip is split over several files, which is not supported";
    case Fault::Zip64:
        return "the zip uses ZIP64, which is not supported";
    case Fault::Encrypted:
        return "it is encrypted";
    case Fault::UnsupportedMethod:
        return "it is compressed with a method other than deflate";
    case Fault::CorruptData:
        return "its compressed data are damaged (they do not inflate to its recorded size)";
    case Fault::ChecksumMismatch:
        return "its data fail their CRC-32 check";
    case Fault::MemberTooLarge:
        return "it inflates past " + std::to_string(engine::kMaxMemberBytes >> 20) + " MiB";
    case Fault::NoTextMember:
        return "the zip holds no .txt file";
    case Fault::MemberMissing:
        return "the zip no longer holds it";
    }
    return "the zip cannot be read";
}

// Why, in the tool's words.
std::string reasonOf(const engine::FileError& error) {
    using Cause = engine::FileError::Cause;
    switch (error.cause) {
    case Cause::System:
        return error.reason;
    case Cause::NotARegularFile:
        return "not a regular file";
    case Cause::TooLarge:
        return "the text is too long (at most " + std::to_string(engine::kMaxTextBytes) +
               " bytes, and what the layout adds to them)";
    case Cause::OutOfMemory:
        return "not enough memory";
    case Cause::AlreadyExists:
        return "a file of that name appeared meanwhile and is kept (use --force to replace it)";
    case Cause::SourceItself:
        return "'" + error.reason + "' is one of the sources being converted, which are never " +
               "written over";
    case Cause::Archive:
        return archiveFaultText(error.archiveFault);
    }
    return error.reason;
}

} // namespace

namespace {

std::string encodingLabel(engine::Encoding encoding) {
    switch (encoding) {
    case engine::Encoding::Auto:
        break;
    case engine::Encoding::ShiftJis:
        return "Shift_JIS";
    case engine::Encoding::Utf8:
        return "UTF-8";
    case engine::Encoding::Utf16Le:
        return "UTF-16LE";
    case engine::Encoding::Utf16Be:
        return "UTF-16BE";
    case engine::Encoding::EucJp:
        return "EUC-JP";
    case engine::Encoding::Iso2022Jp:
        return "ISO-2022-JP";
    }
    return "?";
}

} // namespace

void CliConversionUi::ShowEncodingGuess(const engine::EncodingGuess& guess) {
    // A notice, not a failure: what was taken, and the option that takes the other.
    m_err << kProgramName << ": " << m_sourceLabel
          << ": the encoding could not be told for certain; read as " << encodingLabel(guess.taken)
          << " (if the pages are garbled, try --encoding "
          << engine::EncodingChoiceName(guess.closest) << ")\n";
}

void CliConversionUi::ShowReplacedCharacters(std::size_t count) {
    // A notice, not a failure: the source is converted all the same.
    m_err << kProgramName << ": " << m_sourceLabel << ": " << count
          << (count == 1 ? " character" : " characters")
          << " that Shift_JIS cannot hold written as \xE3\x80\x93\n"; // 〓
}

void CliConversionUi::ShowGaijiCounts(const engine::GaijiCounts& counts) {
    m_err << kProgramName << ": " << m_sourceLabel << ": gaiji: " << counts.exact << " resolved, "
          << counts.readableForm << " given a readable form, " << counts.geta
          << " left as \xE3\x80\x93\n"; // 〓
}

void CliConversionUi::ShowTextCut(std::size_t offset) {
    m_err << kProgramName << ": " << m_sourceLabel << ": the text after byte " << offset
          << " (an end-of-file mark) was not converted\n";
}

void CliConversionUi::ShowWaitingForOtherRun() {
    const std::string message = std::string(kProgramName) + ": " + m_sourceLabel +
                                ": waiting for another run that is placing files in the same "
                                "folder\n";
    if (m_tellWaiting)
        m_tellWaiting(message);
    else
        m_err << message;
}

void CliConversionUi::ReportFailure(const engine::Failure& failure) {
    using Action = engine::Failure::Action;
    const std::string reason = reasonOf(failure.error);
    std::string message;
    switch (failure.action) {
    case Action::ReadSource:
        message = "cannot read " + m_sourceLabel + ": " + reason;
        break;
    case Action::Convert:
        message = "cannot convert " + m_sourceLabel + ": " + reason;
        break;
    case Action::WriteOutput:
        message = "cannot write " + outputLabel(failure.path) + ": " + reason;
        break;
    case Action::OutputExists:
        // The refusal comes from CliOutputFiles, which names the file concerned.
        message = "not converting " + m_sourceLabel + ": " + reason;
        break;
    }
    reportSourceFailure(message);
    // A placing that could not be taken back: every file not as it was, and where its earlier
    // contents are.
    for (const auto& [path, fault] : failure.leftMixed) {
        m_err << kProgramName << ": " << outputLabel(path)
              << (fault.holdsNew ? " was left holding the new pages"
                                 : " was left missing: it belonged to an earlier series");
        if (!fault.keptAs.empty())
            m_err << "; its earlier contents are in '" << m_workingFolder.display(fault.keptAs)
                  << "'";
        else if (fault.holdsNew)
            m_err << " where there was no file before";
        m_err << '\n';
    }
    for (const engine::LeftBehind& left : failure.leftBehind)
        m_err << kProgramName << ": the temporary " << (left.folder ? "folder" : "file") << " '"
              << m_workingFolder.display(left.path) << "' could not be removed (" << left.reason
              << "); it may be deleted\n";
}

} // namespace cli
