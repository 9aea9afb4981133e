#include "shell/status_line.h"

#include <QtTest>

using shell::StatusLine;

namespace {

// Time moves only when the test says so.
class ManualTimer final : public shell::StatusTimer {
  public:
    void start(int milliseconds) override {
        m_interval = milliseconds;
        m_deadline = m_now + milliseconds;
        m_active = true;
    }
    void stop() override { m_active = false; }
    bool isActive() const override { return m_active; }

    void advance(int milliseconds) {
        const qint64 until = m_now + milliseconds;
        while (m_active && m_deadline <= until) {
            m_now = m_deadline;
            m_deadline += m_interval; // a running timer fires again unless stopped
            emit timeout();
        }
        m_now = until;
    }

  private:
    qint64 m_now = 0;
    qint64 m_deadline = 0;
    int m_interval = 0;
    bool m_active = false;
};

const QString kIdle = QString::fromUtf16(shell::kIdleStatus);

} // namespace

class StatusLineTest final : public QObject {
    Q_OBJECT

  private slots:
    void startsIdleWithTheTimerStopped() {
        auto* timer = new ManualTimer;
        StatusLine line(nullptr, timer);
        QCOMPARE(line.text(), QStringLiteral("ユーザーからの入力を受け付けています・・・"));
        QVERIFY(!timer->isActive());
        QCOMPARE(line.objectName(), QStringLiteral("stxtStatus"));
    }

    void lastingMessageStays() {
        auto* timer = new ManualTimer;
        StatusLine line(nullptr, timer);
        line.ShowStatus(QStringLiteral("変換するファイルを選んでください"), false);
        QVERIFY(!timer->isActive());
        timer->advance(60000);
        QCOMPARE(line.text(), QStringLiteral("変換するファイルを選んでください"));
    }

    void revertingMessageGivesWayAfterOneSecond() {
        auto* timer = new ManualTimer;
        StatusLine line(nullptr, timer);
        line.ShowStatus(QStringLiteral("設定を変更しました"), true);
        QVERIFY(timer->isActive());
        timer->advance(999);
        QCOMPARE(line.text(), QStringLiteral("設定を変更しました"));
        timer->advance(1);
        QCOMPARE(line.text(), kIdle);
        // One tick only: the handler stops the timer.
        QVERIFY(!timer->isActive());
    }

    void secondRevertingMessageGetsAFullSecond() {
        auto* timer = new ManualTimer;
        StatusLine line(nullptr, timer);
        line.ShowStatus(QStringLiteral("first"), true);
        timer->advance(500);
        line.ShowStatus(QStringLiteral("second"), true);
        timer->advance(500); // when the first one's second would be over
        QCOMPARE(line.text(), QStringLiteral("second"));
        timer->advance(499);
        QCOMPARE(line.text(), QStringLiteral("second"));
        timer->advance(1);
        QCOMPARE(line.text(), kIdle);
    }

    void lastingMessageCancelsPendingRevert() {
        auto* timer = new ManualTimer;
        StatusLine line(nullptr, timer);
        line.ShowStatus(QStringLiteral("コンバート処理を中断しました"), true);
        timer->advance(300);
        line.ShowStatus(QStringLiteral("保存ファイル名を設定してください"), false);
        QVERIFY(!timer->isActive());
        timer->advance(5000);
        QCOMPARE(line.text(), QStringLiteral("保存ファイル名を設定してください"));
    }

    void revertingAfterLastingStillReverts() {
        auto* timer = new ManualTimer;
        StatusLine line(nullptr, timer);
        line.ShowStatus(QStringLiteral("lasting"), false);
        line.ShowStatus(QStringLiteral("reverting"), true);
        timer->advance(1000);
        QCOMPARE(line.text(), kIdle);
    }

    void textIsShownLiterally() {
        StatusLine line(nullptr, new ManualTimer);
        line.ShowStatus(QStringLiteral("A&B <b>c</b>"), false);
        QCOMPARE(line.text(), QStringLiteral("A&B <b>c</b>"));
        QCOMPARE(line.textFormat(), Qt::PlainText);
    }

    void realTimerRunsOneSecondAndStopsOnLastingMessage() {
        StatusLine line;
        auto& timer = static_cast<shell::QtStatusTimer&>(line.STextTimer());
        QVERIFY(!timer.isActive());
        line.ShowStatus(QStringLiteral("reverting"), true);
        QVERIFY(timer.isActive());
        QCOMPARE(timer.timer().interval(), 1000);
        line.ShowStatus(QStringLiteral("lasting"), false);
        QVERIFY(!timer.isActive());
        line.ShowStatus(QStringLiteral("reverting"), true);
        line.STextTimerTimer();
        QCOMPARE(line.text(), kIdle);
        QVERIFY(!timer.isActive());
    }
};

QTEST_MAIN(StatusLineTest)
#include "status_line_test.moc"
