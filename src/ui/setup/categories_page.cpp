#include "categories_page.h"

#include "shell/message_service.h"
#include "shell/single_instance.h"
#include "store/profile.h"
#include "ui/common/store_runner.h"
#include "ui/common/session_state.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

namespace tavrino {

namespace {
QString nameOf(const QString& line) {
    return line.section(QLatin1Char('|'), 1, 1);
}
} // namespace

CategoriesPage::CategoriesPage(VaultServices& services)
    : SetupPage(QStringLiteral("Category"), services), m_list(new QListWidget) {
    m_list->setAccessibleName(QStringLiteral("Categories"));
    layOutAsList(m_list, QStringLiteral("New"), QStringLiteral("New Category"));
}

SetupTools CategoriesPage::enter() {
    fillList();
    return {true, true, false, false};
}

void CategoriesPage::fillList() {
    m_s.session.isFilling = true;
    BusyPointer();
    m_list->clear();
    m_list->addItems(m_s.profile.Categories.names());
    NormalPointer();
    m_list->setCurrentRow(-1);
    m_list->clearSelection();
    m_s.session.isFilling = false;
}

int CategoriesPage::positionOf(const QString& name) const {
    if (name.isEmpty()) return 0;
    const CategoryList& categories = m_s.profile.Categories;
    for (qsizetype i = 1; i <= categories.count(); ++i)
        if (nameOf(categories.item(i)) == name) return static_cast<int>(i);
    return 0;
}

void CategoriesPage::add() {
    emit toolsChanged({true, false, true, true});
    showEntry(true);
    m_entry->clear();
    m_entry->setFocus();
}

bool CategoriesPage::addCategory() {
    const QString name = m_entry->text().trimmed();
    if (name.isEmpty()) {
        m_s.messages.show(QStringLiteral("You have not specified a Category!"));
        return false;
    }
    if (name.contains(QLatin1Char('|'))) {
        m_s.messages.show(QStringLiteral("A Category can not contain the character \"|\"!"),
                          QStringLiteral("Tavrino"), MsgIcon::Warning);
        return false;
    }
    // Two names that differ only in letter case would make the profile unreadable.
    CategoryList& categories = m_s.profile.Categories;
    bool taken = positionOf(name) > 0;
    for (qsizetype i = 1; !taken && i <= categories.count(); ++i)
        taken = nameOf(categories.item(i)).compare(name, Qt::CaseInsensitive) == 0;
    if (taken) {
        m_s.messages.show(QStringLiteral("This Category already exists!"));
        return false;
    }
    const bool added =
        categories.add(Profile::categoryLine(name), QLatin1Char('C') + name.toUpper());
    if (added && changeKept(m_s.runner.save()))
        categories.remove(categories.count());
    noteSave();
    m_entry->clear();
    fillList();
    return added && m_s.profile.ProfileSaved;
}

void CategoriesPage::save() {
    BusyPointer();
    addCategory();
    showEntry(false);
    emit toolsChanged({true, true, false, false});
    emit dirtyChanged(false);
    m_list->setFocus();
    fillList();
    NormalPointer();
}

void CategoriesPage::cancel() {
    fillList();
    emit dirtyChanged(false);
    emit toolsChanged({true, true, false, false});
    showEntry(false);
    m_list->setFocus();
}

void CategoriesPage::remove() {
    QListWidgetItem* selected = m_list->currentItem();
    if (!selected || !selected->isSelected()) return;
    CategoryList& categories = m_s.profile.Categories;
    const int position = positionOf(selected->text().trimmed());
    QString removedLine;
    QString removedKey;
    if (position > 0) {
        removedLine = categories.item(position);
        removedKey = categories.keyAt(position);
        categories.remove(position);
    }
    BusyPointer();
    const SaveOutcome outcome = m_s.runner.save();
    if (changeKept(outcome)) {
        // Not on disk: the category stays, in its place.
        if (position > 0) categories.insert(position, removedLine, removedKey);
    } else {
        delete m_list->takeItem(m_list->row(selected));
    }
    noteSave();
    // Another workstation's list was read, or merged with ours.
    if (outcome != SaveOutcome::Saved) fillList();
    NormalPointer();
    m_entry->hide();
    m_s.session.isFilling = true;
    m_entry->clear();
    m_s.session.isFilling = false;
}

} // namespace tavrino
