#include "profiles_page.h"

#include "store/profile_manager.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLineEdit>

namespace tavrino {

ProfilesPage::ProfilesPage(VaultServices& services)
    : SetupPage(QStringLiteral("User Profile"), services), m_profiles(new QComboBox) {
    m_profiles->setAccessibleName(QStringLiteral("Profiles"));
    layOutAsList(m_profiles, QStringLiteral("New Profile Name"), QStringLiteral("New Profile Name"));
    static_cast<QGridLayout*>(layout())->setRowStretch(3, 1);
}

void ProfilesPage::fillList() {
    const QStringList names = m_s.profiles.ListProfiles();
    m_profiles->clear();
    m_profiles->addItems(names);
}

SetupTools ProfilesPage::enter() {
    fillList();
    return {true, true, false, false};
}

void ProfilesPage::add() {
    emit toolsChanged({true, false, true, true});
    showEntry(true);
    m_entry->setFocus();
}

void ProfilesPage::save() {
    if (m_s.profiles.CreateProfile(m_entry->text())) m_entry->clear();
    fillList();
    showEntry(false);
    emit toolsChanged({true, true, false, false});
}

void ProfilesPage::cancel() {
    emit dirtyChanged(false);
    showEntry(false);
    emit toolsChanged({true, true, false, false});
}

void ProfilesPage::remove() {
    m_s.profiles.DeleteProfile(m_profiles->currentText());
    fillList();
}

} // namespace tavrino
