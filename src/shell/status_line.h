#pragma once

#include <QLabel>
#include <QObject>

#include <memory>

class QTimer;

namespace shell {

inline constexpr char16_t kIdleStatus[] = u"ユーザーからの入力を受け付けています・・・";

// The one-shot timer behind a reverting message. An interface so that tests can move time on
// by hand instead of waiting.
class StatusTimer : public QObject {
    Q_OBJECT
  public:
    using QObject::QObject;
    virtual void start(int milliseconds) = 0; // restarts when running
    virtual void stop() = 0;
    virtual bool isActive() const = 0;

  signals:
    void timeout();
};

// StatusTimer on a QTimer.
class QtStatusTimer final : public StatusTimer {
    Q_OBJECT
  public:
    explicit QtStatusTimer(QObject* parent = nullptr);
    void start(int milliseconds) override;
    void stop() override;
    bool isActive() const override;
    const QTimer& timer() const { return *m_timer; }

  private:
    QTimer* m_timer;
};

// A one-line label that draws a text longer than its room cut at the end with "…"; the whole text
// is then its tooltip. text() stays the whole text.
class ElidedLabel : public QLabel {
    Q_OBJECT
  public:
    explicit ElidedLabel(QWidget* parent = nullptr);
    void showText(const QString& text);
    bool isCut() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void updateToolTip();
};

// The status line `stxtStatus`: the idle text at rest; a message either lasts until the next
// one or gives way to the idle text a second after it was shown.
class StatusLine final : public ElidedLabel {
    Q_OBJECT
  public:
    static constexpr int kRevertMilliseconds = 1000;

    // Without a timer of its own choosing it runs on a QTimer.
    explicit StatusLine(QWidget* parent = nullptr, StatusTimer* timer = nullptr);

    void ShowStatus(const QString& text, bool revert);
    StatusTimer& STextTimer() { return *m_timer; }

  public slots:
    void STextTimerTimer();

  private:
    StatusTimer* m_timer;
};

} // namespace shell
