#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

namespace tavrino {

// The regular files of a folder, by name, read in one listing: on a network
// folder every look at a file is a round trip, so what can be told from the
// names (which profiles there are, in which format, which are sync tools'
// copies) is told from them. Links and anything else that is no regular
// file are left out: anyone who may write the folder could point a link at
// a file of the user's elsewhere.
class FolderListing {
public:
    FolderListing() = default;
    static FolderListing of(const QString& folder);

    const QString& folder() const { return m_folder; }
    // errno of the listing, 0 when the folder was read.
    int error() const { return m_error; }
    bool has(const QString& fileName) const { return m_names.contains(fileName); }
    // In name order.
    const QStringList& names() const { return m_sorted; }
    // What else the folder holds: links, folders, sockets..., each "NAME"
    // and what it is ("a link"), in name order.
    struct Other {
        QString name;
        QString kind;
    };
    const QList<Other>& others() const { return m_others; }

private:
    QString m_folder;
    QStringList m_sorted;
    QSet<QString> m_names;
    QList<Other> m_others;
    int m_error = 0;
};

} // namespace tavrino
