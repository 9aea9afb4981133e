#include "shell/conversion_texts.h"

#include "shell/text_codec.h"

#include "files/file_names.h"
#include "files/system_fault.h"

#include <algorithm>

namespace shell {

QString StageText(engine::Stage stage) {
    using engine::Stage;
    switch (stage) {
    case Stage::ConfirmingHeader:
        return QStringLiteral("ヘッダの認識結果を確認してください");
    case Stage::ChoosingOutput:
        return QStringLiteral("保存ファイル名を設定してください");
    case Stage::Reading:
        return QStringLiteral("変換するファイルを読み込んでいます");
    case Stage::Preparing:
        return QStringLiteral("コンバート前処理中です");
    case Stage::Converting:
        return QStringLiteral("コンバート処理中です");
    case Stage::Done:
        return QStringLiteral("コンバートが完了しました");
    case Stage::Cancelled:
        return QStringLiteral("コンバート処理を中断しました");
    case Stage::Stopped:
        return QStringLiteral("コンバートを中止しました（書きかけのファイルは残していません）");
    }
    return {};
}

bool StageReverts(engine::Stage stage) {
    return stage == engine::Stage::Done || stage == engine::Stage::Cancelled ||
           stage == engine::Stage::Stopped;
}

QString EncodingLabel(engine::Encoding encoding) {
    switch (encoding) {
    case engine::Encoding::Auto:
        return QStringLiteral("自動判別");
    case engine::Encoding::ShiftJis:
        return QStringLiteral("シフトJIS");
    case engine::Encoding::Utf8:
        return QStringLiteral("UTF-8");
    case engine::Encoding::Utf16Le:
        return QStringLiteral("UTF-16LE");
    case engine::Encoding::Utf16Be:
        return QStringLiteral("UTF-16BE");
    case engine::Encoding::EucJp:
        return QStringLiteral("EUC-JP");
    case engine::Encoding::Iso2022Jp:
        return QStringLiteral("ISO-2022-JP");
    }
    return {};
}

QString EncodingGuessText(const engine::EncodingGuess& guess) {
    return QStringLiteral("（文字コードを判定しきれなかったため、%1として読みました。"
                          "文字化けしていたら、設定で%2を選んでください）")
        .arg(EncodingLabel(guess.taken), EncodingLabel(guess.closest));
}

QString ReplacedCharactersText(std::size_t count) {
    return QStringLiteral("（シフトJISにない文字 %1 個を〓にしました）").arg(count);
}

QString GaijiCountsText(const engine::GaijiCounts& counts) {
    return QStringLiteral("（外字注記: %1 個を文字に、%2 個を読める形に、%3 個を〓にしました）")
        .arg(counts.exact)
        .arg(counts.readableForm)
        .arg(counts.geta);
}

QString TextCutText(std::size_t offset) {
    return QStringLiteral(
               "（%1 バイト目の後にあるファイル終端記号 (0x1A) から後は変換していません）")
        .arg(offset);
}

QString ProgressText(const QString& stageText, std::int64_t done, std::int64_t total) {
    const std::int64_t percent = total > 0 ? done * 100 / total : 100;
    return QStringLiteral("%1（%2%）").arg(stageText).arg(percent);
}

QString HeaderQuestionText(const engine::HeaderQuestion& question) {
    // A half-width space on either side of the full-width colon.
    // A source of another encoding shows the characters code page 932 lacks as they are.
    const auto shown = [](std::string_view sjis, std::span<const std::string> lost) {
        if (lost.empty())
            return FromShiftJis(sjis);
        return QString::fromStdString(files::Utf8FromShiftJisRestoring(
            sjis, std::vector<std::string>(lost.begin(), lost.end())));
    };
    return QStringLiteral("タイトル ： ") + shown(question.title, question.titleLost) +
           QStringLiteral("\n著者 ： ") + shown(question.author, question.authorLost) +
           QStringLiteral("\n\nと認識しました。これで正しいですか？");
}

QString HeaderQuestionCaption() {
    return QStringLiteral("ヘッダ認識結果");
}

QString ReplaceQuestionText(const std::vector<std::string>& existing) {
    const QString first = PathFromBytes(existing.front());
    if (existing.size() == 1)
        return QStringLiteral("「%1」は既にあります。\n置き換えますか？").arg(first);
    return QStringLiteral("「%1」ほか %2 個のファイルが既にあります。\n置き換えますか？")
        .arg(first)
        .arg(existing.size() - 1);
}

QString ReplaceQuestionCaption() {
    return QStringLiteral("上書きの確認");
}

QString FailuresOfTheRunText(const QStringList& failures) {
    constexpr qsizetype kShown = 3;
    QString text = QStringLiteral("%1 個のファイルを整形できませんでした。").arg(failures.size());
    for (qsizetype i = 0; i < std::min(kShown, failures.size()); ++i)
        text += QStringLiteral("\n\n") + failures[i];
    if (failures.size() > kShown)
        text += QStringLiteral("\n\nほか %1 個").arg(failures.size() - kShown);
    return text +
           QStringLiteral("\n\n一覧の「失敗」にマウスを重ねると、それぞれの理由が表示されます。");
}

namespace {

QString archiveFaultText(engine::ArchiveFault fault) {
    using Fault = engine::ArchiveFault;
    switch (fault) {
    case Fault::None:
        break;
    case Fault::NotAnArchive:
        return QStringLiteral("zip ファイルではないか、途中で切れています");
    case Fault::Damaged:
        return QStringLiteral("zip ファイルが壊れています");
    case Fault::Multipart:
        return QStringLiteral("複数のファイルに分割された zip ファイルには対応していません");
    case Fault::Zip64:
        return QStringLiteral("ZIP64 形式の zip ファイルには対応していません");
    case Fault::Encrypted:
        return QStringLiteral("暗号化されています");
    case Fault::UnsupportedMethod:
        return QStringLiteral("対応していない圧縮方式です（deflate のみ対応しています）");
    case Fault::CorruptData:
        return QStringLiteral("圧縮されたデータが壊れています（記録された大きさに展開できません）");
    case Fault::ChecksumMismatch:
        return QStringLiteral("CRC-32 が合いません（データが壊れています）");
    case Fault::MemberTooLarge:
        return QStringLiteral("展開すると %1 MiB を超えます").arg(engine::kMaxMemberBytes >> 20);
    case Fault::NoTextMember:
        return QStringLiteral("zip ファイルにテキストファイル（.txt）がありません");
    case Fault::MemberMissing:
        return QStringLiteral("zip ファイルの中に見つかりません");
    }
    return QStringLiteral("zip ファイルを読み込めません");
}

// The common errors in our words; the rest in the system's, which it gives in the encoding of the
// user's locale.
QString systemReasonText(int code, const std::string& systemWords) {
    using Fault = files::SystemFault;
    switch (files::SystemFaultOf(code)) {
    case Fault::NotFound:
        return QStringLiteral("ファイルまたはフォルダが見つかりません");
    case Fault::NoAccess:
        return QStringLiteral("アクセスが許可されていません");
    case Fault::DiskFull:
        return QStringLiteral("ディスクの空き容量が足りません");
    case Fault::ReadOnly:
        return QStringLiteral("書き込みが禁止されています（読み取り専用です）");
    case Fault::NameTooLong:
        return QStringLiteral("ファイル名またはパスが長すぎます");
    case Fault::AlreadyExists:
        return QStringLiteral("同じ名前のファイルがすでにあります");
    case Fault::IsAFolder:
        return QStringLiteral("フォルダです（ファイルではありません）");
    case Fault::TooLarge:
        return QStringLiteral("ファイルが大きすぎます");
    case Fault::OutOfMemory:
        return QStringLiteral("メモリが足りません");
    case Fault::NotARegularFile:
        return QStringLiteral("通常のファイルではありません（デバイスや名前付きパイプなど）");
    case Fault::UnstorableValue:
        return QStringLiteral("設定ファイルに保存できない値です（改行を含んでいます）");
    case Fault::Other:
        break;
    }
    if (systemWords.empty())
        return {};
    return QStringLiteral("システムエラー（%1）")
        .arg(QString::fromLocal8Bit(systemWords.data(), qsizetype(systemWords.size())));
}

QString withReason(const QString& what, const QString& reason) {
    return reason.isEmpty() ? what : what + QStringLiteral("\n理由：") + reason;
}

} // namespace

QString FailureText(const engine::Failure& failure) {
    using Action = engine::Failure::Action;
    QString what;
    switch (failure.action) {
    case Action::ReadSource:
        what = QStringLiteral("変換するファイル「%1」を読み込めませんでした。");
        break;
    case Action::Convert:
        what = QStringLiteral("変換するファイル「%1」を変換できませんでした。");
        break;
    case Action::WriteOutput:
    case Action::OutputExists: // the window's outputs refuse nothing the save dialog approved
        what = QStringLiteral("保存ファイル「%1」に書き込めませんでした。");
        break;
    }
    QString text = withReason(what.arg(EntryText(failure.path)), ReasonText(failure.error));
    // A placing that could not be taken back: every file not as it was, and where its earlier
    // contents are.
    for (const auto& [path, fault] : failure.leftMixed) {
        text += QStringLiteral("\n「%1」は").arg(PathFromBytes(path));
        text += fault.holdsNew ? QStringLiteral("新しいページのままです")
                               : QStringLiteral("取り除かれたままです");
        if (!fault.keptAs.empty())
            text +=
                QStringLiteral("（元の内容は「%1」にあります）").arg(PathFromBytes(fault.keptAs));
        text += QStringLiteral("。");
    }
    for (const engine::LeftBehind& left : failure.leftBehind)
        text += (left.folder ? QStringLiteral("\n一時フォルダ「%1」を削除できませんでした（%2）。")
                             : QStringLiteral("\n一時ファイル「%1」を削除できませんでした（%2）。"))
                    .arg(PathFromBytes(left.path), systemReasonText(left.code, left.reason)) +
                QStringLiteral("削除してかまいません。");
    return text;
}

QString SettingsFailureText(SettingsAccess access, const std::string& path,
                            const std::string& reason, int code) {
    const QString what = access == SettingsAccess::Read
                             ? QStringLiteral("設定ファイル「%1」を読み込めませんでした。")
                             : QStringLiteral("設定ファイル「%1」に書き込めませんでした。");
    return withReason(what.arg(PathFromBytes(path)), systemReasonText(code, reason));
}

QString ReasonText(const engine::FileError& error) {
    using Cause = engine::FileError::Cause;
    switch (error.cause) {
    case Cause::System:
        return systemReasonText(error.code, error.reason);
    case Cause::NotARegularFile:
        return QStringLiteral("通常のファイルではありません（デバイスや名前付きパイプなど）");
    case Cause::TooLarge:
        return QStringLiteral("テキストが長すぎます（扱えるのは %1 バイトまでです）")
            .arg(engine::kMaxTextBytes);
    case Cause::OutOfMemory:
        return QStringLiteral("メモリが足りません");
    case Cause::AlreadyExists: // met only where nothing is to be replaced; the window replaces
        break;
    case Cause::SourceItself:
        return QStringLiteral("変換するファイルそのものです（変換するファイルには書き込みません）");
    case Cause::Archive:
        return archiveFaultText(error.archiveFault);
    }
    return {};
}

} // namespace shell
