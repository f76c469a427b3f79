#pragma once

#include "ui/setup/setup_page.h"

class QComboBox;

namespace tavrino {

// The profiles in the database folder: creating one, deleting one.
class ProfilesPage : public SetupPage {
    Q_OBJECT
public:
    explicit ProfilesPage(VaultServices& services);

    SetupTools enter() override;
    void add() override;
    void save() override;
    void cancel() override;
    bool canRemove() const override { return true; }
    void remove() override;

private:
    void fillList();

    QComboBox* m_profiles;
};

} // namespace tavrino
