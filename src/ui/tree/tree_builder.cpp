#include "tree_builder.h"

#include "ui/tree/date_text.h"

#include <QHash>
#include <QSet>

#include <algorithm>

namespace tavrino {

const QString ExpiringMarker = QStringLiteral(" <!!! Expiring Date>");
const QString NoCategoryKey = QStringLiteral("<None>");

QString recordKey(qsizetype position) { return QLatin1Char('C') + QString::number(position); }

qsizetype recordPosition(const QString& key) {
    if (!key.startsWith(QLatin1Char('C'))) return 0;
    bool ok = false;
    const qsizetype n = key.mid(1).toLongLong(&ok);
    return ok && n > 0 ? n : 0;
}

namespace {

// One key space for every node, as in a tree control.
struct Builder {
    RecordTree tree;
    QHash<QString, qsizetype> rootIndex;
    QSet<QString> keys;

    void addRoot(const QString& key) {
        if (key.isEmpty() || keys.contains(key)) return;
        keys.insert(key);
        rootIndex.insert(key, tree.roots.size());
        tree.roots.append({key, key, {}});
    }
    bool addChild(const QString& group, const QString& key, const QString& text) {
        const auto it = rootIndex.constFind(group);
        if (it == rootIndex.cend() || keys.contains(key)) return false;
        keys.insert(key);
        tree.roots[it.value()].children.append({key, text, {}});
        return true;
    }
};

QString letterGroup(const QString& description) {
    const QString trimmed = description.trimmed();
    if (trimmed.isEmpty()) return QStringLiteral("?");
    const QChar first = trimmed[0].toUpper();
    return first >= QLatin1Char('A') && first <= QLatin1Char('Z') ? QString(first) : QStringLiteral("?");
}

} // namespace

RecordTree buildRecordTree(const QStringList& recordLines, const QStringList& categoryNames,
                           bool showByCategory, const QDate& today, const QString& selectionKey) {
    Builder b;
    b.keys.reserve(recordLines.size() + categoryNames.size() + 30);
    if (showByCategory) {
        for (const QString& name : categoryNames) b.addRoot(name);
        b.addRoot(NoCategoryKey);
    } else {
        for (char c = 'A'; c <= 'Z'; ++c) b.addRoot(QString(QLatin1Char(c)));
        b.addRoot(QStringLiteral("?"));
    }

    QString expiringKey;
    for (qsizetype n = 1; n <= recordLines.size(); ++n) {
        const QStringList f = recordLines[n - 1].split(QLatin1Char('|'));
        const QString description = f.value(2);
        const QString userCode = f.value(3);

        bool expiring = false;
        if (const auto date = expiryDate(f.value(6), today); date && today.daysTo(*date) <= 7) {
            expiring = true;
            b.tree.warnExpiring = true;
        }

        QString group = showByCategory ? f.value(1) : letterGroup(description);
        QString suffix;
        if (expiring) {
            suffix = ExpiringMarker;
            expiringKey = recordKey(n);
        }
        if (!showByCategory && group == u"?") suffix = userCode;
        if (group.isEmpty()) {
            group = NoCategoryKey;
            if (description.trimmed().isEmpty()) suffix = userCode;
        }
        b.addChild(group, recordKey(n), description + suffix);
    }

    for (TreeNode& root : b.tree.roots)
        std::stable_sort(root.children.begin(), root.children.end(), [](const TreeNode& a, const TreeNode& c) {
            return a.text.compare(c.text, Qt::CaseInsensitive) < 0;
        });

    const QString wanted = expiringKey.isEmpty() ? selectionKey : expiringKey;
    if (b.keys.contains(wanted)) b.tree.selectKey = wanted;
    return b.tree;
}

} // namespace tavrino
