#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>

namespace tavrino {

class ProfileStore;

// Looks at the open profile's file every few seconds for a save made
// elsewhere (another workstation, another window, the command-line tool).
// A look at a network folder can hang as long as the network does, so it
// runs off the window's thread; only a changed file is read, and none while
// a save is in progress there. A change the window could not take in yet
// (something unsaved on screen) is not read again at every look: it is
// offered again from what was read, until the file changes once more.
// A look that hangs (a share that stopped answering) is never waited for:
// the watch goes, and the program ends, without it.
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
    // How a changed file is read (tests count the reads).
    using Reader = std::function<int(const QString& path, QByteArray& content)>;
    void setReader(Reader reader) { m_read = std::move(reader); }

signals:
    // The file no longer looks as the store last knew it: what it holds now.
    void changed(const QByteArray& look, const QByteArray& content);

private:
    struct Look {
        QByteArray look;
        QByteArray content;
        bool seenBefore = false; // the file as read at an earlier look
    };
    static Look lookAt(const QString& path, const QByteArray& known, const QByteArray& seen,
                       const Reader& read);
    void looked(const Look& look);

    // What a look in flight, which may outlive the watch, answers to.
    struct Receiver;
    ProfileStore& m_store;
    QTimer m_timer;
    std::shared_ptr<Receiver> m_receiver;
    bool m_looking = false;
    Reader m_read;
    Look m_seen; // the last change read, offered again while not taken in
};

} // namespace tavrino
