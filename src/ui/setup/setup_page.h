#pragma once

#include "store/profile_store.h"
#include "ui/common/vault_services.h"

#include <QFrame>

class QLabel;
class QLineEdit;

namespace tavrino {

// Which of the setup toolbar's New, Delete, Save and Cancel a page offers.
struct SetupTools {
    bool add = false;
    bool remove = false;
    bool save = false;
    bool cancel = false;
};

// One page of the setup window. The window's toolbar acts on the page shown;
// the page says what it offers and when it holds unsaved changes.
class SetupPage : public QFrame {
    Q_OBJECT
public:
    SetupPage(const QString& name, VaultServices& services);

    // The page comes into view; what the toolbar offers now.
    virtual SetupTools enter() { return {}; }
    virtual void add() {}
    virtual void save() {}
    virtual void cancel() {}
    // Delete, once the user confirmed it; false where the page has nothing to delete.
    virtual bool canRemove() const { return false; }
    virtual void remove() {}

signals:
    void dirtyChanged(bool dirty);
    void toolsChanged(const SetupTools& tools);
    // A save met another workstation's newer profile, which was read instead.
    void conflictMet(SaveOutcome outcome);

protected:
    // A bold heading, the list, and the hidden box for a new name under it.
    void layOutAsList(QWidget* list, const QString& entryCaption, const QString& entryName);
    void showEntry(bool shown);
    // Reports a conflict of the last save, if it met one.
    void noteSave();

    VaultServices& m_s;
    QLabel* m_entryCaption = nullptr;
    QLineEdit* m_entry = nullptr;
};

} // namespace tavrino
