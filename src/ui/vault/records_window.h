#pragma once

#include "store/record_search.h"

#include <QAbstractTableModel>
#include <QWidget>

class QLabel;
class QLineEdit;
class QTableView;

namespace tavrino {

struct Profile;

// The records as a table (description, user code, category, web site,
// e-mail, expiry date; never the password), one row each, or only those a
// search finds.
class RecordTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit RecordTableModel(const Profile& profile, QObject* parent = nullptr);

    // Every record (empty query) or those found; rows follow the profile.
    void show(const QString& query);
    // Nothing shown (a lock).
    void clear();
    qsizetype positionAt(int row) const { return m_positions.value(row); }
    qsizetype total() const { return m_total; } // shown
    qsizetype recordCount() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const Profile& m_profile;
    RecordSearch m_search;
    QList<qsizetype> m_positions; // 1-based
    qsizetype m_total = 0;
};

// A window of its own beside the vault for many records at once: as large
// as the user makes it, with its own search. Enter or a double click opens
// the record in the vault, Alt+P its popup; it closes with a lock.
class RecordsWindow : public QWidget {
    Q_OBJECT
public:
    explicit RecordsWindow(const Profile& profile, QWidget* parent = nullptr);

    // The profile's records again (after a save, a live update, an import).
    void refresh();
    // Closes and lets go of every text (a lock).
    void forget();
    QLineEdit* searchBox() const { return m_search; }
    QTableView* table() const { return m_table; }

signals:
    void recordActivated(const QString& key);
    void popupRequested(const QString& key);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString chosenKey() const;
    void showCount();

    RecordTableModel* m_model;
    QLineEdit* m_search;
    QTableView* m_table;
    QLabel* m_count;
};

} // namespace tavrino
