#include "scripted_dialogs.h"
#include "shell/config_form.h"
#include "shell/main_form.h"
#include "shell/page_preview.h"
#include "shell/status_line.h"
#include "support/zip_builder.h"

#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QSpinBox>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>
#include <QUrl>
#include <QtTest>

#include <algorithm>
#include <functional>
#include <memory>

using shell::TConfigForm;
using shell::TMainForm;

namespace {

const QString kIdle = QString::fromUtf16(shell::kIdleStatus);
const QString kMissingReadme =
    QStringLiteral("read201.txt が見つかりません。\nアーカイブが改変された可能性があります。");

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class MainFormTest final : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<QTemporaryDir> m_dir;
    ScriptedDialogs m_dialogs;
    platform::RegistryString m_home;
    std::unique_ptr<TMainForm> m_form;
    std::unique_ptr<TConfigForm> m_config;
    std::function<bool(const QUrl&)> m_openFolder; // the file manager, as the test plays it

    QString path(const QString& name) const { return m_dir->filePath(name); }
    QString readmePath() const { return path(QStringLiteral("read201.txt")); }

    void start(const QStringList& initialFiles = {}) {
        shell::MainFormSetup setup;
        setup.readmePath = readmePath();
        setup.readInfoCarryHome = [this] { return m_home; };
        setup.settingsPath = QFile::encodeName(path(QStringLiteral("pglm201.cfg"))).toStdString();
        setup.initialFiles = initialFiles;
        setup.openFolder = m_openFolder;
        m_form = std::make_unique<TMainForm>(m_dialogs, setup);
        m_config = std::make_unique<TConfigForm>(
            m_dialogs, QFile::encodeName(path(QStringLiteral("pglm201.cfg"))).toStdString(),
            m_form.get());
        m_form->setConfigForm(m_config.get());
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    }

