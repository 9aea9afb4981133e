#include "scripted_dialogs.h"
#include "shell/file_dialog_columns.h"
#include "shell/qt_conversion_ui.h"

#include <QAbstractProxyModel>
#include <QApplication>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLocale>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>

using shell::QtConversionUi;

class ConversionUiTest final : public QObject {
    Q_OBJECT

  private:
    ScriptedDialogs m_dialogs;
    QStringList m_statuses;

    QtConversionUi makeUi() {
        return QtConversionUi(m_dialogs, nullptr, [this](const QString& text, bool revert) {
            m_statuses << text + (revert ? QStringLiteral(" (revert)") : QString());
        });
    }

  private slots:
    void init() {
        m_dialogs = ScriptedDialogs();
        m_statuses.clear();
    }

    void cleanup() { QCOMPARE(m_dialogs.unexpected, 0); }

    void headerQuestionIsAskedInWords() {
        QtConversionUi ui = makeUi();
        m_dialogs.yesNoAnswers << true << false;
        // 山の道 and 著者名 in Shift_JIS; the backslash of ソ (83 5C) stays in its character.
        QVERIFY(ui.ConfirmHeader({"\x8E\x52\x82\xCC\x93\xB9", "\x92\x98\x8E\xD2\x96\xBC"}));
        QVERIFY(!ui.ConfirmHeader({"", "\x83\x5C"}));
        QCOMPARE(m_dialogs.questions.size(), 2);
        QCOMPARE(m_dialogs.questions[0].text,
                 QStringLiteral(
                     "タイトル ： 山の道\n著者 ： 著者名\n\nと認識しました。これで正しいですか？"));
        QCOMPARE(m_dialogs.questions[0].caption, QStringLiteral("ヘッダ認識結果"));
        // An empty part leaves nothing after its colon.
        QCOMPARE(
            m_dialogs.questions[1].text,
            QStringLiteral("タイトル ： \n著者 ： ソ\n\nと認識しました。これで正しいですか？"));
    }

    void stagesInWords() {
        QtConversionUi ui = makeUi();
        using engine::Stage;
        for (Stage stage : {Stage::ConfirmingHeader, Stage::ChoosingOutput, Stage::Reading,
                            Stage::Preparing, Stage::Converting, Stage::Done, Stage::Cancelled})
            ui.ShowStage(stage);
        QCOMPARE(m_statuses,
                 (QStringList{QStringLiteral("ヘッダの認識結果を確認してください"),
                              QStringLiteral("保存ファイル名を設定してください"),
                              QStringLiteral("変換するファイルを読み込んでいます"),
                              QStringLiteral("コンバート前処理中です"),
                              QStringLiteral("コンバート処理中です"),
                              QStringLiteral("コンバートが完了しました (revert)"),
                              QStringLiteral("コンバート処理を中断しました (revert)")}));
    }

    void progressFollowsTheStageMessage() {
        QtConversionUi ui = makeUi();
        ui.ShowStage(engine::Stage::Converting);
        ui.ShowProgress(421, 1000);
        ui.ShowProgress(422, 1000); // still 42%: the line is left as it is
        ui.ShowProgress(1000, 1000);
        QCOMPARE(m_statuses, (QStringList{QStringLiteral("コンバート処理中です"),
                                          QStringLiteral("コンバート処理中です（42%）"),
                                          QStringLiteral("コンバート処理中です（100%）")}));
    }

    void outputPathQuestion() {
        QtConversionUi ui = makeUi();
        m_dialogs.saveAnswers << QStringLiteral("/tmp/出力.txt") << QString();
        const auto chosen = ui.AskOutputPath("\xE5\x9D\x8A.txt", "/home/user/本");
        QVERIFY(chosen.has_value());
        QCOMPARE(*chosen, std::string("/tmp/\xE5\x87\xBA\xE5\x8A\x9B.txt"));
        const shell::FileDialogRequest& request = m_dialogs.saveRequests.front();
        QCOMPARE(request.title, QStringLiteral("保存するときのファイル名及び保存先"));
        QCOMPARE(request.fileName, QStringLiteral("坊.txt"));
        QCOMPARE(request.folder, QStringLiteral("/home/user/本"));
        QCOMPARE(request.filters, QStringList{QStringLiteral("テキストファイル(*.txt)")});
        QCOMPARE(request.defaultSuffix, QStringLiteral("txt"));
        QVERIFY(!ui.AskOutputPath("a.txt", "").has_value());
    }

