#include "shell/conversion_texts.h"

#include "shell/text_codec.h"

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

QString ReplacedCharactersText(std::size_t count) {
    return QStringLiteral("（シフトJISにない文字 %1 個を〓にしました）").arg(count);
}

QString ProgressText(const QString& stageText, std::int64_t done, std::int64_t total) {
    const std::int64_t percent = total > 0 ? done * 100 / total : 100;
    return QStringLiteral("%1（%2%）").arg(stageText).arg(percent);
}

QString HeaderQuestionText(const engine::HeaderQuestion& question) {
    // A half-width space on either side of the full-width colon.
    return QStringLiteral("タイトル ： ") + FromShiftJis(question.title) +
           QStringLiteral("\n著者 ： ") + FromShiftJis(question.author) +
           QStringLiteral("\n\nと認識しました。これで正しいですか？");
}

QString HeaderQuestionCaption() {
    return QStringLiteral("ヘッダ認識結果");
}

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
        what = QStringLiteral("保存ファイル「%1」に書き込めませんでした。");
        break;
    case Action::OutputExists:
        what = QStringLiteral("保存ファイル「%1」は既にあるため、書き込みませんでした。");
        break;
    case Action::ReadSettings:
        what = QStringLiteral("設定ファイル「%1」を読み込めませんでした。");
        break;
    case Action::WriteSettings:
        what = QStringLiteral("設定ファイル「%1」に書き込めませんでした。");
        break;
    }
    QString text = what.arg(PathFromBytes(failure.path));
    const QString reason = ReasonText(failure.error);
    if (!reason.isEmpty())
        text += QStringLiteral("\n理由：") + reason;
    return text;
}

QString ReasonText(const engine::FileError& error) {
    using Cause = engine::FileError::Cause;
    switch (error.cause) {
    case Cause::System:
        // The system words its reasons in the encoding of the user's locale.
        return QString::fromLocal8Bit(error.reason.data(), qsizetype(error.reason.size()));
    case Cause::NotARegularFile:
        return QStringLiteral("通常のファイルではありません（デバイスや名前付きパイプなど）");
    case Cause::TooLarge:
        return QStringLiteral("テキストが長すぎます（扱えるのは %1 バイトまでです）")
            .arg(engine::kMaxTextBytes);
    case Cause::OutOfMemory:
        return QStringLiteral("メモリが足りません");
    case Cause::AlreadyExists:
        return QStringLiteral("書き込みの間に同じ名前のファイルができたため、そちらを残しました");
    }
    return {};
}

} // namespace shell
