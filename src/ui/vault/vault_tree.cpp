// The tree state: rebuilding the record tree and the category box.
#include "vault_window.h"

#include "shell/clock.h"
#include "shell/message_service.h"
#include "shell/single_instance.h"
#include "store/profile.h"
#include "ui/common/session_state.h"
#include "ui/tree/record_tree_view.h"

#include <QComboBox>
#include <QFrame>
#include <QSignalBlocker>
#include <QTreeView>

namespace tavrino {
namespace {
QStringList categoryNames(const CategoryList& categories) {
    QStringList names;
    names.reserve(categories.count());
    for (const QString& line : categories.lines())
        names << line.section(QLatin1Char('|'), 1, 1);
    return names;
}
} // namespace

void VaultWindow::FillCombo(QComboBox* combo, const QString& firstEntry) {
    // Filling a list is no choice of the user's.
    const QSignalBlocker quiet(combo);
    combo->clear();
    if (!firstEntry.isEmpty()) combo->addItem(firstEntry);
    combo->addItems(categoryNames(m_s.profile.Categories));
}

void VaultWindow::FillTree(const QString& selectionKey) {
    fraPassTool->hide();
    fraMenu->show();
    fraRecord->hide();
    fraTools->show();
    BusyPointer();
    FillCombo(cboCategory, NoCategoryKey);
    m_s.session.IsFilling = true;
    RecordTree tree =
        buildRecordTree(m_s.profile.Records.lines(), categoryNames(m_s.profile.Categories),
                        m_s.session.ShowByCategory, m_s.clock.now().date(), selectionKey);
    const bool warn = tree.warnExpiring;
    showRecordTree(TV1, treeModel, std::move(tree));
    if (warn) {
        NormalPointer();
        m_s.messages.show(QStringLiteral("There are passwords which are due to expire in 7 days."),
                          QStringLiteral("Warning"));
    }
    NormalPointer();
    m_s.session.IsFilling = false;
}

} // namespace tavrino
