#include "scripted_dialogs.h"
#include "shell/qt_conversion_ui.h"

#include <QApplication>
#include <QtTest>

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

    void questionIsDecodedFromShiftJis() {
        QtConversionUi ui = makeUi();
        m_dialogs.yesNoAnswers << true << false;
        // "タイトル ： \\" and the caption "ヘッダ認識結果".
        const std::string text = "\x83\x5E\x83\x43\x83\x67\x83\x8B \x81\x46 \\";
        const std::string caption = "\x83\x77\x83\x62\x83\x5F\x94\x46\x8E\xAF\x8C\x8B\x89\xCA";
        QVERIFY(ui.AskYesNo(text, caption));
        QVERIFY(!ui.AskYesNo(text, caption));
        QCOMPARE(m_dialogs.questions.size(), 2);
        QCOMPARE(m_dialogs.questions[0].text, QStringLiteral("タイトル ： \\"));
        QCOMPARE(m_dialogs.questions[0].caption, QStringLiteral("ヘッダ認識結果"));
    }

    void statusIsDecodedFromShiftJis() {
        QtConversionUi ui = makeUi();
        // "コンバートが完了しました"
        ui.ShowStatus("\x83\x52\x83\x93\x83\x6F\x81\x5B\x83\x67\x82\xAA\x8A\xAE\x97\xB9\x82\xB5"
                      "\x82\xDC\x82\xB5\x82\xBD",
                      true);
        ui.ShowStatus("\x83\x52\x83\x93\x83\x6F\x81\x5B\x83\x67\x8F\x88\x97\x9D\x92\x86\x82\xC5"
                      "\x82\xB7",
                      false);
        QCOMPARE(m_statuses, (QStringList{QStringLiteral("コンバートが完了しました (revert)"),
                                          QStringLiteral("コンバート処理中です")}));
    }

    void progressFollowsTheStageMessage() {
        QtConversionUi ui = makeUi();
        ui.ShowStatus("\x83\x52\x83\x93\x83\x6f\x81\x5b\x83\x67\x8f\x88\x97\x9d\x92\x86\x82\xc5\x82\xb7", false);
        ui.ShowProgress(421, 1000);
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
        ui.ReportFailure({Action::ReadSource, "/src/\xE6\x9C\xAC.txt", "Permission denied"});
        ui.ReportFailure({Action::WriteOutput, "/out/a.txt", "No space left on device"});
        ui.ReportFailure({Action::ReplaceOutput, "/out/b.txt", ""});
        QCOMPARE(m_dialogs.errors,
                 (QStringList{
                     QStringLiteral("変換するファイル「/src/本.txt」を読み込めませんでした。\n"
                                    "理由：Permission denied"),
                     QStringLiteral("保存ファイル「/out/a.txt」に書き込めませんでした。\n"
                                    "理由：No space left on device"),
                     QStringLiteral("保存ファイル「/out/b.txt」を置き換えられませんでした。")}));
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
