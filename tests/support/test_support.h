#pragma once

#include "shell/clock.h"
#include "shell/message_service.h"

#include <QByteArray>
#include <QDir>
#include <QEventLoop>
#include <QTimer>
#include <QFile>
#include <QList>
#include <QString>
#include <QTemporaryDir>

#include <functional>
#include <ostream>
#include <stdexcept>

// Readable QString values in test failures.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace tavrino::test {

// Answers queued by the test (Ok/first button when the queue is empty) and
// every message shown, for exact assertions.
class ScriptedMessages : public MessageService {
public:
    using MessageService::show;
    MsgAnswer show(const Message& message) override {
        shown.append(message);
        if (whileShown) {
            // As a real message box does: events run in a loop of its own,
            // and whatever falls due meanwhile happens inside the caller.
            QEventLoop loop;
            QTimer::singleShot(0, &loop, [&] {
                whileShown(message);
                loop.quit();
            });
            loop.exec();
        }
        if (!answers.isEmpty()) return answers.takeFirst();
        switch (message.buttons) {
        case MsgButtons::YesNo:
        case MsgButtons::YesNoCancel:
            return MsgAnswer::Yes;
        default:
            return MsgAnswer::Ok;
        }
    }
    QStringList texts() const {
        QStringList out;
        for (const Message& m : shown)
            out << m.text;
        return out;
    }
    QList<MsgAnswer> answers;
    QList<Message> shown;
    std::function<void(const Message&)> whileShown;
};

class NoPause : public PauseService {
public:
    void pause(int milliseconds) override { pauses.append(milliseconds); }
    QList<int> pauses;
};

class FixedClock : public Clock {
public:
    explicit FixedClock(QDateTime t = QDateTime(QDate(2026, 12, 10), QTime(14, 30, 15, 250)))
        : time(std::move(t)) {}
    QDateTime now() const override { return time; }
    QDateTime time;
};

// The fixtures in tests/fixtures (TAVRINO_FIXTURES, set by CMake). A missing
// one throws, which fails the test that asked with this message instead of
// letting it go on with an empty file.
inline QString fixturePath(const QString& name) {
    const QString path = QStringLiteral(TAVRINO_FIXTURES) + QLatin1Char('/') + name;
    if (!QFile::exists(path))
        throw std::runtime_error("test fixture missing: " + path.toStdString() +
                                 " (tests/fixtures/ must hold the profile fixtures)");
    return path;
}

inline QByteArray readFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

inline bool writeFile(const QString& path, const QByteArray& data) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    return f.write(data) == data.size();
}

// A fixture copied into dir (writable), returning its new path.
inline QString copyFixture(const QTemporaryDir& dir, const QString& name) {
    const QString target = dir.filePath(name);
    QFile::remove(target);
    writeFile(target, readFile(fixturePath(name)));
    return target;
}

} // namespace tavrino::test
