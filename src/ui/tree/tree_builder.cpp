#include "tree_builder.h"

#include "store/date_text.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <cstring>
#include <vector>

namespace tavrino {

const QString ExpiringMarker = QStringLiteral(" <!!! Expiring Date>");
const QString ExpiredMarker = QStringLiteral(" <!!! Expired>");
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
    bool addChild(QStringView group, qsizetype position, QString text) {
        // Looked up without a copy of the name.
        const auto it = rootIndex.constFind(QString::fromRawData(group.data(), group.size()));
        return it != rootIndex.cend() && addChildAt(it.value(), position, std::move(text));
    }
    bool addChildAt(qsizetype root, qsizetype position, QString text) {
        if (!shadowed.isEmpty() && shadowed.contains(position)) return false;
        tree.roots[root].children.append({QString(), std::move(text), {}, position});
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
        const char16_t* p = reinterpret_cast<const char16_t*>(text.constData());
        for (qsizetype i = 0; i < text.size() && count < 10; ++i)
            if (p[i] == u'|') starts[count++] = i + 1;
    }
    QString value(int index) const { return view(index).toString(); }
    QStringView view(int index) const {
        if (index >= count) return {};
        const qsizetype end = index + 1 < count ? starts[index + 1] - 1 : line.size();
        return line.mid(starts[index], end - starts[index]);
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

// Appends the text in lower case when it is plain ASCII; false (and nothing
// appended) when it is not.
bool appendAsciiLowered(QByteArray& out, const QString& text) {
    const qsizetype start = out.size();
    out.resize(start + text.size());
    char* d = out.data() + start;
    const char16_t* p = reinterpret_cast<const char16_t*>(text.constData());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = p[i];
        if (c >= 128) {
            out.truncate(start);
            return false;
        }
        d[i] = static_cast<char>(c >= u'A' && c <= u'Z' ? c + 32 : c);
    }
    return true;
}

QStringView letterGroup(QStringView description) {
    static const char16_t letters[] = u"ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    const QStringView trimmed = description.trimmed();
    if (trimmed.isEmpty()) return u"?";
    const QChar first = trimmed[0].toUpper();
    return first >= QLatin1Char('A') && first <= QLatin1Char('Z')
               ? QStringView(letters + (first.unicode() - u'A'), 1)
               : QStringView(u"?");
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
        const QStringView description = f.view(2);

        const ExpiryState expiry = expiryState(f.view(6).toString(), today);
        if (expiry == ExpiryState::Expiring) ++b.tree.expiringCount;
        if (expiry == ExpiryState::Expired) ++b.tree.expiredCount;

        QStringView group = showByCategory ? f.view(1) : letterGroup(description);
        QStringView suffix;
        if (expiry != ExpiryState::None) {
            suffix = expiry == ExpiryState::Expired ? ExpiredMarker : ExpiringMarker;
            expiringKey = recordKey(n);
        }
        if (!showByCategory && group == u"?") suffix = f.view(3);
        if (group.isEmpty()) {
            group = NoCategoryKey;
            if (description.trimmed().isEmpty()) suffix = f.view(3);
        }
        QString text;
        text.reserve(description.size() + suffix.size());
        text.append(description).append(suffix);
        if (showByCategory || group.size() != 1)
            b.addChild(group, n, std::move(text));
        else // the letter roots stand at 0 to 25, "?" at 26
            b.addChildAt(group[0] == u'?' ? 26 : group[0].unicode() - u'A', n, std::move(text));
    }

    // Children in ascending order of their text, letter case aside: their
    // places sorted, then each node moved once (moving nodes in the sort
    // itself cost as much as comparing them).
    for (TreeNode& root : b.tree.roots) {
        QList<TreeNode>& children = root.children;
        std::vector<qsizetype> order(static_cast<std::size_t>(children.size()));
        // Plain ASCII texts lower-cased, side by side in one buffer.
        QByteArray lowered;
        qsizetype characters = 0;
        for (const TreeNode& child : std::as_const(children))
            characters += child.text.size();
        lowered.reserve(characters);
        std::vector<std::pair<qsizetype, qsizetype>> spans(order.size()); // start, length or -1
        for (std::size_t i = 0; i < order.size(); ++i) {
            order[i] = static_cast<qsizetype>(i);
            const qsizetype start = lowered.size();
            spans[i] = {start, appendAsciiLowered(lowered, children.at(order[i]).text)
                                   ? lowered.size() - start
                                   : -1};
        }
        std::stable_sort(order.begin(), order.end(), [&](qsizetype x, qsizetype y) {
            const auto [ax, an] = spans[static_cast<std::size_t>(x)];
            const auto [bx, bn] = spans[static_cast<std::size_t>(y)];
            if (an >= 0 && bn >= 0) { // the same order, compared many bytes at a time
                const int c = std::memcmp(lowered.constData() + ax, lowered.constData() + bx,
                                          static_cast<size_t>(std::min(an, bn)));
                return c != 0 ? c < 0 : an < bn;
            }
            return lessIgnoringCase(children.at(x).text, children.at(y).text);
        });
        QList<TreeNode> sorted;
        sorted.reserve(children.size());
        for (const qsizetype i : order)
            sorted.append(std::move(children[i]));
        children = std::move(sorted);
    }

    // The record the user was at stays selected; with none, the last one due.
    const QString wanted = selectionKey.isEmpty() ? expiringKey : selectionKey;
    if (!wanted.isEmpty() && b.hasKey(wanted)) b.tree.selectKey = wanted;
    return b.tree;
}

} // namespace tavrino
