#include "tree_panel.h"

#include "shell/clock.h"
#include "shell/message_service.h"
#include "shell/single_instance.h"
#include "store/profile.h"
#include "ui/common/session_state.h"
#include "ui/tree/record_tree_view.h"
#include "ui/tree/tree_builder.h"
#include "ui/vault/vault_layout.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTreeView>

namespace tavrino {

TreePanel::TreePanel(VaultServices& services, QWidget* parent) : QFrame(parent), m_s(services) {
    setObjectName(QStringLiteral("treePanel"));
    setGeometry(vaultlayout::twips(690, 1470, 4065, 4140));
    vaultlayout::paintAsPanel(this);
    m_view = new QTreeView(this);
    m_model = new RecordTreeModel(m_view);
    m_view->setModel(m_model);
    m_view->setGeometry(4, 2, width() - 8, height() - 4);
    m_view->setHeaderHidden(true);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setAccessibleName(QStringLiteral("Records"));
    m_view->setUniformRowHeights(true);
    m_view->setFrameShape(QFrame::NoFrame);
    // Whole texts, never elided: long ones scroll sideways, the expiry
    // marker at their end included.
    m_view->setTextElideMode(Qt::ElideNone);
    m_view->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_view->header()->setStretchLastSection(false);
    m_view->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    QPalette pal = m_view->palette();
    pal.setColor(QPalette::Base, QColor(0xf2, 0xf4, 0xfa));
    m_view->setPalette(pal);
    m_view->setMouseTracking(true);
    m_view->viewport()->setMouseTracking(true);
    m_view->installEventFilter(this);
    m_view->viewport()->installEventFilter(this);
    connect(m_view, &QTreeView::doubleClicked, this, [this] {
        const QString key = selectedRecordKey();
        if (!key.isEmpty()) emit recordActivated(key);
    });
}

QString TreePanel::expiryWarning(const RecordTree& tree) {
    const QString expiring = QStringLiteral("There are passwords which are due to expire in 7 days.");
    const QString expired = tree.expiredCount == 1
                                ? QStringLiteral("One password has expired.")
                                : QStringLiteral("%1 passwords have expired.").arg(tree.expiredCount);
    if (tree.expiredCount == 0) return tree.expiringCount > 0 ? expiring : QString();
    return tree.expiringCount > 0 ? expired + QLatin1Char(' ') + expiring : expired;
}

void TreePanel::fill(const QString& selectionKey, bool warnExpiring) {
    BusyPointer();
    m_s.session.isFilling = true;
    RecordTree tree = buildRecordTree(m_s.profile.Records.lines(), m_s.profile.Categories.names(),
                                      m_s.session.showByCategory, m_s.clock.now().date(),
                                      selectionKey);
    const QString warning = warnExpiring ? expiryWarning(tree) : QString();
    showRecordTree(m_view, m_model, std::move(tree));
    if (!warning.isEmpty()) {
        NormalPointer();
        m_s.messages.show(warning, QStringLiteral("Warning"));
    }
    NormalPointer();
    m_s.session.isFilling = false;
}

TreePanel::ViewState TreePanel::viewState() const {
    ViewState state;
    const qsizetype position = recordPosition(selectedRecordKey());
    if (position > 0 && position <= m_s.profile.Records.count())
        state.selectedLine = m_s.profile.Records.item(position);
    for (int row = 0; row < m_model->rowCount(); ++row) {
        const QModelIndex group = m_model->index(row, 0);
        if (m_view->isExpanded(group)) state.openGroups << group.data().toString();
    }
    state.scroll = m_view->verticalScrollBar()->value();
    return state;
}

void TreePanel::refill(const ViewState& state) {
    const qsizetype at = m_s.profile.Records.lines().indexOf(state.selectedLine);
    const QString key = state.selectedLine.isEmpty() || at < 0 ? QString() : recordKey(at + 1);
    fill(key, false);
    for (int row = 0; row < m_model->rowCount(); ++row) {
        const QModelIndex group = m_model->index(row, 0);
        if (state.openGroups.contains(group.data().toString())) m_view->expand(group);
    }
    const QModelIndex selected = m_model->indexOfKey(key);
    if (selected.isValid()) m_view->setCurrentIndex(selected);
    m_view->verticalScrollBar()->setValue(state.scroll);
}

void TreePanel::clear() {
    m_model->setTree(RecordTree{});
}

void TreePanel::switchGrouping() {
    m_s.session.showByCategory = !m_s.session.showByCategory;
    fill(selectedRecordKey()); // the same record, in the other grouping
    focusTree();
}

void TreePanel::focusTree() {
    m_view->setFocus();
}

QString TreePanel::selectedRecordKey() const {
    const QModelIndex current = m_view->currentIndex();
    return current.isValid() && current.parent().isValid() ? nodeKey(current) : QString();
}

bool TreePanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_view && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        const QString record = selectedRecordKey();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) &&
            !record.isEmpty()) {
            emit recordActivated(record);
            return true;
        }
    }
    if (watched == m_view->viewport() && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
        const QString record = selectedRecordKey();
        if (!record.isEmpty()) emit popupRequested(record);
    }
    return QFrame::eventFilter(watched, event);
}

} // namespace tavrino
