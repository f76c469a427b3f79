#include "record_tree_view.h"

#include <QTreeWidget>

namespace tavrino {

QString nodeKey(const QTreeWidgetItem* item) { return item ? item->data(0, Qt::UserRole).toString() : QString(); }

void showRecordTree(QTreeWidget* tree, const RecordTree& model) {
    tree->setUpdatesEnabled(false);
    tree->clear();
    QList<QTreeWidgetItem*> roots;
    roots.reserve(model.roots.size());
    QTreeWidgetItem* selected = nullptr;
    for (const TreeNode& root : model.roots) {
        auto* item = new QTreeWidgetItem(QStringList{root.text});
        item->setData(0, Qt::UserRole, root.key);
        QList<QTreeWidgetItem*> children;
        children.reserve(root.children.size());
        for (const TreeNode& child : root.children) {
            auto* c = new QTreeWidgetItem(QStringList{child.text});
            c->setData(0, Qt::UserRole, child.key);
            if (child.key == model.selectKey) selected = c;
            children.append(c);
        }
        item->addChildren(children);
        if (root.key == model.selectKey) selected = item;
        roots.append(item);
    }
    tree->addTopLevelItems(roots);
    if (selected) {
        if (selected->parent()) selected->parent()->setExpanded(true);
        selected->setExpanded(true);
        tree->setCurrentItem(selected);
        tree->scrollToItem(selected);
    }
    tree->setUpdatesEnabled(true);
}

} // namespace tavrino
