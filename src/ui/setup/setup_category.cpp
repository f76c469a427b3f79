// The category page: the list, adding and deleting categories.
#include "setup_window.h"

#include "shell/message_service.h"
#include "shell/single_instance.h"
#include "store/profile.h"
#include "store/profile_store.h"
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

void SetupWindow::FillCategoryList() {
    m_s.session.IsFilling = true;
    BusyPointer();
    lstCategory->clear();
    for (const QString& line : m_s.profile.Categories.lines())
        lstCategory->addItem(nameOf(line));
    NormalPointer();
    lstCategory->setCurrentRow(-1);
    lstCategory->clearSelection();
    m_s.session.IsFilling = false;
}

int SetupWindow::FindCategory(const QString& name) const {
    if (name.isEmpty()) return 0;
    const CategoryList& categories = m_s.profile.Categories;
    for (qsizetype i = 1; i <= categories.count(); ++i)
        if (nameOf(categories.item(i)) == name) return static_cast<int>(i);
    return 0;
}

bool SetupWindow::SaveCategory() {
    const QString name = txtCategory->text().trimmed();
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
    bool taken = FindCategory(name) > 0;
    for (qsizetype i = 1; !taken && i <= categories.count(); ++i)
        taken = nameOf(categories.item(i)).compare(name, Qt::CaseInsensitive) == 0;
    if (taken) {
        m_s.messages.show(QStringLiteral("This Category already exists!"));
        return false;
    }
    const bool added =
        categories.add(Profile::categoryLine(name), QLatin1Char('C') + name.toUpper());
    m_s.store.WriteToFile();
    if (added && m_s.store.lastSaveOutcome() == SaveOutcome::Failed)
        categories.remove(categories.count());
    noteSave();
    txtCategory->clear();
    FillCategoryList();
    return added && m_s.profile.ProfileSaved;
}

void SetupWindow::deleteSelectedCategory() {
    QListWidgetItem* selected = lstCategory->currentItem();
    if (!selected || !selected->isSelected()) return;
    CategoryList& categories = m_s.profile.Categories;
    const int position = FindCategory(selected->text().trimmed());
    QString removedLine;
    QString removedKey;
    if (position > 0) {
        removedLine = categories.item(position);
        removedKey = categories.keyAt(position);
        categories.remove(position);
    }
    BusyPointer();
    m_s.store.WriteToFile();
    if (m_s.store.lastSaveOutcome() == SaveOutcome::Failed) {
        // Not on disk: the category stays, in its place.
        if (position > 0) categories.insert(position, removedLine, removedKey);
    } else {
        delete lstCategory->takeItem(lstCategory->row(selected));
    }
    noteSave();
    if (conflict) FillCategoryList();
    NormalPointer();
    txtCategory->hide();
    m_s.session.IsFilling = true;
    txtCategory->clear();
    m_s.session.IsFilling = false;
}

} // namespace tavrino
