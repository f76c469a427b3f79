#pragma once

#include "ui/common/vault_services.h"

#include "store/record_search.h"

#include <QFrame>

class QKeyEvent;
class QLineEdit;
class QListWidget;
class QTreeView;

namespace tavrino {

struct RecordTree;

class RecordTreeModel;

// The records as a tree, grouped by initial letter or by category, with the
// warning about passwords soon to expire.
class TreePanel : public QFrame {
    Q_OBJECT
public:
    TreePanel(VaultServices& services, QWidget* parent);

    // Rebuilds the tree from the profile, selecting the node of that key
    // (none: the last record due to expire). warnExpiring: a box says when
    // passwords have expired or are due to.
    void fill(const QString& selectionKey, bool warnExpiring = false);
    // What that box says (empty: nothing due).
    static QString expiryWarning(const RecordTree& tree);

    // What the user sees of the tree: the selected record (by content,
    // since positions change when the profile is read again), the open
    // groups and the scroll position.
    struct ViewState {
        QString selectedLine;
        QStringList openGroups;
        int scroll = 0;
    };
    ViewState viewState() const;
    // Rebuilt from the profile as read anew, looking as it did.
    void refill(const ViewState& state);
    // A-Z: from letters to categories and back.
    void switchGrouping();
    void focusTree();

    // The key of the selected record node; empty when a group or nothing is selected.
    QString selectedRecordKey() const;

    QTreeView* view() const { return m_view; }
    RecordTreeModel* model() const { return m_model; }
    // Shows nothing (a lock): no record text stays in the list, nor in the
    // search.
    void clear();

    // Ctrl+F: into the search box. While it holds text, the records found
    // show in place of the tree: Up and Down choose, Enter opens, Alt+P
    // the popup, Escape back to the tree.
    void focusSearch();
    QLineEdit* searchBox() const { return m_searchBox; }
    QListWidget* results() const { return m_results; }

signals:
    // The tree was built anew from the profile.
    void filled();
    // Enter, Space or a double click on a record node.
    void recordActivated(const QString& key);
    // A right click on a record node.
    void popupRequested(const QString& key);
    // Ctrl+C (the password) or Ctrl+B (the user code) on a record node or
    // a search result: field is PasswordRecord::Password or UserCode.
    void copyRequested(const QString& key, int field);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void search(const QString& text);
    bool searchKey(QKeyEvent* event);
    bool copyKey(QKeyEvent* event, const QString& key);
    QString chosenResultKey() const;

    VaultServices& m_s;
    QLineEdit* m_searchBox;
    QListWidget* m_results;
    QTreeView* m_view;
    RecordTreeModel* m_model;
    RecordSearch m_search;
};

} // namespace tavrino
