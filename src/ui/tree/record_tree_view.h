#pragma once

#include "ui/tree/tree_builder.h"

class QTreeWidget;
class QTreeWidgetItem;

namespace tavrino {

// Puts a built record tree into the tree control: every node keeps its key
// (Qt::UserRole); the node to select is opened, selected and scrolled to.
void showRecordTree(QTreeWidget* tree, const RecordTree& model);
QString nodeKey(const QTreeWidgetItem* item);

} // namespace tavrino
