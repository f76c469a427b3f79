#pragma once

#include "store/profile_store.h"
#include "ui/common/vault_services.h"

#include <QDialog>

#include <functional>
#include <optional>

class QAction;
class QPrinter;
class QStackedWidget;
class QToolBar;

namespace tavrino {

class AboutPage;
class CategoriesPage;
class ProfilesPage;
class SecurityPage;
class SetupPage;
struct SetupTools;

// The setup window, modal over the vault: security options, categories,
// profiles and the about page, one page at a time, under a toolbar that acts
// on the page shown.
class SetupWindow : public QDialog {
    Q_OBJECT
public:
    explicit SetupWindow(VaultServices& services, QWidget* parent = nullptr);
    ~SetupWindow() override;

    bool isDirty() const { return m_dirty; }
    // The toolbar's commands by key: Add, Delete, Save, Cancel, Security,
    // Category, About, Profile, Close.
    QAction* action(const QString& key) const;
    void trigger(const QString& key);
    SetupPage* currentPage() const;

    // Prints the password list on the default printer.
    void printPasswordList();
    // Sets up the printer before a printout (tests print to a PDF file).
    std::function<void(QPrinter&)> preparePrinter;

    // Set when a save met another workstation's newer profile; the vault
    // then catches up with the profile that was read instead.
    std::optional<SaveOutcome> conflict;
    // Set when the user chose another database folder: the vault locks.
    bool folderChanged = false;
    // Set when records were imported: the vault's list shows them.
    bool recordsChanged = false;


protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildToolbar();
    void addPage(SetupPage* page);
    void showPage(SetupPage* page);
    bool refuseWhileDirty();
    void setTools(const SetupTools& tools);
    void setDirty(bool dirty);
    void enable(const QString& key, bool on);

    VaultServices& m_s;
    bool m_dirty = false;
    QToolBar* m_toolbar;
    QList<QAction*> m_actions;
    QList<SetupPage*> m_pages;
    QStackedWidget* m_stack;
    SecurityPage* m_securityPage;
    CategoriesPage* m_categoriesPage;
    ProfilesPage* m_profilesPage;
    AboutPage* m_aboutPage;
};

} // namespace tavrino
