#include "lock_controller.h"

#include "shell/clock.h"
#include "shell/settings_store.h"
#include "ui/common/session_state.h"

#include <QTimer>

#include <algorithm>
#include <cstdint>
#include <limits>

namespace tavrino {

LockController::LockController(VaultServices& services, QObject* parent)
    : QObject(parent), m_s(services), m_idleTimer(new QTimer(this)),
      m_popupTimer(new QTimer(this)) {
    // Precise: a coarse timer may fire early and so miss the limit by a whole interval.
    m_idleTimer->setTimerType(Qt::PreciseTimer);
    m_idleTimer->setInterval(IdleCheckMs);
    m_popupTimer->setInterval(60000);
    connect(m_idleTimer, &QTimer::timeout, this, &LockController::checkIdle);
    connect(m_popupTimer, &QTimer::timeout, this, &LockController::popupTimeUp);
}

void LockController::noteActivity() {
    m_s.session.lastActivity = m_s.clock.now();
}

void LockController::startAfterLogin() {
    QString timer;
    if (m_s.settings.ReadSetting(QStringLiteral("Timer"), timer) &&
        SettingsStore::numericValue(timer) > 0)
        m_idleTimer->start(IdleCheckMs);
}

void LockController::stop() {
    m_idleTimer->stop();
}

bool LockController::isRunning() const {
    return m_idleTimer->isActive();
}

void LockController::hold() {
    m_idleTimer->stop();
}

void LockController::resume() {
    if (m_s.session.loginOk && m_s.session.autoLockMinutes > 0)
        m_idleTimer->start(IdleCheckMs);
    else
        m_idleTimer->stop();
}

void LockController::checkIdle() {
    // Auto-lock switched off: never a lock, whatever started the timer.
    if (m_s.session.autoLockMinutes <= 0 || !m_s.session.loginOk) {
        m_idleTimer->stop();
        return;
    }
    const QDateTime now = m_s.clock.now();
    // No activity recorded yet counts as idle since the beginning of time.
    const qint64 idleMs = m_s.session.lastActivity.isValid()
                              ? m_s.session.lastActivity.msecsTo(now)
                              : std::numeric_limits<qint64>::max();
    const qint64 limitMs =
        static_cast<qint64>(static_cast<std::int32_t>(m_s.session.autoLockMinutes * 60)) * 1000;
    if (idleMs >= limitMs) {
        m_idleTimer->stop();
        emit lockDue();
        return;
    }
    // The next look comes when the limit will be reached, not a whole
    // interval later (activity meanwhile only moves the limit on).
    if (m_idleTimer->isActive())
        m_idleTimer->start(static_cast<int>(std::min<qint64>(IdleCheckMs, limitMs - idleMs)));
}

int LockController::nextCheckMs() const {
    return m_idleTimer->isActive() ? m_idleTimer->interval() : 0;
}

void LockController::startPopupTimer() {
    if (!m_popupTimer->isActive()) m_popupTimer->start();
}

bool LockController::popupTimerRunning() const {
    return m_popupTimer->isActive();
}

void LockController::popupTimeUp() {
    m_popupTimer->stop();
    emit popupDue();
}

} // namespace tavrino
