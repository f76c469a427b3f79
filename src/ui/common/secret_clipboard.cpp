#include "secret_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace tavrino {

const char* const SecretClipboard::SecretHintFormat = "x-kde-passwordManagerHint";

SecretClipboard::SecretClipboard(QObject* parent) : QObject(parent) {
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(ClearAfterMs);
    connect(&m_timer, &QTimer::timeout, this, &SecretClipboard::clear);
    m_tick.setInterval(1000);
    connect(&m_tick, &QTimer::timeout, this, [this] { emit secondsLeftChanged(secondsLeft()); });
    // Cleared before the program lets go of the clipboard, so that no
    // clipboard manager is asked to keep it when we exit.
    if (QCoreApplication::instance())
        connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this,
                &SecretClipboard::clear);
}

SecretClipboard::~SecretClipboard() {
    clear();
}

void SecretClipboard::copy(const QString& text) {
    if (text.isEmpty()) return;
    auto* data = new QMimeData;
    data->setText(text);
    data->setData(QLatin1String(SecretHintFormat), QByteArrayLiteral("secret"));
    QGuiApplication::clipboard()->setMimeData(data, QClipboard::Clipboard);
    m_text = text;
    m_timer.start();
    m_tick.start();
    emit secondsLeftChanged(secondsLeft());
}

void SecretClipboard::clear() {
    m_timer.stop();
    m_tick.stop();
    if (m_text.isEmpty()) return;
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard && clipboard->text(QClipboard::Clipboard) == m_text) {
        // An empty text of ours, not an empty clipboard: on Wayland the
        // compositor keeps the last offer once its owner lets go, so letting
        // go left the password pasteable; an empty offer replaces it.
        auto* empty = new QMimeData;
        empty->setText(QString());
        empty->setData(QLatin1String(SecretHintFormat), QByteArrayLiteral("secret"));
        clipboard->setMimeData(empty, QClipboard::Clipboard);
    }
    m_text.clear();
    emit secondsLeftChanged(0);
}

int SecretClipboard::secondsLeft() const {
    if (m_text.isEmpty() || !m_timer.isActive()) return 0;
    const int left = qMin(m_timer.remainingTime(), m_timer.interval());
    return (left + 999) / 1000;
}

} // namespace tavrino
