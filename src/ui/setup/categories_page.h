#pragma once

#include "ui/setup/setup_page.h"

class QListWidget;

namespace tavrino {

// The profile's categories: the list, adding one, deleting the selected one.
class CategoriesPage : public SetupPage {
    Q_OBJECT
public:
    explicit CategoriesPage(VaultServices& services);

    SetupTools enter() override;
    void add() override;
    void save() override;
    void cancel() override;
    bool canRemove() const override { return true; }
    void remove() override;

private:
    void fillList();
    // Position of the category of that name (1-based), 0 when there is none.
    int positionOf(const QString& name) const;
    bool addCategory();

    QListWidget* m_list;
};

} // namespace tavrino
