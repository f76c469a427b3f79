#pragma once

#include <QStringList>

class QComboBox;

namespace tavrino {

// Profile names in a list to choose from. Anyone who may write the database
// folder can give a file a name with a line break or terminal escapes in
// it, so a name is shown with such characters visibly escaped, and kept as
// it is for the program.
void showNames(QComboBox* box, const QStringList& names);
// The chosen name as it is; empty when none is.
QString chosenName(const QComboBox* box);
QStringList shownNames(const QComboBox* box);
// Chooses the name, as it is; false when the list does not have it.
bool chooseName(QComboBox* box, const QString& name);

} // namespace tavrino
