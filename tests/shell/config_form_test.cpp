#include "scripted_dialogs.h"
#include "shell/config_form.h"
#include "shell/text_codec.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include <memory>

using shell::TConfigForm;

namespace {

const QString kRangeMessage = QStringLiteral("入力できる値は1～5000までです");

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

class ConfigFormTest final : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<QTemporaryDir> m_dir;
    ScriptedDialogs m_dialogs;

    QString settingsPath() const { return m_dir->filePath(QStringLiteral("pglm201.cfg")); }

    std::unique_ptr<TConfigForm> makeForm() {
        return std::make_unique<TConfigForm>(m_dialogs,
                                             QFile::encodeName(settingsPath()).toStdString());
    }

    template <typename T> static T* child(const TConfigForm& form, const char* name) {
        T* widget = form.findChild<T*>(QString::fromLatin1(name));
        if (!widget)
            qFatal("no widget %s", name);
        return widget;
    }
    static QRadioButton* radio(const TConfigForm& form, const char* group, int item) {
        return form.findChild<QRadioButton*>(QString::fromLatin1(group) + QString::number(item));
    }
    static int choice(const TConfigForm& form, const char* group) {
        return form.findChild<QButtonGroup*>(QString::fromLatin1(group) + QStringLiteral("Items"))
            ->checkedId();
    }
    static QString label(const TConfigForm& form) { return child<QLabel>(form, "lblKB")->text(); }
    static QLineEdit* count(const TConfigForm& form) {
        return child<QLineEdit>(form, "editDivideBy");
    }
    static shell::UpDown* arrows(const TConfigForm& form) {
        return child<shell::UpDown>(form, "udDivide");
    }

