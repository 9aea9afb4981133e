#include "shell/failure_text.h"

#include "shell/text_codec.h"

namespace shell {

QString FailureText(const engine::Failure& failure) {
    using Action = engine::Failure::Action;
    QString what;
    switch (failure.action) {
    case Action::ReadSource:
        what = QStringLiteral("変換するファイル「%1」を読み込めませんでした。");
        break;
    case Action::WriteOutput:
        what = QStringLiteral("保存ファイル「%1」に書き込めませんでした。");
        break;
    case Action::ReplaceOutput:
        what = QStringLiteral("保存ファイル「%1」を置き換えられませんでした。");
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
    if (!failure.reason.empty())
        text += QStringLiteral("\n理由：") + QString::fromStdString(failure.reason);
    return text;
}

} // namespace shell
