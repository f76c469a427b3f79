#pragma once

#include "store/profile_merge.h"

#include <QDialog>
#include <QList>

class QCheckBox;
class QLabel;

namespace tavrino {

// The question when another user changed the same field of a record (or
// deleted a record the user changed): the fields that differ side by side,
// before, yours and theirs, passwords masked until revealed, and Keep mine,
// Keep theirs or Keep both. Closing it keeps both: nothing is lost.
class ConflictDialog : public QDialog {
    Q_OBJECT
public:
    explicit ConflictDialog(const MergeConflict& conflict, QWidget* parent = nullptr);

    ConflictChoice choice() const { return m_choice; }
    // The text a cell shows (row from 0, column 0 before, 1 yours, 2 theirs).
    QString cellText(int row, int column) const;
    int rowCount() const { return int(m_cells.size()); }
    void setPasswordsShown(bool shown);

    static ConflictChoice ask(const MergeConflict& conflict, QWidget* parent);

private:
    struct Cell {
        QLabel* label;
        QString text;
        bool secret;
    };
    void choose(ConflictChoice choice);

    ConflictChoice m_choice = ConflictChoice::KeepBoth;
    QList<QList<Cell>> m_cells;
    QCheckBox* m_reveal = nullptr;
};

} // namespace tavrino
