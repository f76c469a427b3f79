#pragma once

#include "ui/tree/tree_builder.h"

#include <QAbstractItemModel>

class QTreeView;

namespace tavrino {

// The record tree as an item model: a rebuild swaps the whole tree in one
// reset instead of creating thousands of items. Every node answers its key
// under Qt::UserRole.
class RecordTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    using QAbstractItemModel::QAbstractItemModel;

    void setTree(RecordTree tree);
    const RecordTree& tree() const { return m_tree; }
    QModelIndex indexOfKey(const QString& key) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& = {}) const override { return 1; }
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    const TreeNode* node(const QModelIndex& index) const;
    RecordTree m_tree;
};

// Shows a built tree in the view: the node to select is opened, selected and
// scrolled to.
void showRecordTree(QTreeView* view, RecordTreeModel* model, RecordTree tree);
QString nodeKey(const QModelIndex& index);

} // namespace tavrino
