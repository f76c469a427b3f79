#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

namespace tavrino {

// Puts a user code or password on the clipboard for a short while only.
// The copy is marked secret for clipboard managers (KDE's hint, which
// Klipper and others honour by keeping no history of it), and it is taken
// back after ClearAfterMs, when the popup closes, on a lock and at exit:
// only while the clipboard still holds our text, never somebody else's.
class SecretClipboard : public QObject {
    Q_OBJECT
public:
    static constexpr int ClearAfterMs = 10 * 1000;
    static const char* const SecretHintFormat;

    explicit SecretClipboard(QObject* parent = nullptr);
    ~SecretClipboard() override;

    void copy(const QString& text);
    // Empties the clipboard if it still holds what we put there.
    void clear();
    bool holdsSecret() const { return !m_text.isEmpty(); }
    // Whole seconds until the copy is taken back (0 when there is none).
    int secondsLeft() const;
    // Tests shorten the wait.
    void setClearAfterMs(int ms) { m_timer.setInterval(ms); }

signals:
    // Once a second while a copy stands, and 0 when it is gone.
    void secondsLeftChanged(int seconds);

private:
    QString m_text;
    QTimer m_timer;
    QTimer m_tick;
};

} // namespace tavrino
