#include "shell/status_line.h"

#include "shell/fonts.h"

#include <QPainter>
#include <QResizeEvent>
#include <QStyle>
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

ElidedLabel::ElidedLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
}

void ElidedLabel::showText(const QString& text) {
    setText(text);
    updateToolTip();
}

bool ElidedLabel::isCut() const {
    return fontMetrics().horizontalAdvance(text()) > contentsRect().width();
}

void ElidedLabel::updateToolTip() {
    setToolTip(isCut() ? text() : QString());
}

void ElidedLabel::paintEvent(QPaintEvent* event) {
    if (!isCut()) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    drawFrame(&painter);
    const QRect room = contentsRect();
    const QString shown = fontMetrics().elidedText(text(), Qt::ElideRight, room.width());
    style()->drawItemText(&painter, room, int(alignment()), palette(), isEnabled(), shown,
                          foregroundRole());
}

void ElidedLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    updateToolTip();
}

StatusLine::StatusLine(QWidget* parent, StatusTimer* timer)
    : ElidedLabel(parent), m_timer(timer ? timer : new QtStatusTimer(this)) {
    setObjectName(QStringLiteral("stxtStatus"));
    m_timer->setObjectName(QStringLiteral("STextTimer"));
    if (!m_timer->parent())
        m_timer->setParent(this);
    setFont(ProportionalGothic());
    // Shown literally: no rich text, no access keys.
    setTextFormat(Qt::PlainText);
    showText(QString::fromUtf16(kIdleStatus));
    connect(m_timer, &StatusTimer::timeout, this, &StatusLine::STextTimerTimer);
}

void StatusLine::ShowStatus(const QString& text, bool revert) {
    // A lasting message cancels the revert of an earlier one, so the revert cannot wipe out a
    // progress message of a conversion.
    m_timer->stop();
    showText(text);
    if (revert)
        m_timer->start(kRevertMilliseconds);
}

void StatusLine::STextTimerTimer() {
    showText(QString::fromUtf16(kIdleStatus));
    m_timer->stop();
}

} // namespace shell
