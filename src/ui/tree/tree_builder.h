#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

namespace tavrino {

// A group node (key set, position 0) or a record node (its position in the
// record list; its key is "C" + position, made when asked for).
struct TreeNode {
    QString key;
    QString text;
    QList<TreeNode> children;
    qsizetype position = 0;

    QString nodeKey() const;
};

// The record tree as it should show: group nodes in the order added, the
// records under each sorted by text, which record to select, and whether
// the expiry warning is due.
struct RecordTree {
    QList<TreeNode> roots;
    QString selectKey; // a record node to expand and select, or ""
    int expiringCount = 0; // due within 7 days
    int expiredCount = 0;  // past
    bool warnExpiring() const { return expiringCount + expiredCount > 0; }
};

extern const QString ExpiringMarker; // " <!!! Expiring Date>"
extern const QString ExpiredMarker;  // " <!!! Expired>"
extern const QString NoCategoryKey;  // "<None>"

// Groups the record lines ("4|Category|Description|UserCode|...") by
// category or by the description's first letter. A record whose group does
// not exist, or whose key is taken, is left out without a word. Records
// expiring within 7 days of today get the marker; the last of them is selected
// instead of selectionKey.
RecordTree buildRecordTree(const QStringList& recordLines, const QStringList& categoryNames,
                           bool showByCategory, const QDate& today, const QString& selectionKey);

// "C" + position, and back (0 when the key is no record key).
QString recordKey(qsizetype position);
qsizetype recordPosition(const QString& key);

} // namespace tavrino
