#pragma once

#include "store/profile_store.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <optional>

class QWidget;

namespace tavrino {

class MessageService;
class ProfileManager;

// Runs the store's opens and saves for the windows. While another
// workstation's save holds the profile, the attempts go on a timer apart in
// a small wait window that says what it waits for and offers Cancel: the
// program keeps answering, and nothing else can start a save meanwhile. The
// store's notices are shown once it has finished and given the lock back.
//
// A window holds a Busy for as long as it brings memory and screen in line
// with a save's outcome; a lock that falls due meanwhile waits for idle().
class StoreRunner : public QObject {
    Q_OBJECT
public:
    StoreRunner(ProfileStore& store, ProfileManager& profiles, MessageService& messages,
                QObject* parent = nullptr);

    // Between attempts: ProfileStore::RetryPauseMs, shorter in tests.
    void setRetryPauseMs(int ms) { m_retryPauseMs = ms; }
    int retryPauseMs() const { return m_retryPauseMs; }
    // The window the wait window belongs to.
    void setWaitParent(QWidget* parent) { m_waitParent = parent; }
    // Asks what stays of a record both sides changed: the conflict dialog,
    // or a test's script.
    using ConflictQuestion = std::function<ConflictChoice(const MergeConflict&)>;
    void setConflictQuestion(ConflictQuestion question) { m_askConflict = std::move(question); }

    // Saves the profile; where another workstation changed the same record
    // meanwhile, the user chooses what stays, and it is saved again. When
    // nothing is saved, memory is as it was before.
    SaveOutcome save();
    // After a login: the change that met another workstation's new login.
    SaveOutcome savePendingChange();
    // After a login: takes in every conflict copy a sync tool left of the
    // open profile (CopyIntake), saves once if they brought anything, and
    // removes them. Every save takes them in as well.
    void takeInConflictCopies();
    bool open(const QString& name);
    bool convertTo(bool sealed);
    // A login (login calls the store's logIn or logInByAnswers): waits like
    // a save while a sealed profile's read meets another workstation's save.
    // Nothing when the user stopped waiting.
    std::optional<bool> logIn(const std::function<bool()>& login);
    void showNotices();

    bool isBusy() const { return m_busy > 0; }

    class Busy {
    public:
        explicit Busy(StoreRunner& runner);
        ~Busy();
        Busy(const Busy&) = delete;
        Busy& operator=(const Busy&) = delete;

    private:
        StoreRunner& m_runner;
    };

signals:
    // The wait window shows, with the attempt it waits for.
    void waiting(int attempt);
    // No save is running, nor being taken in by a window any more.
    void idle();
    // A short line for the bottom of the window: a save merged with another
    // user's without any question.
    void note(const QString& text);

private:
    // False when the user stopped waiting.
    bool runAttempts(const std::function<StoreStep(bool lastAttempt)>& attempt);
    SaveOutcome saveUntilDecided(bool merged);
    SaveOutcome saveWithCopies(bool onlyForCopies);

    ProfileStore& m_store;
    ProfileManager& m_profiles;
    MessageService& m_messages;
    QPointer<QWidget> m_waitParent;
    int m_retryPauseMs = ProfileStore::RetryPauseMs;
    int m_busy = 0;
    ConflictQuestion m_askConflict;
};

} // namespace tavrino
