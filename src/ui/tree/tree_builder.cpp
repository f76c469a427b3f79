#include "tree_builder.h"

#include "ui/tree/date_text.h"

#include <QHash>
#include <QSet>

#include <algorithm>

namespace tavrino {

const QString ExpiringMarker = QStringLiteral(" <!!! Expiring Date>");
const QString NoCategoryKey = QStringLiteral("<None>");

QString recordKey(qsizetype position) {
    return QLatin1Char('C') + QString::number(position);
}

QString TreeNode::nodeKey() const {
    return position > 0 ? recordKey(position) : key;
}

qsizetype recordPosition(const QString& key) {
    if (!key.startsWith(QLatin1Char('C'))) return 0;
    bool ok = false;
    const qsizetype n = key.mid(1).toLongLong(&ok);
    return ok && n > 0 ? n : 0;
}

namespace {

// One key space for every node, as in a tree control.
// Record keys ("C" + position) are unique among themselves, so only a
// group named like one can take a record's key.
struct Builder {
    RecordTree tree;
    QHash<QString, qsizetype> rootIndex;
    QSet<qsizetype> shadowed; // record positions whose key a group has taken

    void addRoot(const QString& key) {
        if (key.isEmpty() || rootIndex.contains(key)) return;
        rootIndex.insert(key, tree.roots.size());
        tree.roots.append({key, key, {}, 0});
        if (const qsizetype p = recordPosition(key); p > 0 && key == recordKey(p))
            shadowed.insert(p);
    }
    bool addChild(const QString& group, qsizetype position, const QString& text) {
        const auto it = rootIndex.constFind(group);
        if (it == rootIndex.cend()) return false;
        if (shadowed.contains(position)) return false;
        tree.roots[it.value()].children.append({QString(), text, {}, position});
        return true;
    }
    bool hasKey(const QString& key) const {
        if (rootIndex.contains(key)) return true;
        const qsizetype position = recordPosition(key);
        if (position == 0 || key != recordKey(position)) return false;
        for (const TreeNode& root : tree.roots)
            for (const TreeNode& child : root.children)
                if (child.position == position) return true;
        return false;
    }
};

// The "|"-separated fields of a record line, split only as far as needed.
struct Fields {
    QStringView line;
    qsizetype starts[10];
    int count = 0;
    explicit Fields(const QString& text) : line(text) {
        starts[count++] = 0;
        for (qsizetype i = 0; i < line.size() && count < 10; ++i)
            if (line[i] == QLatin1Char('|')) starts[count++] = i + 1;
    }
    QString value(int index) const {
        if (index >= count) return {};
        const qsizetype end = index + 1 < count ? starts[index + 1] - 1 : line.size();
        return line.mid(starts[index], end - starts[index]).toString();
    }
};

// The order of QString::compare without regard to case, with a quick path
// for plain ASCII, which most texts are.
bool lessIgnoringCase(const QString& a, const QString& b) {
    const qsizetype n = std::min(a.size(), b.size());
    const char16_t* p = reinterpret_cast<const char16_t*>(a.constData());
    const char16_t* q = reinterpret_cast<const char16_t*>(b.constData());
    for (qsizetype i = 0; i < n; ++i) {
        char16_t x = p[i];
        char16_t y = q[i];
        if (x == y) continue;
        if (x < 128 && y < 128) {
            if (x >= u'A' && x <= u'Z') x += 32;
            if (y >= u'A' && y <= u'Z') y += 32;
            if (x != y) return x < y;
            continue;
        }
        return QStringView(a).mid(i).compare(QStringView(b).mid(i), Qt::CaseInsensitive) < 0;
    }
    return a.size() < b.size();
}

QString letterGroup(const QString& description) {
    const QString trimmed = description.trimmed();
    if (trimmed.isEmpty()) return QStringLiteral("?");
    const QChar first = trimmed[0].toUpper();
    return first >= QLatin1Char('A') && first <= QLatin1Char('Z') ? QString(first)
                                                                  : QStringLiteral("?");
}

} // namespace

RecordTree buildRecordTree(const QStringList& recordLines, const QStringList& categoryNames,
                           bool showByCategory, const QDate& today, const QString& selectionKey) {
    Builder b;
    if (showByCategory) {
        for (const QString& name : categoryNames)
            b.addRoot(name);
        b.addRoot(NoCategoryKey);
    } else {
        for (char c = 'A'; c <= 'Z'; ++c)
            b.addRoot(QString(QLatin1Char(c)));
        b.addRoot(QStringLiteral("?"));
    }

    QString expiringKey;
    for (qsizetype n = 1; n <= recordLines.size(); ++n) {
        const Fields f(recordLines[n - 1]);
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
        b.addChild(group, n, description + suffix);
    }

    // Children in ascending order of their text, letter case aside.
    for (TreeNode& root : b.tree.roots)
        std::stable_sort(
            root.children.begin(), root.children.end(),
            [](const TreeNode& x, const TreeNode& y) { return lessIgnoringCase(x.text, y.text); });

    const QString wanted = expiringKey.isEmpty() ? selectionKey : expiringKey;
    if (!wanted.isEmpty() && b.hasKey(wanted)) b.tree.selectKey = wanted;
    return b.tree;
}

} // namespace tavrino
