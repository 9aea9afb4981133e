#include "shell/status_line.h"

#include "shell/fonts.h"

#include <QTimer>

namespace shell {

QtStatusTimer::QtStatusTimer(QObject* parent) : StatusTimer(parent), m_timer(new QTimer(this)) {
    connect(m_timer, &QTimer::timeout, this, &StatusTimer::timeout);
}

void QtStatusTimer::start(int milliseconds) {
    m_timer->start(milliseconds);
}
void QtStatusTimer::stop() {
    m_timer->stop();
}
bool QtStatusTimer::isActive() const {
    return m_timer->isActive();
}

StatusLine::StatusLine(QWidget* parent, StatusTimer* timer)
    : QLabel(parent), m_timer(timer ? timer : new QtStatusTimer(this)) {
    setObjectName(QStringLiteral("stxtStatus"));
    m_timer->setObjectName(QStringLiteral("STextTimer"));
    if (!m_timer->parent())
        m_timer->setParent(this);
    setFont(ProportionalGothic());
    // Shown literally: no rich text, no access keys.
    setTextFormat(Qt::PlainText);
    setText(QString::fromUtf16(kIdleStatus));
    connect(m_timer, &StatusTimer::timeout, this, &StatusLine::STextTimerTimer);
}

void StatusLine::ShowStatus(const QString& text, bool revert) {
    // A lasting message cancels the revert of an earlier one, so the revert cannot wipe out a
    // progress message of a conversion.
    m_timer->stop();
    setText(text);
    if (revert)
        m_timer->start(kRevertMilliseconds);
}

void StatusLine::STextTimerTimer() {
    setText(QString::fromUtf16(kIdleStatus));
    m_timer->stop();
}

} // namespace shell
