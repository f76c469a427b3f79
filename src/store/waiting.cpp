#include "waiting.h"

#include "shell/clock.h"
#include "shell/message_service.h"
#include "store/format_conversion.h"
#include "store/profile_manager.h"

namespace tavrino {

void runWaiting(PauseService& pause, const std::function<StoreStep(bool lastAttempt)>& attempt) {
    for (int n = 1; n <= ProfileStore::Attempts; ++n) {
        if (attempt(n == ProfileStore::Attempts) == StoreStep::Finished) return;
        pause.pause(ProfileStore::RetryPauseMs);
    }
}

void WaitingStore::showNotices() {
    for (const Message& m : m_store.takeNotices())
        m_messages.show(m);
}

bool WaitingStore::read(bool showErrors) {
    runWaiting(m_pause, [&](bool last) { return m_store.read(showErrors, last); });
    showNotices();
    return m_store.profile().ProfileLoaded;
}

SaveOutcome WaitingStore::save() {
    m_keptBoth = 0;
    for (;;) {
        runWaiting(m_pause, [&](bool last) { return m_store.save(last); });
        showNotices();
        if (m_store.lastSaveOutcome() != SaveOutcome::NeedsChoice) break;
        // Nobody to ask: both versions of a record changed on both sides stay.
        for (const MergeConflict& conflict : m_store.takeConflicts()) {
            m_store.resolve(conflict, ConflictChoice::KeepBoth);
            ++m_keptBoth;
        }
    }
    const SaveOutcome outcome = m_store.lastSaveOutcome();
    return m_keptBoth > 0 && outcome == SaveOutcome::Saved ? SaveOutcome::Merged : outcome;
}

bool WaitingStore::open(ProfileManager& profiles, const QString& name) {
    bool opened = false;
    runWaiting(m_pause, [&](bool last) { return profiles.tryOpenProfile(name, last, opened); });
    showNotices();
    return opened;
}

bool WaitingStore::convertTo(bool sealed) {
    FormatConversion conversion(m_store, sealed);
    if (!conversion.isPossible()) {
        if (!conversion.refusal().isEmpty()) m_messages.show(conversion.refusal());
        return false;
    }
    runWaiting(m_pause, [&](bool last) { return conversion.attempt(last); });
    const bool converted = conversion.finish();
    showNotices();
    return converted;
}

} // namespace tavrino