    template <typename T> T* child(const char* name) const {
        T* object = m_form->findChild<T*>(QString::fromLatin1(name));
        if (!object)
            qFatal("no child %s", name);
        return object;
    }
    QListWidget* list() const { return child<QListWidget>("lstFilename"); }
    QString memo() const { return child<QPlainTextEdit>("memoContents")->toPlainText(); }
    QString status() const { return m_form->statusLine()->text(); }
    QString summary() const { return child<QLabel>("lblRunSummary")->text(); }
    QString result(int row) const {
        return list()->item(row)->data(TMainForm::kResultRole).toString();
    }
    // The tooltip shown over a point of an entry's row (x from the row's right end).
    QString toolTipAt(int row, int fromRight) {
        const QRect rect = list()->visualItemRect(list()->item(row));
        const QPoint at(rect.right() - fromRight, rect.center().y());
        QHelpEvent event(QEvent::ToolTip, at, list()->viewport()->mapToGlobal(at));
        QApplication::sendEvent(list()->viewport(), &event);
        const QString text = QToolTip::isVisible() ? QToolTip::text() : QString();
        QToolTip::hideText();
        return text;
    }
    bool reverting() { return m_form->statusLine()->STextTimer().isActive(); }
    bool convertEnabled() const { return child<QToolButton>("tbtnReset")->isEnabled(); }
    bool entryInSight(int row) const {
        return list()->viewport()->rect().contains(list()->visualItemRect(list()->item(row)));
    }
    void drop(const QStringList& files) {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString& file : files)
            urls << QUrl::fromLocalFile(file);
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(m_form.get(), &enter);
        QDropEvent event(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_form.get(), &event);
    }

    void addFiles(const QStringList& files) {
        m_dialogs.openAnswers << files;
        child<QAction>("mnuFileOpen")->trigger();
    }
    void clickEntry(int row, Qt::KeyboardModifiers modifiers = {}) {
        const QRect rect = list()->visualItemRect(list()->item(row));
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, modifiers, rect.center());
    }
    QString makeFile(const QString& name, const QByteArray& bytes) {
        const QString file = path(name);
        writeAll(file, bytes);
        return file;
    }

  private slots:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_dialogs = ScriptedDialogs();
        m_home = {};
        m_openFolder = [](const QUrl&) {
            qFatal("the file manager was not expected");
            return false;
        };
        // "あいう" CR LF "line 2" CR LF in Shift_JIS.
        writeAll(readmePath(), "\x82\xA0\x82\xA2\x82\xA4\r\nline 2\r\n");
    }

    void cleanup() {
        QCOMPARE(m_dialogs.unexpected, 0);
        m_config.reset();
        m_form.reset();
    }

    void startsWithReadmeAndDisabledConvert() {
        start();
        QCOMPARE(m_form->windowTitle(), QStringLiteral("Pagelume for infoCarry  Version 2.0.1"));
        QCOMPARE(memo(), QStringLiteral("あいう\nline 2\n"));
        QCOMPARE(status(), kIdle);
        QVERIFY(!reverting());
        QVERIFY(!convertEnabled());
        QVERIFY(!child<QToolBar>("CoolBar")->isMovable());
        QCOMPARE(child<QToolButton>("tbtnFileOpen")->text(), QStringLiteral("ファイル選択"));
        QCOMPARE(child<QToolButton>("tbtnFileOpen")->toolTip(),
                 QStringLiteral("整形するファイルを選択します"));
        QCOMPARE(child<QToolButton>("tbtnReset")->toolTip(),
                 QStringLiteral("選択したファイルを縦書きに整形します"));
        QCOMPARE(child<QToolButton>("tbtnExit")->toolTip(),
                 QStringLiteral("このコンバータを終了します"));
        QCOMPARE(child<QAction>("mnuFileOpen")->text(), QStringLiteral("ファイル選択(O)..."));
        QCOMPARE(child<QAction>("mnuConfigConfig")->text(), QStringLiteral("設定...(&C)"));
        QCOMPARE(list()->selectionMode(), QAbstractItemView::ExtendedSelection);
        QVERIFY(child<QPlainTextEdit>("memoContents")->isReadOnly());
        QVERIFY(m_dialogs.messages.isEmpty() && m_dialogs.errors.isEmpty());
        QCOMPARE(m_form->infoCarryHome(), std::string());
    }

    void missingReadme() {
        QFile::remove(readmePath());
        start();
        QCOMPARE(m_dialogs.messages, QStringList{kMissingReadme});
        QCOMPARE(memo(), QString());

        // Asked for again, the pane keeps what it showed.
        addFiles({makeFile(QStringLiteral("a.txt"), "abc")});
        clickEntry(0);
        child<QAction>("ShowReadme")->trigger();
        QCOMPARE(m_dialogs.messages, (QStringList{kMissingReadme, kMissingReadme}));
        QCOMPARE(memo(), QStringLiteral("abc"));
    }

    void showReadmeRestoresIt() {
        start();
        addFiles({makeFile(QStringLiteral("a.txt"), "abc")});
        clickEntry(0);
        QCOMPARE(memo(), QStringLiteral("abc"));
        const QString before = status();
        child<QAction>("ShowReadme")->trigger();
        QCOMPARE(memo(), QStringLiteral("あいう\nline 2\n"));
        QCOMPARE(status(), before);
        QVERIFY(convertEnabled());
    }

    void infoCarryHome() {
        m_home = {platform::RegistryStringStatus::Found, "/home/user/infoCarry"};
        start();
        QCOMPARE(m_form->infoCarryHome(), std::string("/home/user/infoCarry"));
    }

    void homePathOfAnotherTypeIsReportedAndIgnored() {
        m_home = {platform::RegistryStringStatus::NotAString, {}};
        start();
        QCOMPARE(m_dialogs.errors, QStringList{QStringLiteral("'HomePath' のデータ型が不正です")});
        QCOMPARE(m_form->infoCarryHome(), std::string());
        QVERIFY(m_form->isVisible());
    }

    void addingTheSameFileTwice() {
        start();
        const QString file = makeFile(QStringLiteral("a.txt"), "abc");
        addFiles({file});
        QCOMPARE(status(), QStringLiteral("変換するファイルの選択を完了しました"));
        QVERIFY(reverting());
        addFiles({file});
        QCOMPARE(list()->count(), 2);
        QCOMPARE(list()->item(0)->text(), file);
        QCOMPARE(list()->item(1)->text(), file);
        QVERIFY(!convertEnabled());
        QCOMPARE(memo(), QStringLiteral("あいう\nline 2\n"));
        const shell::FileDialogRequest& request = m_dialogs.openRequests.front();
        QCOMPARE(request.filters.front(), QStringLiteral("テキストファイル(*.txt *.zip)"));
        QCOMPARE(request.defaultSuffix, QStringLiteral("txt"));
    }

    void addingSeveralKeepsDialogOrder() {
        start();
        const QString b = makeFile(QStringLiteral("b.txt"), "b");
        const QString a = makeFile(QStringLiteral("a.txt"), "a");
        addFiles({b, a});
        QCOMPARE(list()->count(), 2);
        QCOMPARE(list()->item(0)->text(), b);
        QCOMPARE(list()->item(1)->text(), a);
    }

    void cancelledOpen() {
        start();
        m_dialogs.openAnswers << QStringList();
        child<QToolButton>("tbtnFileOpen")->click();
        QCOMPARE(status(), QStringLiteral("ファイルのオープンを中止しました"));
        QVERIFY(reverting());
        QCOMPARE(list()->count(), 0);
        m_form->STextTimerTimer();
        QCOMPARE(status(), kIdle);
    }

    void preview_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("shown");
        QTest::newRow("ten characters") << QByteArray("0123456789") << QStringLiteral("0123456789");
        QTest::newRow("empty") << QByteArray() << QString();
        QTest::newRow("twelve thousand")
            << QByteArray(12000, 'x') << QString(10000, QLatin1Char('x'));
        // あ (82 A0) starts at byte 10000: only its lead byte is read, and half a character
        // shows nothing.
        QTest::newRow("straddling double-byte character")
            << QByteArray(9999, 'y') + QByteArray("\x82\xA0zz") << QString(9999, QLatin1Char('y'));
        QTest::newRow("double-byte characters count two")
            << QByteArray(9998, 'y') + QByteArray("\x82\xA0zz")
            << QString(9998, QLatin1Char('y')) + QStringLiteral("あ");
        QTest::newRow("CR dropped, lines kept")
            << QByteArray("one\r\ntwo\rthree\n") << QStringLiteral("one\ntwothree\n");
        QTest::newRow("0x1A ends the file") << QByteArray("before\x1A"
                                                          "after")
                                            << QStringLiteral("before");
        QTest::newRow("CRs do not count")
            << QByteArray("a\n") + QByteArray(5000, '\r') + QByteArray(10001, 'c')
            << QStringLiteral("a\n") + QString(9998, QLatin1Char('c'));
        QTest::newRow("CR alone ends the lines of a text without LF")
            << QByteArray("a\rb\r") << QStringLiteral("a\nb\n");
        QTest::newRow("backslash byte of a double-byte character")
            << QByteArray("\x83\x5C\\") << QStringLiteral("ソ\\");
    }

    void preview() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, shown);
        start();
        addFiles({makeFile(QStringLiteral("source.txt"), bytes)});
        QVERIFY(!convertEnabled());
        clickEntry(0);
        QCOMPARE(memo(), shown);
        QVERIFY(convertEnabled());
        QCOMPARE(status(), QStringLiteral("選択したファイルの読み込みを完了しました"));
        QVERIFY(reverting());
        m_form->STextTimerTimer();
        QCOMPARE(status(), kIdle);
    }

    void previewOfTheFocusedEntry() {
        start();
        addFiles({makeFile(QStringLiteral("1.txt"), "first"),
                  makeFile(QStringLiteral("2.txt"), "second"),
                  makeFile(QStringLiteral("3.txt"), "third")});
        clickEntry(0);
        clickEntry(1, Qt::ControlModifier);
        clickEntry(2, Qt::ControlModifier);
        QCOMPARE(list()->selectedItems().size(), 3);
        QCOMPARE(memo(), QStringLiteral("third"));

        clickEntry(0);
        clickEntry(2, Qt::ShiftModifier);
        QCOMPARE(list()->selectedItems().size(), 3);
        QCOMPARE(memo(), QStringLiteral("third"));
    }

    void keyboardSelectionPreviews() {
        start();
        addFiles({makeFile(QStringLiteral("1.txt"), "first"),
                  makeFile(QStringLiteral("2.txt"), "second")});
        clickEntry(0);
        QTest::keyClick(list(), Qt::Key_Down);
        QCOMPARE(memo(), QStringLiteral("second"));
    }

    void entryThatCannotBeOpened() {
        start();
        const QString gone = makeFile(QStringLiteral("gone.txt"), "text");
        addFiles({makeFile(QStringLiteral("kept.txt"), "kept"), gone});
        clickEntry(0);
        QFile::remove(gone);
        clickEntry(1);
        QCOMPARE(memo(), QString());
        QCOMPARE(m_dialogs.errors.size(), 1);
        // The reason in the window's words, not the system's English.
        QCOMPARE(m_dialogs.errors[0],
                 QStringLiteral("変換するファイル「%1」を読み込めませんでした。\n"
                                "理由：ファイルまたはフォルダが見つかりません")
                     .arg(gone));
        QCOMPARE(status(), kIdle);
        // The program goes on.
        clickEntry(0);
        QCOMPARE(memo(), QStringLiteral("kept"));
        // A folder where the file was.
        QVERIFY(QDir().mkdir(gone));
        clickEntry(1);
        QCOMPARE(m_dialogs.errors.size(), 2);
        QCOMPARE(m_dialogs.errors[1],
                 QStringLiteral("変換するファイル「%1」を読み込めませんでした。\n"
                                "理由：フォルダです（ファイルではありません）")
                     .arg(gone));
    }

    void removeDisablesConvertEvenWithEntriesLeft() {
        start();
        addFiles({makeFile(QStringLiteral("1.txt"), "first"),
                  makeFile(QStringLiteral("2.txt"), "second"),
                  makeFile(QStringLiteral("3.txt"), "third")});
        clickEntry(0);
        clickEntry(2, Qt::ControlModifier);
        QVERIFY(convertEnabled());
        child<QAction>("pmnuErase")->trigger();
        QCOMPARE(list()->count(), 1);
        QCOMPARE(list()->item(0)->text(), path(QStringLiteral("2.txt")));
        QCOMPARE(memo(), QString());
        QVERIFY(!convertEnabled());
        clickEntry(0);
        QVERIFY(convertEnabled());
        QCOMPARE(memo(), QStringLiteral("second"));
    }

    void rightClickKeepsTheSelection() {
        start();
        addFiles({makeFile(QStringLiteral("1.txt"), "first"),
                  makeFile(QStringLiteral("2.txt"), "second"),
                  makeFile(QStringLiteral("3.txt"), "third")});
        clickEntry(0);
        clickEntry(1, Qt::ControlModifier);
        const QString statusBefore = status();
        const QRect third = list()->visualItemRect(list()->item(2));
        QTest::mouseClick(list()->viewport(), Qt::RightButton, {}, third.center());
        // The request for the menu that the window system sends with a right click.
        QContextMenuEvent request(QContextMenuEvent::Mouse, third.center(),
                                  list()->viewport()->mapToGlobal(third.center()));
        QApplication::sendEvent(list()->viewport(), &request);
        // The pop-up menu opens over the selection as it was; nothing is previewed.
        auto* popup = child<QMenu>("pmnuListBox");
        QVERIFY(popup->isVisible());
        popup->hide();
        QCOMPARE(list()->selectedItems().size(), 2);
        QVERIFY(list()->item(0)->isSelected() && list()->item(1)->isSelected());
        QCOMPARE(list()->currentRow(), 1);
        QCOMPARE(memo(), QStringLiteral("second"));
        QCOMPARE(status(), statusBefore);

        child<QAction>("pmnuErase")->trigger();
        QCOMPARE(list()->count(), 1);
        QCOMPARE(list()->item(0)->text(), path(QStringLiteral("3.txt")));
    }

    void selectAll() {
        start();
        child<QAction>("pmnuSelectAll")->trigger();
        QVERIFY(!convertEnabled());

        addFiles({makeFile(QStringLiteral("1.txt"), "first"),
                  makeFile(QStringLiteral("2.txt"), "second")});
        child<QAction>("pmnuSelectAll")->trigger();
        QVERIFY(convertEnabled());
        QCOMPARE(list()->selectedItems().size(), 2);
        // The preview is left alone.
        QCOMPARE(memo(), QStringLiteral("あいう\nline 2\n"));
        QCOMPARE(status(), QStringLiteral("変換するファイルの選択を完了しました"));
    }

    void settingsClosedByCloseBoxStillReportsChange() {
        start();
        QString statusWhileOpen;
        m_dialogs.onDialog = [this, &statusWhileOpen](QDialog& dialog) {
            statusWhileOpen = status();
            QCOMPARE(&dialog, static_cast<QDialog*>(m_config.get()));
            QVERIFY(m_config->isVisible());
            m_config->findChild<QCheckBox*>(QStringLiteral("chkUseHeader"))->click();
            m_config->close();
        };
        child<QAction>("mnuConfigConfig")->trigger();
        QCOMPARE(m_dialogs.dialogsShown, 1);
        QCOMPARE(statusWhileOpen, QStringLiteral("整形する際に使用する設定値を決めてください"));
        QCOMPARE(status(), QStringLiteral("設定を変更しました"));
        QVERIFY(reverting());
        QVERIFY(m_config->liveSettings().useheader);
        QVERIFY(!QFile::exists(path(QStringLiteral("pglm201.cfg"))));
    }

    void about() {
        start();
        child<QAction>("mnuAbout")->trigger();
        QCOMPARE(m_dialogs.messages.size(), 1);
        const QStringList lines = m_dialogs.messages[0].split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 7);
        QCOMPARE(lines[0], QString(4, QChar(0x3000)) + QStringLiteral("Pagelume for infoCarry"));
        QCOMPARE(lines[1], QString(9, QChar(0x3000)) + QStringLiteral("Version " PAGELUME_VERSION));
        QCOMPARE(lines[2], QString());
        QVERIFY(lines[3].startsWith(QString(5, QChar(0x3000))));
        QCOMPARE(lines[4], QString());
        QCOMPARE(lines[5], QStringLiteral("Web Site:"));
        QVERIFY(lines[6].startsWith(QString(2, QChar(0x3000))));
    }

    void exitClosesTheWindow() {
        start();
        child<QToolButton>("tbtnExit")->click();
        QVERIFY(!m_form->isVisible());
    }

    void convertEndToEnd() {
        start();
        // "あいう" and a line break, in Shift_JIS.
        const QString source = makeFile(QStringLiteral("tale.txt"), "\x82\xA0\x82\xA2\x82\xA4\r\n");
        const QString other = makeFile(QStringLiteral("other.txt"), "abc");
        const QString output = path(QStringLiteral("out/tale.txt"));
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("out")));
        addFiles({source, other});
        clickEntry(0);
        m_dialogs.saveAnswers << output;
        bool convertOffDuringRun = false;
        m_dialogs.onSave = [&] {
            convertOffDuringRun = !convertEnabled();
            // Neither a click on the button nor a list click starts or re-enables anything.
            m_form->tbtnResetClick();
            clickEntry(0);
            convertOffDuringRun = convertOffDuringRun && !convertEnabled();
        };
        child<QToolButton>("tbtnReset")->click();

        QVERIFY(convertOffDuringRun);
        QCOMPARE(m_dialogs.saveRequests.size(), 1);
        const shell::FileDialogRequest& request = m_dialogs.saveRequests.front();
        QCOMPARE(request.title, QStringLiteral("保存するときのファイル名及び保存先"));
        QCOMPARE(request.fileName, QStringLiteral("tale.txt"));
        QCOMPARE(request.filters, QStringList{QStringLiteral("テキストファイル(*.txt)")});
        QCOMPARE(request.defaultSuffix, QStringLiteral("txt"));
        QCOMPARE(status(), QStringLiteral("コンバートが完了しました"));
        QVERIFY(reverting());
        QVERIFY(convertEnabled());
        QVERIFY(m_dialogs.errors.isEmpty());

        // One page of 23 rows (line spacing none, normal size): a CR LF, 23 rows of 40 bytes
        // each ended by CR LF, then the CR LF after the last page.
        const QByteArray bytes = readAll(output);
        QCOMPARE(bytes.size(), 2 + 23 * 42 + 2);
        QVERIFY(bytes.startsWith("\r\n"));
        QVERIFY(bytes.endsWith("\r\n\r\n"));
        const QList<QByteArray> rows = bytes.mid(2, 23 * 42).split('\n');
        QCOMPARE(rows.size(), 24);
        // The first column stands at the right end of the rows, read downwards, after the
        // one-byte blank column.
        const QByteArray blank(37, ' ');
        QCOMPARE(rows[0], blank + "\x82\xA0 \r");
        QCOMPARE(rows[1], blank + "\x82\xA2 \r");
        QCOMPARE(rows[2], blank + "\x82\xA4 \r");
        for (int i = 3; i < 23; ++i)
            QCOMPARE(rows[i], QByteArray(40, ' ') + '\r');
        QVERIFY(!QFile::exists(path(QStringLiteral("out/other.txt"))));
    }

    void convertUsesLiveSettings() {
        start();
        const QString source = makeFile(QStringLiteral("poem.txt"),
                                        "\x83\x5E\x83\x43\x83\x67\x83\x8B\r\n\x92\x98\x8E\xD2\r\n"
                                        "\x96\x7B\x95\xB6\r\n");
        addFiles({source});
        clickEntry(0);
        // Settings edited and left through the close box still apply: the header question is
        // asked, and the save dialog opens in the chosen folder.
        m_config->findChild<QCheckBox*>(QStringLiteral("chkUseHeader"))->click();
        m_config->findChild<QLineEdit*>(QStringLiteral("editSavePath"))->setText(m_dir->path());
        m_dialogs.yesNoAnswers << false;
        m_dialogs.saveAnswers << path(QStringLiteral("poem-out.txt"));
        child<QToolButton>("tbtnReset")->click();
        QCOMPARE(m_dialogs.questions.size(), 1);
        QCOMPARE(m_dialogs.questions[0].caption, QStringLiteral("ヘッダ認識結果"));
        QCOMPARE(m_dialogs.questions[0].text,
                 QStringLiteral(
                     "タイトル ： タイトル\n著者 ： 著者\n\nと認識しました。これで正しいですか？"));
        QCOMPARE(m_dialogs.saveRequests.front().folder, m_dir->path());
        // The source's own name in its own folder would be the book itself: another is proposed.
        QCOMPARE(m_dialogs.saveRequests.front().fileName, QStringLiteral("poem_縦書き.txt"));
        QCOMPARE(readAll(path(QStringLiteral("poem-out.txt"))).size(), 2 + 23 * 42 + 2);
    }

    // The book itself chosen as the output is refused, and the question asked again.
    void theSourceItselfIsNeverTheOutput() {
        start();
        const QByteArray book = "\x82\xa0\r\n";
        const QString source = makeFile(QStringLiteral("book.txt"), book);
        addFiles({source});
        clickEntry(0);
        m_dialogs.saveAnswers << source << path(QStringLiteral("book-out.txt"));
        child<QToolButton>("tbtnReset")->click();
        QCOMPARE(m_dialogs.saveRequests.size(), 2);
        QCOMPARE(m_dialogs.errors.size(), 1);
        QVERIFY(m_dialogs.errors[0].contains(source));
        QCOMPARE(readAll(source), book);
        QCOMPARE(readAll(path(QStringLiteral("book-out.txt"))).size(), 2 + 23 * 42 + 2);
    }

    // Closing the window during a run stops it as the stop button does: the entry in hand leaves
    // nothing behind, what it would replace stays, and no further entry starts.
    void closingDuringRunStopsTheEntryInHand() {
        start();
        addFiles({makeFile(QStringLiteral("1.txt"), "first"),
                  makeFile(QStringLiteral("2.txt"), "second")});
        child<QAction>("pmnuSelectAll")->trigger();
        writeAll(path(QStringLiteral("1-out.txt")), "earlier");
        m_dialogs.saveAnswers << path(QStringLiteral("1-out.txt"));
        m_dialogs.onSave = [this] { m_form->close(); };
        child<QToolButton>("tbtnReset")->click();
        QCOMPARE(m_dialogs.saveRequests.size(), 1);
        QCOMPARE(readAll(path(QStringLiteral("1-out.txt"))), QByteArray("earlier"));
        QCOMPARE(
            QDir(m_dir->path()).entryList({QStringLiteral("*.tmp")}, QDir::Files | QDir::Hidden),
            QStringList());
    }

    void convertCancelledInSaveDialog() {
        m_home = {platform::RegistryStringStatus::Found, "/nowhere/infoCarry"};
        start();
        addFiles({makeFile(QStringLiteral("a.txt"), "abc")});
        clickEntry(0);
        m_dialogs.saveAnswers << QString();
        child<QToolButton>("tbtnReset")->click();
        QCOMPARE(status(), QStringLiteral("コンバート処理を中断しました"));
        QVERIFY(reverting());
        QCOMPARE(result(0), QStringLiteral("飛ばした"));
        QCOMPARE(summary(), QStringLiteral("完了 0 ／ 〓あり 0 ／ 飛ばした 1 ／ 失敗 0 ／ 中止 0"));
        // No save folder set: the infoCarry home is where the dialog opens.
        QCOMPARE(m_dialogs.saveRequests.front().folder, QStringLiteral("/nowhere/infoCarry"));
        QVERIFY(convertEnabled());
    }

    // Each entry shows how it ended, the foot of the window the tally, which outlasts the status
    // line's message; a new run clears the results of the entries it converts, and no other.
    void sourceRemovedAfterItWasAdded() {
        start();
        // UTF-8 with a BOM: "𠮷", which Shift_JIS lacks, and "first".
        const QString first = makeFile(QStringLiteral("1.txt"), "\xEF\xBB\xBF\xF0\xA0\xAE\xB7"
                                                                "first");
        const QString second = makeFile(QStringLiteral("2.txt"), "second");
        const QString third = makeFile(QStringLiteral("3.txt"), "third");
        addFiles({first, second, third});
        QVERIFY(QFile::remove(second));
        child<QAction>("pmnuSelectAll")->trigger();
        m_dialogs.saveAnswers << path(QStringLiteral("1-out.txt"))
                              << path(QStringLiteral("2-out.txt"))
                              << path(QStringLiteral("3-out.txt"));
        child<QToolButton>("tbtnReset")->click();
        QCOMPARE(readAll(path(QStringLiteral("1-out.txt"))).size(), 2 + 23 * 42 + 2);
        QCOMPARE(readAll(path(QStringLiteral("3-out.txt"))).size(), 2 + 23 * 42 + 2);
        QVERIFY(!QFile::exists(path(QStringLiteral("2-out.txt"))));
        QCOMPARE(m_dialogs.errors.size(), 1);
        QVERIFY2(m_dialogs.errors[0].contains(QStringLiteral("「%1」").arg(second)) &&
                     m_dialogs.errors[0].contains(
                         QStringLiteral("理由：ファイルまたはフォルダが見つかりません")),
                 qPrintable(m_dialogs.errors[0]));
        QCOMPARE(status(), QStringLiteral("コンバートが完了しました"));
        QVERIFY(convertEnabled());

        QCOMPARE(result(0), QStringLiteral("〓 1 個"));
        QCOMPARE(result(1), QStringLiteral("失敗"));
        QCOMPARE(result(2), QStringLiteral("完了"));
        // The entry's text is its path alone; over the result the reason, over the path the path.
        QCOMPARE(list()->item(1)->text(), second);
        QCOMPARE(toolTipAt(1, 4), m_dialogs.errors[0]);
        QCOMPARE(toolTipAt(1, list()->viewport()->width() - 8), second);
        const QString tally = QStringLiteral("完了 1 ／ 〓あり 1 ／ 飛ばした 0 ／ 失敗 1 ／ 中止 0"
                                             "　2 個のファイルを書き込みました（保存先：%1）")
                                  .arg(m_dir->path());
        QCOMPARE(summary(), tally);
        m_form->STextTimerTimer();
        QCOMPARE(status(), kIdle);
        QCOMPARE(summary(), tally);

        clickEntry(0);
        m_dialogs.saveAnswers << QString();
        QStringList during;
        m_dialogs.onSave = [&] { during << result(0) << result(1) << summary(); };
        child<QToolButton>("tbtnReset")->click();
        QCOMPARE(during, (QStringList{QString(), QStringLiteral("失敗"), QString()}));
        QCOMPARE(result(0), QStringLiteral("飛ばした"));
    }

    // A message longer than its room at the default size is drawn cut, and its whole text is the
    // tooltip; a short one has none.
    void longMessagesAreReachableWhole() {
        start();
        const QString longText = QStringLiteral("長い").repeated(200);
        m_form->ShowStatus(longText, false);
        QCOMPARE(status(), longText);
        QCOMPARE(m_form->statusLine()->toolTip(), longText);
        m_form->ShowStatus(QStringLiteral("短い"), false);
        QCOMPARE(m_form->statusLine()->toolTip(), QString());

        const QString folder = QStringLiteral("保存先のとても長い名前のフォルダ").repeated(4);
        QVERIFY(QDir(m_dir->path()).mkdir(folder));
        addFiles({makeFile(QStringLiteral("a.txt"), "a")});
        clickEntry(0);
        m_dialogs.saveAnswers << path(folder + QStringLiteral("/a.txt"));
        child<QToolButton>("tbtnReset")->click();
        QVERIFY(summary().endsWith(QStringLiteral("（保存先：%1）").arg(path(folder))));
        QCOMPARE(child<QLabel>("lblRunSummary")->toolTip(), summary());
    }

    void convertFailureIsReported() {
        start();
        addFiles({makeFile(QStringLiteral("a.txt"), "abc")});
        clickEntry(0);
        const QString output = path(QStringLiteral("missing-folder/a.txt"));
        m_dialogs.saveAnswers << output;
        child<QToolButton>("tbtnReset")->click();
        QCOMPARE(m_dialogs.errors.size(), 1);
        QCOMPARE(m_dialogs.errors[0], QStringLiteral("保存ファイル「%1」に書き込めませんでした。\n"
                                                     "理由：ファイルまたはフォルダが見つかりません")
                                          .arg(output));
        QVERIFY(convertEnabled());
    }

    // --- What a reader expects of the window ------------------------------------------------

    void filesGivenOnTheCommandLineStartTheList() {
        const QString a = makeFile(QStringLiteral("a.txt"), "a");
        const QString b = makeFile(QStringLiteral("b.txt"), "b");
        start({a, b});
        QCOMPARE(list()->count(), 2);
        QCOMPARE(list()->item(0)->text(), a);
        QCOMPARE(list()->item(1)->toolTip(), b); // the full path, whatever the list shows
        QVERIFY(!convertEnabled());
    }

    void droppedFilesAndFoldersJoinTheList() {
        start();
        const QString single = makeFile(QStringLiteral("single.txt"), "s");
        QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("books/sub")));
        makeFile(QStringLiteral("books/b.txt"), "b");
        makeFile(QStringLiteral("books/a.txt"), "a");
        makeFile(QStringLiteral("books/notes.md"), "n");
        makeFile(QStringLiteral("books/sub/c.txt"), "c");
        QMimeData data;
        data.setUrls(
            {QUrl::fromLocalFile(single), QUrl::fromLocalFile(path(QStringLiteral("books")))});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(m_form.get(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_form.get(), &drop);
        // A folder gives its ".txt" files in name order, not those of its subfolders.
        QStringList entries;
        for (int i = 0; i < list()->count(); ++i)
            entries << list()->item(i)->text();
        QCOMPARE(entries, (QStringList{single, path(QStringLiteral("books/a.txt")),
                                       path(QStringLiteral("books/b.txt"))}));
    }

    // A dropped zip gives one entry per text in it, previewed and converted as a file would be,
    // under the member's name; the zip is never the output. A zip without a text says so.
    void droppedZipListsItsTexts() {
        start();
        // 本文.txt in code page 932 holding "あいう" CR LF, an image beside it, a text in a folder.
        const QString zip = makeFile(QStringLiteral("book.zip"),
                                     QByteArray::fromStdString(testing_support::MakeZip(
                                         {{"\x96\x7B\x95\xB6.txt", "\x82\xA0\x82\xA2\x82\xA4\r\n"},
                                          {"fig01.png", "PNG"},
                                          {"sub/b.txt", "b"}})));
        const QString images =
            makeFile(QStringLiteral("images.zip"),
                     QByteArray::fromStdString(testing_support::MakeZip({{"fig01.png", "PNG"}})));
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(zip), QUrl::fromLocalFile(images)});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(m_form.get(), &enter);
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_form.get(), &drop);
        QCOMPARE(list()->count(), 2);
        QCOMPARE(list()->item(0)->text(), zip + QStringLiteral(" › 本文.txt"));
        QCOMPARE(list()->item(1)->text(), zip + QStringLiteral(" › sub/b.txt"));
        QCOMPARE(list()->item(1)->toolTip(), zip + QStringLiteral(" › sub/b.txt"));
        QCOMPARE(m_dialogs.errors,
                 QStringList{QStringLiteral("変換するファイル「%1」を読み込めませんでした。\n理由："
                                            "zip ファイルにテキストファイル（.txt）がありません")
                                 .arg(images)});
        m_dialogs.errors.clear();

        clickEntry(0);
        QCOMPARE(memo(), QStringLiteral("あいう\n"));
        auto* pages = child<shell::PagePreview>("PagePreview");
        child<QTabWidget>("PreviewTabs")->setCurrentWidget(pages);
        pages->waitForLayout();
        QCOMPARE(pages->pageCount(), 1);

        const QString output = path(QStringLiteral("out.txt"));
        m_dialogs.saveAnswers << zip << output;
        child<QToolButton>("tbtnReset")->click();
        QCOMPARE(m_dialogs.saveRequests.size(), 2);
        QCOMPARE(m_dialogs.saveRequests.front().fileName, QStringLiteral("本文.txt"));
        QCOMPARE(m_dialogs.errors.size(), 1);
        QVERIFY(m_dialogs.errors[0].contains(zip));
        const QByteArray bytes = readAll(output);
        QCOMPARE(bytes.size(), 2 + 23 * 42 + 2);
        QCOMPARE(bytes.mid(2, 42), QByteArray(37, ' ') + "\x82\xA0 \r\n");
    }

    void convertButtonAndPreviewFollowTheSelection() {
        start();
        addFiles({makeFile(QStringLiteral("1.txt"), "first"),
                  makeFile(QStringLiteral("2.txt"), "second")});
        clickEntry(0);
        QVERIFY(convertEnabled());
        QCOMPARE(memo(), QStringLiteral("first"));
        // A click on the empty space below the entries clears the selection.
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {},
                          QPoint(10, list()->viewport()->height() - 5));
        QVERIFY(list()->selectedItems().isEmpty());
        QVERIFY(!convertEnabled());
        QCOMPARE(memo(), QString());
    }

    void deleteKeyRemovesTheSelectedEntries() {
        start();
        addFiles({makeFile(QStringLiteral("1.txt"), "1"), makeFile(QStringLiteral("2.txt"), "2"),
                  makeFile(QStringLiteral("3.txt"), "3")});
        clickEntry(0);
        clickEntry(2, Qt::ControlModifier);
        list()->setFocus();
        QTest::keyClick(list(), Qt::Key_Delete);
        QCOMPARE(list()->count(), 1);
        QCOMPARE(list()->item(0)->text(), path(QStringLiteral("2.txt")));
        QVERIFY(!convertEnabled());
    }

    void cutPreviewIsMarked() {
        start();
        addFiles({makeFile(QStringLiteral("long.txt"), QByteArray(12000, 'a')),
                  makeFile(QStringLiteral("short.txt"), "abc")});
        const QLabel* mark = child<QLabel>("lblPreviewCut");
        clickEntry(0);
        QVERIFY(mark->isVisibleTo(m_form.get()));
        clickEntry(1);
        QVERIFY(!mark->isVisibleTo(m_form.get()));
    }

    void utfEightSourceIsPreviewedInItsOwnEncoding() {
        start();
        addFiles(
            {makeFile(QStringLiteral("utf8.txt"), "\xE6\x9C\xAC\xE6\x96\x87\r\n\xE3\x81\x82")});
        clickEntry(0);
        QCOMPARE(memo(), QStringLiteral("本文\nあ"));
    }

    void pagePreviewShowsThePagesAndFollowsTheSettings() {
        start();
        // 700 hiragana: three pages of 23 rows by 13 columns with the default settings.
        QByteArray text;
        for (int i = 0; i < 700; ++i)
            text += "\x82\xA0";
        addFiles({makeFile(QStringLiteral("long.txt"), text)});
        clickEntry(0);
        auto* tabs = child<QTabWidget>("PreviewTabs");
        auto* pages = child<shell::PagePreview>("PagePreview");
        tabs->setCurrentWidget(pages);
        pages->waitForLayout();
        QCOMPARE(pages->pageCount(), 3);
        const auto pageText = [&] { return child<QPlainTextEdit>("memoPage")->toPlainText(); };
        QStringList rows = pageText().split(QLatin1Char('\n'));
        QCOMPARE(rows.size(), 23);
        // Row 0 as the viewer shows it: one-byte blank columns between 13 text columns.
        QCOMPARE(rows[0], QStringLiteral(" ") + QStringLiteral("あ ").repeated(13));
        QCOMPARE(child<QLabel>("lblPage")->text(), QStringLiteral("/ 3 ページ"));
        QCOMPARE(child<QSpinBox>("spinPage")->value(), 1);
        child<QToolButton>("btnLastPage")->click();
        QCOMPARE(child<QSpinBox>("spinPage")->value(), 3);
        QVERIFY(!child<QToolButton>("btnNextPage")->isEnabled());
        child<QToolButton>("btnPreviousPage")->click();
        QCOMPARE(pages->currentPage(), 1);
        // No blank columns: 20 columns a page, two pages.
        m_config->findChild<QRadioButton*>(QStringLiteral("rgSpaceLine2"))->click();
        pages->waitForLayout();
        QCOMPARE(pages->pageCount(), 2);
        QCOMPARE(pageText().split(QLatin1Char('\n'))[0], QStringLiteral("あ").repeated(20));
    }

    // With title and author recognised, the preview shows the title page the conversion writes
    // (as if the question were answered Yes), and counts the pages the written file has.
    void pagePreviewCountsTheTitlePage() {
        start();
        QByteArray text = "\x8E\x52\r\n\x90\x6C\r\n"; // 山, 人
        for (int i = 0; i < 590; ++i)
            text += "\x82\xA0";
        addFiles({makeFile(QStringLiteral("titled.txt"), text)});
        m_config->findChild<QCheckBox*>(QStringLiteral("chkUseHeader"))->click();
        clickEntry(0);
        auto* pages = child<shell::PagePreview>("PagePreview");
        child<QTabWidget>("PreviewTabs")->setCurrentWidget(pages);
        pages->waitForLayout();
        const QString out = path(QStringLiteral("titled-out.txt"));
        m_dialogs.yesNoAnswers << true;
        m_dialogs.saveAnswers << out;
        child<QToolButton>("tbtnReset")->click();
        const qsizetype pageBytes = 2 + 42 * 23;
        QCOMPARE(readAll(out).size(), pages->pageCount() * pageBytes + 2);
        QCOMPARE(pages->pageCount(), 3); // without the title page the text fills two
    }

    // A source in another encoding is cut at a whole character, and the mark says how many
    // characters are shown.
    void previewOfAnotherEncodingIsCutAtAWholeCharacter() {
        start();
        QByteArray text;
        for (int i = 0; i < 6000; ++i)
            text += "\xE6\x9C\xAC"; // 本 in UTF-8
        addFiles({makeFile(QStringLiteral("utf8.txt"), text)});
        clickEntry(0);
        QCOMPARE(memo(), QStringLiteral("本").repeated(5000));
        QCOMPARE(child<QLabel>("lblPreviewCut")->text(),
                 QStringLiteral("ファイルの先頭 5000 文字だけを表示しています"));
    }

    void stopLeavesTheEntryInHandUnwritten() {
        start();
        QByteArray text;
        for (int i = 0; i < 30000; ++i)
            text += "\x82\xA0";
        addFiles(
            {makeFile(QStringLiteral("one.txt"), text), makeFile(QStringLiteral("two.txt"), "b")});
        child<QAction>("pmnuSelectAll")->trigger();
        const QString first = path(QStringLiteral("one-out.txt"));
        writeAll(first, "earlier");
        m_dialogs.saveAnswers << first << path(QStringLiteral("two-out.txt"));
        // The stop button, pressed while the save question is open, stops the run after the
        // first page of the entry.
        bool pressed = false;
        m_dialogs.onSave = [&] {
            auto* stop = child<QToolButton>("tbtnStop");
            pressed = stop->isVisible() && stop->isEnabled();
            stop->click();
        };
        child<QToolButton>("tbtnReset")->click();
        QVERIFY(pressed);
        QCOMPARE(readAll(first), QByteArray("earlier"));
        QVERIFY(!QFile::exists(path(QStringLiteral("two-out.txt"))));
        QCOMPARE(m_dialogs.saveRequests.size(), 1);
        QCOMPARE(status(),
                 QStringLiteral("コンバートを中止しました（書きかけのファイルは残していません）"));
        QCOMPARE(result(0), QStringLiteral("中止"));
        QCOMPARE(result(1), QString()); // never reached
        QCOMPARE(summary(), QStringLiteral("完了 0 ／ 〓あり 0 ／ 飛ばした 0 ／ 失敗 0 ／ 中止 1"));
        QCOMPARE(
            QDir(m_dir->path()).entryList({QStringLiteral("*.tmp")}, QDir::Files | QDir::Hidden),
            QStringList());
        QVERIFY(!child<QToolButton>("tbtnStop")->isVisible());
    }

    void doneRunNamesItsFilesAndFolder() {
        start();
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("out")));
        addFiles({makeFile(QStringLiteral("a.txt"), "a")});
        clickEntry(0);
        m_dialogs.saveAnswers << path(QStringLiteral("out/a.txt"));
        QVERIFY(!child<QAction>("mnuOpenFolder")->isEnabled());
        child<QToolButton>("tbtnReset")->click();
        QCOMPARE(summary(), QStringLiteral("完了 1 ／ 〓あり 0 ／ 飛ばした 0 ／ 失敗 0 ／ 中止 0"
                                           "　1 個のファイルを書き込みました（保存先：%1）")
                                .arg(path(QStringLiteral("out"))));
        QVERIFY(child<QAction>("mnuOpenFolder")->isEnabled());
    }

    // When no file manager shows the folder, a message names it (selectable, to be copied); a
    // folder gone since the run is not handed to the file manager at all.
    void openingTheOutputFolder() {
        QList<QUrl> asked;
        bool opens = true;
        m_openFolder = [&](const QUrl& url) {
            asked << url;
            return opens;
        };
        start();
        const QString out = path(QStringLiteral("out"));
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("out")));
        addFiles({makeFile(QStringLiteral("a.txt"), "a")});
        clickEntry(0);
        m_dialogs.saveAnswers << path(QStringLiteral("out/a.txt"));
        child<QToolButton>("tbtnReset")->click();

        child<QAction>("mnuOpenFolder")->trigger();
        QCOMPARE(asked, QList<QUrl>{QUrl::fromLocalFile(out)});
        QCOMPARE(m_dialogs.errors, QStringList());

        opens = false;
        child<QAction>("mnuOpenFolder")->trigger();
        QCOMPARE(asked.size(), 2);
        QCOMPARE(m_dialogs.errors,
                 QStringList{QStringLiteral("保存先フォルダ「%1」を開けませんでした。\n理由："
                                            "フォルダを表示するプログラム（ファイルマネージャー）"
                                            "を起動できません")
                                 .arg(out)});
        m_dialogs.errors.clear();

        QVERIFY(QDir(out).removeRecursively());
        child<QAction>("mnuOpenFolder")->trigger();
        QCOMPARE(asked.size(), 2);
        QCOMPARE(m_dialogs.errors,
                 QStringList{QStringLiteral("保存先フォルダ「%1」を開けませんでした。\n理由："
                                            "フォルダが見つかりません")
                                 .arg(out)});
        m_dialogs.errors.clear();
    }

    // However entries come, the last one added is scrolled into sight.
    void addedEntriesAreScrolledIntoSight() {
        QStringList files;
        for (int i = 0; i < 60; ++i)
            files << makeFile(QStringLiteral("%1.txt").arg(i, 2, 10, QLatin1Char('0')), "a");
        start(files);
        QVERIFY(!entryInSight(0));
        QVERIFY(entryInSight(59));
        list()->scrollToTop();
        addFiles({files[0]});
        QVERIFY(entryInSight(60));
        list()->scrollToTop();
        drop({files[1], files[2]});
        QVERIFY(entryInSight(62));
        QCOMPARE(list()->item(62)->toolTip(), files[2]);
    }

    // PageUp, PageDown, Home and End turn the preview's pages; a number typed in the page field
    // goes to that page once Enter is pressed. Every page's start is known before the first is
    // shown, so a jump lays out no page on the way.
    void pagePreviewKeysAndJump() {
        start();
        // Five pages of 23 rows by 13 columns, each of its own kana: あ い う え お; the last a
        // cell short, as a full one would leave the text's end on a sixth.
        QByteArray text;
        for (int page = 0; page < 5; ++page)
            for (int i = page < 4 ? 0 : 1; i < 23 * 13; ++i)
                text += QByteArray("\x82") + char(0xA0 + 2 * page);
        const QString file = makeFile(QStringLiteral("five.txt"), text);
        addFiles({file});
        clickEntry(0);
        auto* pages = child<shell::PagePreview>("PagePreview");
        child<QTabWidget>("PreviewTabs")->setCurrentWidget(pages);
        pages->waitForLayout();
        QCOMPARE(pages->pageCount(), 5);
        auto* page = child<QPlainTextEdit>("memoPage");
        const auto firstRow = [&] { return page->toPlainText().split(QLatin1Char('\n'))[0]; };
        const auto rowOf = [](const char* kana) {
            return QStringLiteral(" ") +
                   (QString::fromUtf8(kana) + QStringLiteral(" ")).repeated(13);
        };
        QCOMPARE(firstRow(), rowOf("あ"));
        page->setFocus();
        QTest::keyClick(page, Qt::Key_PageDown);
        QCOMPARE(pages->currentPage(), 1);
        QCOMPARE(firstRow(), rowOf("い"));
        QTest::keyClick(page, Qt::Key_End);
        QCOMPARE(pages->currentPage(), 4);
        QCOMPARE(firstRow(), rowOf("お"));
        QTest::keyClick(page, Qt::Key_PageDown); // past the last page: stays
        QCOMPARE(pages->currentPage(), 4);
        QTest::keyClick(page, Qt::Key_PageUp);
        QCOMPARE(firstRow(), rowOf("え"));
        QTest::keyClick(page, Qt::Key_Home);
        QCOMPARE(pages->currentPage(), 0);
        QCOMPARE(child<QSpinBox>("spinPage")->value(), 1);

        auto* number = child<QSpinBox>("spinPage");
        QCOMPARE(number->maximum(), 5);
        number->setFocus();
        number->selectAll();
        QTest::keyClicks(number, QStringLiteral("3"));
        QCOMPARE(pages->currentPage(), 0); // not before Enter
        QTest::keyClick(number, Qt::Key_Return);
        QCOMPARE(pages->currentPage(), 2);
        QCOMPARE(firstRow(), rowOf("う"));

        engine::Settings settings;
        const auto paged = shell::PaginateSource(QFile::encodeName(file).toStdString(), settings);
        QCOMPARE(paged->pageStarts.size(), std::size_t{5});
    }

    // The default window shows a whole page of the default settings (23 rows of 40 bytes) without
    // scrolling.
    void aWholePageFitsTheDefaultWindow() {
        start();
        QByteArray text;
        for (int i = 0; i < 400; ++i)
            text += "\x82\xA0";
        addFiles({makeFile(QStringLiteral("page.txt"), text)});
        clickEntry(0);
        auto* pages = child<shell::PagePreview>("PagePreview");
        child<QTabWidget>("PreviewTabs")->setCurrentWidget(pages);
        pages->waitForLayout();
        auto* page = child<QPlainTextEdit>("memoPage");
        QCOMPARE(page->toPlainText().split(QLatin1Char('\n')).size(), 23);
        QCOMPARE(page->verticalScrollBar()->maximum(), 0);
        QCOMPARE(page->horizontalScrollBar()->maximum(), 0);
        // The offscreen screen is 800 by 600.
        QVERIFY(m_form->frameGeometry().height() <= m_form->screen()->availableGeometry().height());
    }

    void windowStateIsKeptInItsOwnSection() {
        start();
        addFiles({makeFile(QStringLiteral("a.txt"), "a")});
        child<QSplitter>("Splitter")->setSizes({150, 350});
        const QList<int> sizes = child<QSplitter>("Splitter")->sizes();
        m_form->close();
        const QByteArray file = readAll(path(QStringLiteral("pglm201.cfg")));
        QVERIFY2(file.startsWith("[pagelume]\r\nopenfolder=") && !file.contains("[setting]"),
                 file.constData());
        m_config.reset();
        m_form.reset();
        start();
        QCOMPARE(child<QSplitter>("Splitter")->sizes(), sizes);
        m_dialogs.openAnswers << QStringList();
        child<QAction>("mnuFileOpen")->trigger();
        QCOMPARE(m_dialogs.openRequests.back().folder, m_dir->path());
    }

    void settingsDialogAppliesOnEnter() {
        start();
        m_dialogs.onDialog = [this](QDialog& dialog) {
            QTest::keyClick(dialog.findChild<QLineEdit*>(QStringLiteral("editDivideBy")),
                            Qt::Key_Return);
            QVERIFY(!dialog.isVisible());
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
        };
        child<QAction>("mnuConfigConfig")->trigger();
        QVERIFY(QFile::exists(path(QStringLiteral("pglm201.cfg"))));
    }

  private:
    // 保存先フォルダに確認せずに保存する, with `folder` as the output folder.
    void saveWithoutAsking(const QString& folder) {
        m_config->findChild<QLineEdit*>(QStringLiteral("editSavePath"))->setText(folder);
        m_config->findChild<QCheckBox*>(QStringLiteral("chkSaveWithoutAsking"))->setChecked(true);
    }
    // Books "book000.txt" ... of one distinct character each, all added and selected.
    QStringList addBooks(int count) {
        QStringList books;
        for (int i = 0; i < count; ++i) {
            const char kana[] = {'\x82', static_cast<char>(0x9F + i % 80), 0};
            books << makeFile(QStringLiteral("book%1.txt").arg(i, 3, 10, QLatin1Char('0')),
                              QByteArray(kana) + QByteArray::number(i));
        }
        addFiles(books);
        child<QAction>("pmnuSelectAll")->trigger();
        return books;
    }
    void convert() { child<QToolButton>("tbtnReset")->click(); }
    QString output(int book) const {
        return path(QStringLiteral("out/book%1.txt").arg(book, 3, 10, QLatin1Char('0')));
    }

  private slots:
    // A shelf goes into the output folder with no dialog; the next run over the same books asks
    // once, when told to apply the answer to the rest.
    void aShelfIsSavedWithoutDialogs() {
        start();
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("out")));
        addBooks(300);
        saveWithoutAsking(path(QStringLiteral("out")));
        convert();
        QCOMPARE(m_dialogs.saveRequests.size(), 0);
        QCOMPARE(m_dialogs.choiceRequests.size(), 0);
        QCOMPARE(m_dialogs.errors, QStringList());
        QCOMPARE(summary(), QStringLiteral("完了 300 ／ 〓あり 0 ／ 飛ばした 0 ／ 失敗 0 ／ 中止 0"
                                           "　300 個のファイルを書き込みました（保存先：%1）")
                                .arg(path(QStringLiteral("out"))));
        for (int i = 0; i < 300; i += 37) {
            const QByteArray page = readAll(output(i));
            QCOMPARE(page.size(), 2 + 23 * 42 + 2);
            QCOMPARE(page.mid(2 + 37, 2), QByteArray("\x82") + char(0x9F + i % 80));
        }

        writeAll(output(5), "kept");
        m_dialogs.choiceAnswers << shell::ChoiceAnswer{1, true}; // 飛ばす, 以降すべてに適用
        convert();
        QCOMPARE(m_dialogs.choiceRequests.size(), 1);
        const shell::ChoiceRequest& asked = m_dialogs.choiceRequests.front();
        QCOMPARE(asked.text, QStringLiteral("「%1」は既にあります。\n置き換えますか？")
                                 .arg(QDir::toNativeSeparators(output(0))));
        QCOMPARE(asked.buttons, (QStringList{QStringLiteral("置き換える"), QStringLiteral("飛ばす"),
                                             QStringLiteral("中止")}));
        QCOMPARE(asked.checkBox, QStringLiteral("以降すべてに適用"));
        QCOMPARE(readAll(output(5)), QByteArray("kept"));
        QCOMPARE(result(299), QStringLiteral("飛ばした"));
        QCOMPARE(summary(),
                 QStringLiteral("完了 0 ／ 〓あり 0 ／ 飛ばした 300 ／ 失敗 0 ／ 中止 0"));
    }

    // Each answer without 以降すべてに適用 holds for its own book; 置き換える for all replaces
    // every one after it; 中止 ends the run with nothing of its book written.
    void existingOutputsAreAskedAbout() {
        start();
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("out")));
        addBooks(4);
        saveWithoutAsking(path(QStringLiteral("out")));
        for (int i = 0; i < 4; ++i)
            writeAll(output(i), "earlier");
        m_dialogs.choiceAnswers << shell::ChoiceAnswer{1, false} << shell::ChoiceAnswer{0, true};
        convert();
        QCOMPARE(m_dialogs.choiceRequests.size(), 2);
        QCOMPARE(readAll(output(0)), QByteArray("earlier"));
        for (int i = 1; i < 4; ++i)
            QCOMPARE(readAll(output(i)).size(), 2 + 23 * 42 + 2);
        QVERIFY(summary().startsWith(
            QStringLiteral("完了 3 ／ 〓あり 0 ／ 飛ばした 1 ／ 失敗 0 ／ 中止 0　3 個")));

        writeAll(output(0), "earlier");
        writeAll(output(1), "earlier");
        // 中止, though 以降すべてに適用 is ticked: the run ends at the first book.
        m_dialogs.choiceAnswers << shell::ChoiceAnswer{2, true};
        convert();
        QCOMPARE(m_dialogs.choiceRequests.size(), 3);
        QCOMPARE(readAll(output(0)), QByteArray("earlier"));
        QCOMPARE(readAll(output(1)), QByteArray("earlier"));
        QCOMPARE(result(0), QStringLiteral("中止"));
        QCOMPARE(result(1), QString());
        QCOMPARE(summary(), QStringLiteral("完了 0 ／ 〓あり 0 ／ 飛ばした 0 ／ 失敗 0 ／ 中止 1"));
        QCOMPARE(QDir(path(QStringLiteral("out")))
                     .entryList({QStringLiteral("*.tmp")}, QDir::Files | QDir::Hidden),
                 QStringList());
    }

    // Books converted side by side are told of in the order of the list, whichever ends first,
    // and the progress never goes back; 中止 stops every book under way, and those not begun
    // stay untouched.
    void sideBySideBooksAreToldInListOrder() {
        start();
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("out")));
        QByteArray large;
        for (int i = 0; i < 200000; ++i)
            large += "\x82\xA0\x82\xA2\x82\xA4\x82\xA6\x82\xA8\r\n";
        QStringList books{makeFile(QStringLiteral("a-large.txt"), large)};
        for (int i = 0; i < 12; ++i)
            books << makeFile(QStringLiteral("b%1.txt").arg(i, 2, 10, QLatin1Char('0')), "x");
        addFiles(books);
        child<QAction>("pmnuSelectAll")->trigger();
        saveWithoutAsking(path(QStringLiteral("out")));
        QList<int> toldRows;
        connect(list()->model(), &QAbstractItemModel::dataChanged, this,
                [&](const QModelIndex& from, const QModelIndex&, const QList<int>& roles) {
                    if (roles.contains(TMainForm::kResultRole) &&
                        !from.data(TMainForm::kResultRole).toString().isEmpty())
                        toldRows << from.row();
                });
        QList<int> progress;
        auto* bar = child<QProgressBar>("progressRun");
        const QMetaObject::Connection watching =
            connect(bar, &QProgressBar::valueChanged, this, [&](int value) { progress << value; });
        convert();
        QCOMPARE(toldRows.size(), books.size());
        for (int i = 0; i < toldRows.size(); ++i)
            QCOMPARE(toldRows[i], i);
        QVERIFY(std::is_sorted(progress.begin(), progress.end()));
        QVERIFY(summary().startsWith(
            QStringLiteral("完了 13 ／ 〓あり 0 ／ 飛ばした 0 ／ 失敗 0 ／ 中止 0")));
        disconnect(watching);

        // Stopped while the title question of the large book is open.
        for (const QString& name : QDir(path(QStringLiteral("out"))).entryList(QDir::Files))
            QVERIFY(QFile::remove(path(QStringLiteral("out/") + name)));
        m_config->findChild<QCheckBox*>(QStringLiteral("chkUseHeader"))->setChecked(true);
        m_dialogs.choiceAnswers << shell::ChoiceAnswer{1, true}; // いいえ, 以降すべてに適用
        m_dialogs.onChoice = [this] { child<QToolButton>("tbtnStop")->click(); };
        convert();
        QCOMPARE(result(0), QStringLiteral("中止"));
        bool begun = true;
        for (int row = 1; row < books.size(); ++row) {
            QVERIFY(result(row) != QStringLiteral("完了"));
            begun = begun && !result(row).isEmpty();
            QVERIFY(begun || result(row).isEmpty());
        }
        QCOMPARE(QDir(path(QStringLiteral("out"))).entryList(QDir::Files | QDir::Hidden),
                 QStringList());
    }

    // The parts of a split are asked about together: one question names the first and counts
    // the others.
    void existingPartsOfASplitAreOneQuestion() {
        start();
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("out")));
        QByteArray text;
        for (int i = 0; i < 1000; ++i)
            text += "\x82\xA0";
        addFiles({makeFile(QStringLiteral("long.txt"), text)});
        clickEntry(0);
        saveWithoutAsking(path(QStringLiteral("out")));
        m_config->findChild<QCheckBox*>(QStringLiteral("chkUseDivision"))->setChecked(true);
        convert();
        QCOMPARE(m_dialogs.choiceRequests.size(), 0);
        const QStringList parts =
            QDir(path(QStringLiteral("out"))).entryList({QStringLiteral("long_*.txt")});
        QVERIFY(parts.size() > 2);
        m_dialogs.choiceAnswers << shell::ChoiceAnswer{1, false};
        convert();
        QCOMPARE(m_dialogs.choiceRequests.size(), 1);
        QCOMPARE(m_dialogs.choiceRequests[0].text,
                 QStringLiteral("「%1」ほか %2 個のファイルが既にあります。\n置き換えますか？")
                     .arg(QDir::toNativeSeparators(path(QStringLiteral("out/long_1.txt"))))
                     .arg(parts.size() - 1));
    }

    // The settings as the run starts hold for all its books, whatever is changed meanwhile.
    void savingWithoutAskingTakesTheSettingsOnce() {
        start();
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("out")));
        addBooks(2);
        saveWithoutAsking(path(QStringLiteral("out")));
        writeAll(output(0), "earlier");
        m_dialogs.choiceAnswers << shell::ChoiceAnswer{0, false};
        m_dialogs.onChoice = [this] {
            m_config->findChild<QRadioButton*>(QStringLiteral("rgLineSpace1"))->click();
        };
        convert();
        QCOMPARE(m_config->liveSettings().gyokan, 1);
        QCOMPARE(readAll(output(0)).size(), 2 + 23 * 42 + 2);
        QCOMPARE(readAll(output(1)).size(), 2 + 23 * 42 + 2);
    }

    // The title question can be answered for the rest of the run too.
    void headerQuestionForTheRestOfTheRun() {
        start();
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("out")));
        QStringList books;
        for (int i = 0; i < 3; ++i)
            books << makeFile(QStringLiteral("t%1.txt").arg(i), "Title\r\nAuthor\r\n\x82\xA0\r\n");
        addFiles(books);
        child<QAction>("pmnuSelectAll")->trigger();
        saveWithoutAsking(path(QStringLiteral("out")));
        m_config->findChild<QCheckBox*>(QStringLiteral("chkUseHeader"))->setChecked(true);
        m_dialogs.choiceAnswers << shell::ChoiceAnswer{1, true}; // いいえ, 以降すべてに適用
        convert();
        QCOMPARE(m_dialogs.choiceRequests.size(), 1);
        QCOMPARE(m_dialogs.choiceRequests[0].caption, QStringLiteral("ヘッダ認識結果"));
        QCOMPARE(m_dialogs.choiceRequests[0].buttons,
                 (QStringList{QStringLiteral("はい"), QStringLiteral("いいえ")}));
        QCOMPARE(m_dialogs.questions.size(), 0);
        // No title page: the three lines fill one page.
        for (int i = 0; i < 3; ++i)
            QCOMPARE(readAll(path(QStringLiteral("out/t%1.txt").arg(i))).size(), 2 + 23 * 42 + 2);
    }

    // With no folder, or one that is gone, 整形 says so and offers to choose one; the folder
    // chosen is kept in the settings file.
    void savingWithoutAskingNeedsAFolder() {
        start();
        addBooks(1);
        saveWithoutAsking(QString());
        m_dialogs.yesNoAnswers << false;
        convert();
        QCOMPARE(m_dialogs.questions.size(), 1);
        QCOMPARE(
            m_dialogs.questions[0].text,
            QStringLiteral("「保存先フォルダに確認せずに保存する」がオンですが、"
                           "保存先フォルダが設定されていません。\n保存先フォルダを選びますか？"));
        QCOMPARE(m_dialogs.folderInstructions.size(), 0);
        QCOMPARE(result(0), QString());

        const QString gone = path(QStringLiteral("gone"));
        saveWithoutAsking(gone);
        m_dialogs.yesNoAnswers << true;
        m_dialogs.folderAnswers << QString(); // the chooser cancelled
        convert();
        QCOMPARE(
            m_dialogs.questions[1].text,
            QStringLiteral("保存先フォルダ「%1」が見つかりません。\n保存先フォルダを選びますか？")
                .arg(QDir::toNativeSeparators(gone)));
        QCOMPARE(result(0), QString());
        QVERIFY(!QFile::exists(gone));

        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("out")));
        m_dialogs.yesNoAnswers << true;
        m_dialogs.folderAnswers << path(QStringLiteral("out"));
        convert();
        QCOMPARE(m_dialogs.saveRequests.size(), 0);
        QVERIFY(QFile::exists(output(0)));
        QCOMPARE(m_config->liveSettings().savepath,
                 QFile::encodeName(path(QStringLiteral("out"))).toStdString());
        QVERIFY(readAll(path(QStringLiteral("pglm201.cfg")))
                    .contains("savepath=" + QFile::encodeName(path(QStringLiteral("out")))));
    }

    // The books' own folder as output folder: the outputs take names of their own, and so does a
    // second book of the same name. A failure holds nothing up: it is told once, at the end.
    void savingWithoutAskingBesideTheBooks() {
        start();
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("b")));
        const QStringList books = addBooks(2);
        addFiles({makeFile(QStringLiteral("b/book000.txt"), "\x82\xA2"),
                  path(QStringLiteral("missing.txt"))});
        child<QAction>("pmnuSelectAll")->trigger();
        saveWithoutAsking(m_dir->path());
        convert();
        QCOMPARE(readAll(path(QStringLiteral("book000_縦書き (2).txt"))).mid(2 + 37, 2),
                 QByteArray("\x82\xA2"));
        QCOMPARE(result(3), QStringLiteral("失敗"));
        QCOMPARE(m_dialogs.errors.size(), 1);
        QVERIFY(m_dialogs.errors[0].startsWith(
            QStringLiteral("1 個のファイルを整形できませんでした。\n\n")));
        QVERIFY(m_dialogs.errors[0].contains(
            QDir::toNativeSeparators(path(QStringLiteral("missing.txt")))));
        QCOMPARE(readAll(books[0]), QByteArray("\x82\x9F") + "0");
        QCOMPARE(readAll(path(QStringLiteral("book000_縦書き.txt"))).size(), 2 + 23 * 42 + 2);
        QCOMPARE(readAll(path(QStringLiteral("book001_縦書き.txt"))).size(), 2 + 23 * 42 + 2);
    }
};

QTEST_MAIN(MainFormTest)
#include "main_form_test.moc"