    void failuresNameFileAndReason() {
        QtConversionUi ui = makeUi();
        using Action = engine::Failure::Action;
        using engine::FileError;
        // The common errors in our words, by their numbers; any other in the system's.
        ui.ReportFailure({Action::ReadSource, "/src/\xE6\x9C\xAC.txt",
                          FileError::System("Permission denied", EACCES)});
        ui.ReportFailure({Action::WriteOutput, "/out/a.txt",
                          FileError::System("No space left on device", ENOSPC)});
        ui.ReportFailure(
            {Action::WriteOutput, "/out/b.txt", FileError::System("Read-only file system", EROFS)});
        ui.ReportFailure(
            {Action::ReadSource, "/src/c.txt", FileError::System("Input/output error", EIO)});
        // A temporary file left behind is worded the same way.
        ui.ReportFailure({Action::WriteOutput,
                          "/out/d.txt",
                          FileError::System("Input/output error", EIO),
                          {},
                          {{"/out/.d.tmp", "Read-only file system", false, EROFS}}});
        ui.ReportFailure(
            {Action::WriteOutput, "/out/p.txt", FileError::Of(FileError::Cause::NotARegularFile)});
        ui.ReportFailure(
            {Action::Convert, "/src/big.txt", FileError::Of(FileError::Cause::OutOfMemory)});
        QCOMPARE(
            m_dialogs.errors,
            (QStringList{QStringLiteral("変換するファイル「/src/本.txt」を読み込めませんでした。\n"
                                        "理由：アクセスが許可されていません"),
                         QStringLiteral("保存ファイル「/out/a.txt」に書き込めませんでした。\n"
                                        "理由：ディスクの空き容量が足りません"),
                         QStringLiteral("保存ファイル「/out/b.txt」に書き込めませんでした。\n"
                                        "理由：書き込みが禁止されています（読み取り専用です）"),
                         QStringLiteral("変換するファイル「/src/c.txt」を読み込めませんでした。\n"
                                        "理由：システムエラー（Input/output error）"),
                         QStringLiteral("保存ファイル「/out/d.txt」に書き込めませんでした。\n"
                                        "理由：システムエラー（Input/output error）\n"
                                        "一時ファイル「/out/.d.tmp」を削除できませんでした"
                                        "（書き込みが禁止されています（読み取り専用です））。"
                                        "削除してかまいません。"),
                         QStringLiteral(
                             "保存ファイル「/out/p.txt」に書き込めませんでした。\n"
                             "理由：通常のファイルではありません（デバイスや名前付きパイプなど）"),
                         QStringLiteral("変換するファイル「/src/big.txt」を変換できませんでした。\n"
                                        "理由：メモリが足りません")}));
    }

    void busyCursorIsGivenBack() {
        {
            QtConversionUi ui = makeUi();
            ui.SetBusyCursor(true);
            QVERIFY(QApplication::overrideCursor());
            QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
            ui.SetBusyCursor(true); // no second layer
            ui.SetBusyCursor(false);
            QVERIFY(!QApplication::overrideCursor());
            ui.SetBusyCursor(true);
        }
        // A run that ends busy does not leave the cursor behind.
        QVERIFY(!QApplication::overrideCursor());
    }

    // Qt's own file dialog lists a folder's type, a file's size and every date in Japanese,
    // whatever the system's locale says.
    void fileDialogColumnsAreJapanese() {
        QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
        QTemporaryDir folder;
        QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("sub")));
        QFile file(folder.filePath(QStringLiteral("a.txt")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(2048, 'x'));
        file.close();
        QFileDialog dialog(nullptr, QString(), folder.path());
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        shell::UseJapaneseFileColumns(dialog);
        QVERIFY(dialog.proxyModel());
        auto* files = qobject_cast<QFileSystemModel*>(dialog.proxyModel()->sourceModel());
        QVERIFY(files);
        QTRY_VERIFY(files->index(folder.filePath(QStringLiteral("a.txt"))).isValid() &&
                    files->index(folder.filePath(QStringLiteral("sub"))).isValid());
        const auto shown = [&](const QString& name, int column) {
            const QModelIndex source = files->index(folder.filePath(name), column);
            return dialog.proxyModel()->mapFromSource(source).data().toString();
        };
        QTRY_COMPARE(shown(QStringLiteral("sub"), 2), QStringLiteral("フォルダ"));
        QCOMPARE(shown(QStringLiteral("a.txt"), 1), QLocale().formattedDataSize(2048));
        QCOMPARE(shown(QStringLiteral("a.txt"), 3),
                 QLocale().toString(QFileInfo(file).lastModified(), QLocale::ShortFormat));
        QVERIFY(shown(QStringLiteral("a.txt"), 3).contains(QLatin1Char('/')));
    }

    void pendingEventsAreServed() {
        QtConversionUi ui = makeUi();
        bool delivered = false;
        QMetaObject::invokeMethod(
            this, [&delivered] { delivered = true; }, Qt::QueuedConnection);
        // Served at most once every 20 ms: keep asking until the queue has been served.
        QElapsedTimer guard;
        guard.start();
        while (!delivered && guard.elapsed() < 10000)
            ui.ProcessPendingEvents();
        QVERIFY(delivered);
    }
};

QTEST_MAIN(ConversionUiTest)
#include "conversion_ui_test.moc"
