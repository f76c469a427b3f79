#pragma once

#include <QByteArray>
#include <QFutureWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

namespace tavrino {

class ProfileStore;

// Looks at the open profile's file every few seconds for a save made
// elsewhere (another workstation, another window, the command-line tool).
// A look at a network folder can hang as long as the network does, so it
// runs off the window's thread; only a changed file is read, and none while
// a save is in progress there.
class ProfileWatch : public QObject {
    Q_OBJECT
public:
    static constexpr int DefaultIntervalMs = 2000;

    ProfileWatch(ProfileStore& store, QObject* parent = nullptr);
    ~ProfileWatch() override;

    void start();
    void stop();
    bool isActive() const { return m_timer.isActive(); }
    void setIntervalMs(int ms) { m_timer.setInterval(ms); }
    // A look now, as the timer takes one.
    void lookNow();

signals:
    // The file no longer looks as the store last knew it: what it holds now.
    void changed(const QByteArray& look, const QByteArray& content);

private:
    struct Look {
        QByteArray look;
        QByteArray content;
    };
    static Look lookAt(const QString& path, const QByteArray& known);

    ProfileStore& m_store;
    QTimer m_timer;
    QFutureWatcher<Look> m_looking;
};

} // namespace tavrino