  private slots:
    // The readme (F1) names every setting of the dialog: each group, each choice and each
    // checkbox, under its caption.
    void readmeNamesEverySetting() {
        QFile file(QStringLiteral(PAGELUME_README));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        const QString readme = shell::FromShiftJis(std::string_view(bytes.data(), bytes.size()));
        auto form = makeForm();
        QStringList captions;
        for (const QGroupBox* box : form->findChildren<QGroupBox*>())
            captions << box->title();
        for (const QAbstractButton* button : form->findChildren<QAbstractButton*>()) {
            if (qobject_cast<const QCheckBox*>(button) || qobject_cast<const QRadioButton*>(button))
                captions << button->text().remove(QLatin1Char('&'));
        }
        captions << child<QLabel>(*form, "Label1")->text().chopped(1); // 保存先フォルダ：
        QVERIFY(captions.size() > 20);
        for (const QString& caption : captions)
            QVERIFY2(readme.contains(caption), qPrintable(caption));
    }

    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_dialogs = ScriptedDialogs();
    }

    void cleanup() { QCOMPARE(m_dialogs.unexpected, 0); }

    void withoutFileShowsDefaults() {
        auto form = makeForm();
        QCOMPARE(form->windowTitle(), QStringLiteral("設定"));
        QCOMPARE(choice(*form, "rgLineSpace"), 0);
        QCOMPARE(choice(*form, "rgCharSize"), 0);
        QCOMPARE(choice(*form, "rgSpaceLine"), 1);
        for (const char* box :
             {"chkUseReturnCode", "chkUseHeader", "chkUseHeaderToFile", "chkUseDivision"})
            QVERIFY2(!child<QCheckBox>(*form, box)->isChecked(), box);
        QCOMPARE(count(*form)->text(), QStringLiteral("1"));
        QCOMPARE(child<QLineEdit>(*form, "editSavePath")->text(), QString());
        QCOMPARE(label(*form), QStringLiteral("ページごと (0KB)"));
        QVERIFY(child<QGroupBox>(*form, "rgCharSize")->isEnabled());
        QVERIFY(!child<QCheckBox>(*form, "chkUseHeaderToFile")->isEnabled());
        QVERIFY(!count(*form)->isEnabled());
        QVERIFY(!arrows(*form)->isEnabled());
        QCOMPARE(form->liveSettings(), engine::Settings{});
        QVERIFY(!QFile::exists(settingsPath()));
        QVERIFY(m_dialogs.messages.isEmpty() && m_dialogs.errors.isEmpty());
    }

    void captionsAndTooltip() {
        auto form = makeForm();
        QCOMPARE(child<QGroupBox>(*form, "rgLineSpace")->title(), QStringLiteral("行間幅"));
        QCOMPARE(child<QGroupBox>(*form, "rgCharSize")->title(), QStringLiteral("文字の大きさ"));
        QCOMPARE(child<QGroupBox>(*form, "rgSpaceLine")->title(), QStringLiteral("一行おきの空行"));
        const QStringList lineSpaces = {QStringLiteral("なし"), QStringLiteral("２ドット"),
                                        QStringLiteral("４ドット"), QStringLiteral("６ドット"),
                                        QStringLiteral("新聞モード")};
        for (int i = 0; i < lineSpaces.size(); ++i)
            QCOMPARE(radio(*form, "rgLineSpace", i)->text(), lineSpaces[i]);
        QCOMPARE(radio(*form, "rgSpaceLine", 0)->text(), QStringLiteral("2バイト"));
        QCOMPARE(radio(*form, "rgSpaceLine", 2)->text(), QStringLiteral("いれない"));
        QCOMPARE(radio(*form, "rgCharSize", 1)->text(), QStringLiteral("縦倍文字"));
        QCOMPARE(child<QPushButton>(*form, "btnExit")->text(), QStringLiteral("変更して戻る"));
        QCOMPARE(child<QCheckBox>(*form, "chkUseReturnCode")->text(),
                 QStringLiteral("改行文字を「改行」として認識する（詩など）"));
        QCOMPARE(child<QLineEdit>(*form, "editSavePath")->toolTip(),
                 QStringLiteral("整形したファイルを保存するフォルダを設定してください"));
        QCOMPARE(child<QLabel>(*form, "Label1")->text(), QStringLiteral("保存先フォルダ："));
    }

    void tabOrder() {
        auto form = makeForm();
        child<QCheckBox>(*form, "chkUseDivision")->setChecked(true);
        child<QCheckBox>(*form, "chkUseHeader")->setChecked(true);
        child<QCheckBox>(*form, "chkAozora")->setChecked(true);
        form->show();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        child<QPushButton>(*form, "btnExit")->setFocus();
        QStringList visited;
        for (int i = 0; i < 19; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << QApplication::focusWidget()->objectName();
        }
        // A radio group is entered at its chosen button.
        QCOMPARE(visited,
                 (QStringList{"rgLineSpace0", "rgCharSize0", "rgSpaceLine1", "editSavePath",
                              "btnFolderRef", "btnClear", "chkSaveWithoutAsking", "chkUseHeader",
                              "chkUseReturnCode", "chkUseDivision", "editDivideBy", "udDivide",
                              "chkUseHeaderToFile", "cmbEncoding", "chkAozora", "chkRubyParen",
                              "chkKinsoku", "chkTcyDigits", "btnExit"}));
    }

    void newspaperModeFixesNormalSize() {
        auto form = makeForm();
        radio(*form, "rgCharSize", 1)->click();
        QCOMPARE(form->liveSettings().charsize, 1);
        QCOMPARE(label(*form), QStringLiteral("ページごと (0KB)"));

        radio(*form, "rgLineSpace", 4)->click();
        QCOMPARE(choice(*form, "rgCharSize"), 0);
        QCOMPARE(form->liveSettings().charsize, 0);
        QCOMPARE(form->liveSettings().gyokan, 4);
        QVERIFY(!child<QGroupBox>(*form, "rgCharSize")->isEnabled());

        radio(*form, "rgLineSpace", 2)->click();
        QVERIFY(child<QGroupBox>(*form, "rgCharSize")->isEnabled());
        QCOMPARE(choice(*form, "rgCharSize"), 0);
        QCOMPARE(form->liveSettings().gyokan, 2);
    }

    void greyedBoxesKeepTheirTicks() {
        auto form = makeForm();
        auto* header = child<QCheckBox>(*form, "chkUseHeader");
        auto* toFile = child<QCheckBox>(*form, "chkUseHeaderToFile");
        header->click();
        QVERIFY(toFile->isEnabled());
        toFile->click();
        header->click();
        QVERIFY(!toFile->isEnabled());
        QVERIFY(toFile->isChecked());
        QVERIFY(form->liveSettings().useheadertofile);
        QVERIFY(!form->liveSettings().useheader);
        header->click();
        QVERIFY(toFile->isEnabled());
        QVERIFY(toFile->isChecked());

        auto* division = child<QCheckBox>(*form, "chkUseDivision");
        division->click();
        QVERIFY(count(*form)->isEnabled() && arrows(*form)->isEnabled());
        arrows(*form)->stepBy(1);
        division->click();
        QVERIFY(!count(*form)->isEnabled() && !arrows(*form)->isEnabled());
        QVERIFY(child<QLabel>(*form, "lblKB")->isVisibleTo(form.get()));
        QCOMPARE(label(*form), QStringLiteral("ページごと (29KB)"));
        QCOMPARE(form->liveSettings().divisionsize, 31);
        QVERIFY(!form->liveSettings().usedivision);

        child<QCheckBox>(*form, "chkUseReturnCode")->click();
        radio(*form, "rgSpaceLine", 2)->click();
        QVERIFY(form->liveSettings().usereturn);
        QCOMPARE(form->liveSettings().spaceline, 2);
    }

    void countValidation_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("fieldAfter");
        QTest::addColumn<int>("countAfter");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QStringList>("errors");
        const QStringList none;
        QTest::newRow("accepted") << "100"
                                  << "100" << 100 << none << none;
        QTest::newRow("upper limit") << "5000"
                                     << "5000" << 5000 << none << none;
        QTest::newRow("emptied") << ""
                                 << "1" << 1 << none << none;
        QTest::newRow("zero") << "0"
                              << "1" << 1 << QStringList{kRangeMessage} << none;
        QTest::newRow("negative") << "-5"
                                  << "1" << 1 << QStringList{kRangeMessage} << none;
        QTest::newRow("over") << "6000"
                              << "1900" << 1900 << QStringList{kRangeMessage} << none;
        QTest::newRow("lone minus")
            << "-"
            << "-" << 31 << none << QStringList{QStringLiteral("'-' は整数ではありません")};
        QTest::newRow("letter") << "x"
                                << "x" << 31 << none
                                << QStringList{QStringLiteral("'x' は整数ではありません")};
        QTest::newRow("plus sign") << "+5"
                                   << "+5" << 5 << none << none;
        QTest::newRow("trailing space")
            << "5 "
            << "5 " << 31 << none << QStringList{QStringLiteral("'5 ' は整数ではありません")};
        QTest::newRow("leading space")
            << " 5"
            << " 5" << 31 << none << QStringList{QStringLiteral("' 5' は整数ではありません")};
        QTest::newRow("sign without digits")
            << "+"
            << "+" << 31 << none << QStringList{QStringLiteral("'+' は整数ではありません")};
        QTest::newRow("full-width digits")
            << "１２"
            << "１２" << 31 << none << QStringList{QStringLiteral("'１２' は整数ではありません")};
        QTest::newRow("too long for a number")
            << "99999999999"
            << "99999999999" << 31 << none
            << QStringList{QStringLiteral("'99999999999' は整数ではありません")};
    }

    void countValidation() {
        QFETCH(QString, typed);
        QFETCH(QString, fieldAfter);
        QFETCH(int, countAfter);
        QFETCH(QStringList, messages);
        QFETCH(QStringList, errors);
        auto form = makeForm();
        count(*form)->setText(QStringLiteral("31"));
        count(*form)->setText(typed);
        QCOMPARE(count(*form)->text(), fieldAfter);
        QCOMPARE(arrows(*form)->position(), countAfter);
        QCOMPARE(form->liveSettings().divisionsize, countAfter);
        QCOMPARE(m_dialogs.messages, messages);
        QCOMPARE(m_dialogs.errors, errors);
        // The estimate follows the accepted count: 968 bytes a page.
        QCOMPARE(label(*form), QStringLiteral("ページごと (%1KB)").arg(countAfter * 968 / 1024));
    }

    void typingOverTheLimit() {
        auto form = makeForm();
        child<QCheckBox>(*form, "chkUseDivision")->click();
        QLineEdit* field = count(*form);
        field->selectAll();
        QTest::keyClicks(field, QStringLiteral("6000"));
        QCOMPARE(m_dialogs.messages, QStringList{kRangeMessage});
        QCOMPARE(field->text(), QStringLiteral("1900"));
        QCOMPARE(form->liveSettings().divisionsize, 1900);
        QCOMPARE(label(*form), QStringLiteral("ページごと (1796KB)"));
    }

    void arrowsStepByThirtyWithinLimits() {
        auto form = makeForm();
        child<QCheckBox>(*form, "chkUseDivision")->click();
        shell::UpDown* ud = arrows(*form);
        QTest::mouseClick(ud->upButton(), Qt::LeftButton);
        QCOMPARE(count(*form)->text(), QStringLiteral("31"));
        QTest::mouseClick(ud->upButton(), Qt::LeftButton);
        QCOMPARE(count(*form)->text(), QStringLiteral("61"));
        QCOMPARE(form->liveSettings().divisionsize, 61);

        count(*form)->setText(QStringLiteral("4981"));
        QTest::mouseClick(ud->upButton(), Qt::LeftButton);
        QCOMPARE(count(*form)->text(), QStringLiteral("5000"));
        QTest::mouseClick(ud->upButton(), Qt::LeftButton);
        QCOMPARE(count(*form)->text(), QStringLiteral("5000"));

        count(*form)->setText(QStringLiteral("20"));
        QTest::mouseClick(ud->downButton(), Qt::LeftButton);
        QCOMPARE(count(*form)->text(), QStringLiteral("1"));
        QTest::mouseClick(ud->downButton(), Qt::LeftButton);
        QCOMPARE(count(*form)->text(), QStringLiteral("1"));

        // The arrow keys in the field step the same way.
        QTest::keyClick(count(*form), Qt::Key_Up);
        QCOMPARE(count(*form)->text(), QStringLiteral("31"));
        QTest::keyClick(count(*form), Qt::Key_Down);
        QCOMPARE(count(*form)->text(), QStringLiteral("1"));

        // From text that is not a number the arrows go on from the last accepted count.
        count(*form)->setText(QStringLiteral("61"));
        count(*form)->setText(QStringLiteral("abc"));
        QTest::mouseClick(ud->upButton(), Qt::LeftButton);
        QCOMPARE(count(*form)->text(), QStringLiteral("91"));
        QVERIFY(m_dialogs.messages.isEmpty());
    }

    void estimateLabel_data() {
        QTest::addColumn<int>("lineSpace");
        QTest::addColumn<int>("charSize");
        QTest::addColumn<QString>("pages");
        QTest::addColumn<QString>("expected");
        auto row = [](const char* name, int lineSpace, int charSize, const char* pages, int kb) {
            QTest::newRow(name) << lineSpace << charSize << QString::fromLatin1(pages)
                                << QStringLiteral("ページごと (%1KB)").arg(kb);
        };
        row("1 page newspaper", 4, 0, "1", 0);
        row("1 page 6 dots double", 3, 1, "1", 0);
        row("2 pages none normal", 0, 0, "2", 1);
        row("2 pages 6 dots normal", 3, 0, "2", 1);
        row("2 pages none double", 0, 1, "2", 0);
        row("2 pages newspaper", 4, 0, "2", 0);
        row("31 none normal", 0, 0, "31", 29);
        row("31 2 dots normal", 1, 0, "31", 24);
        row("31 4 dots double", 2, 1, "31", 10);
        row("31 newspaper", 4, 0, "31", 14);
        row("5000 none normal", 0, 0, "5000", 4726);
        row("5000 none double", 0, 1, "5000", 2060);
        row("5000 2 dots normal", 1, 0, "5000", 3906);
        row("5000 6 dots double", 3, 1, "5000", 1445);
        row("5000 newspaper", 4, 0, "5000", 2363);
    }

    void estimateLabel() {
        QFETCH(int, lineSpace);
        QFETCH(int, charSize);
        QFETCH(QString, pages);
        QFETCH(QString, expected);
        auto form = makeForm();
        radio(*form, "rgCharSize", charSize)->click();
        radio(*form, "rgLineSpace", lineSpace)->click();
        count(*form)->setText(pages);
        QCOMPARE(label(*form), expected);
    }

    void newspaperWithDoubleHeightShowsNewspaperValue() {
        auto form = makeForm();
        count(*form)->setText(QStringLiteral("5000"));
        radio(*form, "rgCharSize", 1)->click();
        QCOMPARE(label(*form), QStringLiteral("ページごと (2060KB)"));
        radio(*form, "rgLineSpace", 4)->click();
        QCOMPARE(label(*form), QStringLiteral("ページごと (2363KB)"));
    }

    void noLineSpacingChoiceLeavesLabel() {
        writeAll(settingsPath(), "[setting]\r\ngyokan=-3\r\ndivisionsize=40\r\n");
        auto form = makeForm();
        QCOMPARE(choice(*form, "rgLineSpace"), -1);
        QCOMPARE(form->liveSettings().gyokan, -1);
        QCOMPARE(label(*form), QStringLiteral("ページごと（約xxKB）"));
        count(*form)->setText(QStringLiteral("500"));
        radio(*form, "rgCharSize", 1)->click();
        QCOMPARE(label(*form), QStringLiteral("ページごと（約xxKB）"));
        radio(*form, "rgLineSpace", 0)->click();
        QCOMPARE(label(*form), QStringLiteral("ページごと (206KB)"));
    }

    void storedValuesComeInRange() {
        writeAll(settingsPath(), "[setting]\r\ngyokan=7\r\ncharsize=1\r\nspaceline=2\r\n"
                                 "usereturn=2\r\nuseheader=0\r\nuseheadertofile=1\r\n"
                                 "usedivision=1\r\ndivisionsize=9999\r\nsavepath=/tmp/out\r\n");
        auto form = makeForm();
        QCOMPARE(choice(*form, "rgLineSpace"), 4);
        QVERIFY(!child<QGroupBox>(*form, "rgCharSize")->isEnabled());
        // The size is loaded after the newspaper rule ran, so the stored one stands.
        QCOMPARE(choice(*form, "rgCharSize"), 1);
        QCOMPARE(choice(*form, "rgSpaceLine"), 2);
        QVERIFY(child<QCheckBox>(*form, "chkUseReturnCode")->isChecked());
        QVERIFY(child<QCheckBox>(*form, "chkUseHeaderToFile")->isChecked());
        QVERIFY(!child<QCheckBox>(*form, "chkUseHeaderToFile")->isEnabled());
        QVERIFY(count(*form)->isEnabled());
        QCOMPARE(count(*form)->text(), QStringLiteral("5000"));
        QCOMPARE(label(*form), QStringLiteral("ページごと (2363KB)"));
        QCOMPARE(child<QLineEdit>(*form, "editSavePath")->text(), QStringLiteral("/tmp/out"));
        const engine::Settings live = form->liveSettings();
        QCOMPARE(live.gyokan, 4);
        QCOMPARE(live.charsize, 1);
        QCOMPARE(live.divisionsize, 5000);
        QCOMPARE(live.savepath, std::string("/tmp/out"));
        QVERIFY(live.usereturn && live.useheadertofile && live.usedivision && !live.useheader);
        QVERIFY(m_dialogs.messages.isEmpty());
    }

    void applyWritesTheFile() {
        auto form = makeForm();
        form->show();
        child<QPushButton>(*form, "btnExit")->click();
        QVERIFY(!form->isVisible());
        QCOMPARE(form->result(), int(QDialog::Accepted));
        QCOMPARE(
            readAll(settingsPath()),
            QByteArray(
                "[setting]\r\ngyokan=0\r\ncharsize=0\r\nspaceline=1\r\nusereturn=0\r\n"
                "useheader=0\r\nuseheadertofile=0\r\nusedivision=0\r\n"
                "divisionsize=1\r\nsavepath=\r\n"
                "[pagelume]\r\nencoding=auto\r\naozora=0\r\nruby=drop\r\nkinsoku=0\r\ntcydigits=0\r\nsavewithoutasking=0\r\n"));

        radio(*form, "rgLineSpace", 3)->click();
        child<QCheckBox>(*form, "chkUseDivision")->click();
        count(*form)->setText(QStringLiteral("120"));
        child<QLineEdit>(*form, "editSavePath")->setText(QStringLiteral("/data/本"));
        child<QPushButton>(*form, "btnExit")->click();
        QCOMPARE(
            readAll(settingsPath()),
            QByteArray(
                "[setting]\r\ngyokan=3\r\ncharsize=0\r\nspaceline=1\r\nusereturn=0\r\n"
                "useheader=0\r\nuseheadertofile=0\r\nusedivision=1\r\n"
                "divisionsize=120\r\nsavepath=/data/\xE6\x9C\xAC\r\n"
                "[pagelume]\r\nencoding=auto\r\naozora=0\r\nruby=drop\r\nkinsoku=0\r\ntcydigits=0\r\nsavewithoutasking=0\r\n"));
        QVERIFY(m_dialogs.errors.isEmpty());
    }

    void closeBoxKeepsEditsButWritesNothing() {
        auto form = makeForm();
        form->show();
        radio(*form, "rgLineSpace", 1)->click();
        child<QCheckBox>(*form, "chkUseHeader")->click();
        QVERIFY(form->close());
        QVERIFY(!form->isVisible());
        QCOMPARE(form->result(), int(QDialog::Rejected));
        QVERIFY(!QFile::exists(settingsPath()));
        QCOMPARE(form->liveSettings().gyokan, 1);
        QVERIFY(form->liveSettings().useheader);
        // Opened again, the controls are as they were left.
        form->show();
        QCOMPARE(choice(*form, "rgLineSpace"), 1);
    }

    void escapeDoesNotClose() {
        auto form = makeForm();
        form->show();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        radio(*form, "rgLineSpace", 1)->click();
        QTest::keyClick(child<QPushButton>(*form, "btnExit"), Qt::Key_Escape);
        QTest::keyClick(child<QLineEdit>(*form, "editSavePath"), Qt::Key_Escape);
        QVERIFY(form->isVisible());
        QVERIFY(!QFile::exists(settingsPath()));
        // The close box still closes it, without saving.
        QVERIFY(form->close());
        QVERIFY(!form->isVisible());
        QCOMPARE(form->result(), int(QDialog::Rejected));
        QVERIFY(!QFile::exists(settingsPath()));
        QCOMPARE(form->liveSettings().gyokan, 1);
    }

    void failedSaveIsReportedAndEditsStay() {
        // A settings path below a plain file cannot be written.
        writeAll(m_dir->filePath(QStringLiteral("plain")), "x");
        auto form = std::make_unique<TConfigForm>(
            m_dialogs,
            QFile::encodeName(m_dir->filePath(QStringLiteral("plain/pglm201.cfg"))).toStdString());
        radio(*form, "rgLineSpace", 2)->click();
        form->show();
        child<QPushButton>(*form, "btnExit")->click();
        QCOMPARE(m_dialogs.errors.size(), 1);
        QCOMPARE(m_dialogs.errors[0],
                 QStringLiteral("設定ファイル「%1」に書き込めませんでした。\n"
                                "理由：ファイルまたはフォルダが見つかりません")
                     .arg(m_dir->filePath(QStringLiteral("plain/pglm201.cfg"))));
        QVERIFY(!form->isVisible());
        QCOMPARE(form->liveSettings().gyokan, 2);
    }

    void unreadableFileIsReportedAndDefaultsApply() {
        // A folder where the file should be cannot be read as one.
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("pglm201.cfg")));
        auto form = makeForm();
        QCOMPARE(m_dialogs.errors.size(), 1);
        QVERIFY(m_dialogs.errors[0].startsWith(
            QStringLiteral("設定ファイル「%1」を読み込めませんでした。").arg(settingsPath())));
        QCOMPARE(form->liveSettings(), engine::Settings{});
    }

    void folderChooserAndClear() {
        auto form = makeForm();
        auto* field = child<QLineEdit>(*form, "editSavePath");
        m_dialogs.folderAnswers = {QStringLiteral("/home/user/infoCarry")};
        child<QPushButton>(*form, "btnFolderRef")->click();
        QCOMPARE(m_dialogs.folderInstructions,
                 QStringList{QStringLiteral("保存先フォルダを選択してください")});
        QCOMPARE(field->text(), QStringLiteral("/home/user/infoCarry"));
        QCOMPARE(form->liveSettings().savepath, std::string("/home/user/infoCarry"));

        m_dialogs.folderAnswers = {QString()}; // cancelled
        child<QPushButton>(*form, "btnFolderRef")->click();
        QCOMPARE(field->text(), QStringLiteral("/home/user/infoCarry"));

        child<QPushButton>(*form, "btnClear")->click();
        QCOMPARE(field->text(), QString());
        QCOMPARE(form->liveSettings().savepath, std::string());
    }
};

QTEST_MAIN(ConfigFormTest)
#include "config_form_test.moc"
