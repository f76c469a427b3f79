#include "record_tree_view.h"

#include <QColor>
#include <QTreeView>

namespace tavrino {

void RecordTreeModel::setTree(RecordTree tree) {
    beginResetModel();
    m_tree = std::move(tree);
    endResetModel();
}

// A group's index carries 0, a record's the row of its group plus one.
QModelIndex RecordTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0 || row < 0) return {};
    if (!parent.isValid())
        return row < m_tree.roots.size() ? createIndex(row, 0, quintptr(0)) : QModelIndex();
    if (parent.internalId() != 0) return {};
    const TreeNode& group = m_tree.roots[parent.row()];
    return row < group.children.size() ? createIndex(row, 0, quintptr(parent.row() + 1))
                                       : QModelIndex();
}

QModelIndex RecordTreeModel::parent(const QModelIndex& child) const {
    if (!child.isValid() || child.internalId() == 0) return {};
    return createIndex(static_cast<int>(child.internalId() - 1), 0, quintptr(0));
}

int RecordTreeModel::rowCount(const QModelIndex& parent) const {
    if (!parent.isValid()) return static_cast<int>(m_tree.roots.size());
    if (parent.internalId() != 0) return 0;
    return static_cast<int>(m_tree.roots[parent.row()].children.size());
}

const TreeNode* RecordTreeModel::node(const QModelIndex& index) const {
    if (!index.isValid()) return nullptr;
    if (index.internalId() == 0) return &m_tree.roots[index.row()];
    return &m_tree.roots[index.internalId() - 1].children[index.row()];
}

QVariant RecordTreeModel::data(const QModelIndex& index, int role) const {
    const TreeNode* n = node(index);
    if (!n) return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
    case Qt::ToolTipRole: // the whole text, however narrow the window
        return n->text;
    case Qt::ForegroundRole:
        // Recognisable as expiring even where the marker is scrolled out of view.
        if (n->position > 0 && (n->text.endsWith(ExpiringMarker) || n->text.endsWith(ExpiredMarker)))
            return QColor(0xb0, 0x30, 0x30);
        return {};
    case Qt::UserRole:
        return n->nodeKey();
    default:
        return {};
    }
}

QModelIndex RecordTreeModel::indexOfKey(const QString& key) const {
    if (key.isEmpty()) return {};
    for (qsizetype r = 0; r < m_tree.roots.size(); ++r) {
        const TreeNode& root = m_tree.roots[r];
        if (root.key == key) return index(static_cast<int>(r), 0);
        const qsizetype position = recordPosition(key);
        for (qsizetype c = 0; position > 0 && c < root.children.size(); ++c)
            if (root.children[c].position == position)
                return createIndex(static_cast<int>(c), 0, quintptr(r + 1));
    }
    return {};
}

QString nodeKey(const QModelIndex& index) {
    return index.data(Qt::UserRole).toString();
}

void showRecordTree(QTreeView* view, RecordTreeModel* model, RecordTree tree) {
    const QString selectKey = tree.selectKey;
    model->setTree(std::move(tree));
    const QModelIndex selected = model->indexOfKey(selectKey);
    if (selected.isValid()) {
        if (selected.parent().isValid()) view->expand(selected.parent());
        view->expand(selected);
        view->setCurrentIndex(selected);
        view->scrollTo(selected);
    }
}

} // namespace tavrino
