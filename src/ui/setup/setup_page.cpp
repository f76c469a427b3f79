#include "setup_page.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

namespace tavrino {

SetupPage::SetupPage(const QString& name, VaultServices& services) : m_s(services) {
    setObjectName(name);
    setAccessibleName(name);
}

void SetupPage::layOutAsList(QWidget* list, const QString& entryCaption,
                             const QString& entryName) {
    auto* grid = new QGridLayout(this);
    auto* heading = new QLabel(objectName(), this);
    heading->setStyleSheet(QStringLiteral("font-weight: bold; font-size: 14px;"));
    grid->addWidget(heading, 0, 0, 1, 2);
    grid->addWidget(list, 1, 0, 1, 2);
    m_entryCaption = new QLabel(entryCaption, this);
    m_entry = new QLineEdit(this);
    m_entryCaption->setBuddy(m_entry);
    m_entry->setAccessibleName(entryName);
    grid->addWidget(m_entryCaption, 2, 0);
    grid->addWidget(m_entry, 2, 1);
    showEntry(false);
}

void SetupPage::showEntry(bool shown) {
    m_entryCaption->setVisible(shown);
    m_entry->setVisible(shown);
}

void SetupPage::noteSave() {
    const SaveOutcome outcome = m_s.store.lastSaveOutcome();
    if (outcome == SaveOutcome::ConflictLogin) emit conflictMet(outcome);
}

} // namespace tavrino
