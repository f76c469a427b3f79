#pragma once

#include "store/profile_store.h"

#include <functional>

namespace tavrino {

class MessageService;
class PauseService;
class ProfileManager;

// The command-line tool's way of waiting for another workstation's save:
// attempts with pauses between them, blocking. A window never waits this
// way (it keeps answering and offers to stop waiting).
void runWaiting(PauseService& pause, const std::function<StoreStep(bool lastAttempt)>& attempt);

// The store's steps run to the end with runWaiting; the store's notices go
// to messages once each is over.
class WaitingStore {
public:
    WaitingStore(ProfileStore& store, PauseService& pause, MessageService& messages)
        : m_store(store), m_pause(pause), m_messages(messages) {}

    bool read(bool showErrors = true);
    // Records both sides changed are kept in both versions (no one to ask):
    // keptBoth tells how many the last save kept so.
    SaveOutcome save();
    int keptBoth() const { return m_keptBoth; }
    bool open(ProfileManager& profiles, const QString& name);
    bool convertTo(bool sealed);
    void showNotices();

private:
    ProfileStore& m_store;
    PauseService& m_pause;
    MessageService& m_messages;
    int m_keptBoth = 0;
};

} // namespace tavrino
