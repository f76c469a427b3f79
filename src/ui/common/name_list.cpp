#include "name_list.h"

#include "shell/visible_text.h"

#include <QComboBox>

namespace tavrino {

void showNames(QComboBox* box, const QStringList& names) {
    box->clear();
    for (const QString& name : names) box->addItem(visibleText(name), name);
}

QString chosenName(const QComboBox* box) {
    return box->currentData().toString();
}

QStringList shownNames(const QComboBox* box) {
    QStringList names;
    for (int i = 0; i < box->count(); ++i) names << box->itemData(i).toString();
    return names;
}

bool chooseName(QComboBox* box, const QString& name) {
    const int at = box->findData(name);
    if (at < 0) return false;
    box->setCurrentIndex(at);
    return true;
}

} // namespace tavrino
