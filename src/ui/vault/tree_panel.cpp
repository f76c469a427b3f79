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
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTimer>
#include <QTreeView>

namespace tavrino {

TreePanel::TreePanel(VaultServices& services, QWidget* parent) : QFrame(parent), m_s(services) {
    setObjectName(QStringLiteral("treePanel"));
    setGeometry(vaultlayout::twips(690, 1470, 4065, 4140));
    vaultlayout::paintAsPanel(this);
    m_view = new QTreeView(this);
    m_model = new RecordTreeModel(m_view);
    m_view->setModel(m_model);
    // The search box above the list; the results take the list's place.
    constexpr int SearchHeight = 24;
    m_searchBox = new QLineEdit(this);
    m_searchBox->setGeometry(4, 2, width() - 8, SearchHeight);
    m_searchBox->setPlaceholderText(QStringLiteral("Search (Ctrl+F)"));
    m_searchBox->setAccessibleName(QStringLiteral("Search"));
    m_searchBox->setClearButtonEnabled(true);
    m_searchBox->installEventFilter(this);
    connect(m_searchBox, &QLineEdit::textChanged, this, &TreePanel::search);
    m_results = new QListWidget(this);
    m_results->setGeometry(4, SearchHeight + 4, width() - 8, height() - SearchHeight - 6);
    m_results->setAccessibleName(QStringLiteral("Search results"));
    m_results->setFrameShape(QFrame::NoFrame);
    m_results->setUniformItemSizes(true);
    m_results->hide();
    m_results->installEventFilter(this);
    connect(m_results, &QListWidget::itemActivated, this, [this] {
        const QString key = chosenResultKey();
        if (!key.isEmpty()) emit recordActivated(key);
    });
    m_view->setGeometry(4, SearchHeight + 4, width() - 8, height() - SearchHeight - 6);
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
    emit filled();
    // Records found stay found, as they are now. Otherwise the search's
    // folding is done once the list shows, not on the first key typed.
    if (!m_searchBox->text().trimmed().isEmpty())
        search(m_searchBox->text());
    else
        QTimer::singleShot(0, this, [this] {
            if (m_s.session.loginOk) m_search.index(m_s.profile.Records.lines());
        });
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
    m_view->setCurrentIndex(QModelIndex());
    m_model->setTree(RecordTree{});
    m_searchBox->clear();
    m_search = RecordSearch();
}

void TreePanel::focusSearch() {
    m_searchBox->setFocus();
    m_searchBox->selectAll();
}

void TreePanel::search(const QString& text) {
    m_results->clear();
    if (text.trimmed().isEmpty()) {
        m_results->hide();
        m_view->show();
        return;
    }
    m_search.index(m_s.profile.Records.lines());
    // More than fit on many screens: the rest is for a longer query.
    constexpr qsizetype Shown = 500;
    qsizetype total = 0;
    const QList<SearchHit> hits = m_search.find(text, Shown, &total);
    for (const SearchHit& hit : hits) {
        auto* item = new QListWidgetItem(hit.text(), m_results);
        item->setData(Qt::UserRole, recordKey(hit.position));
        item->setToolTip(hit.text());
    }
    QString summary;
    if (total == 0)
        summary = QStringLiteral("Nothing found");
    else if (total > Shown)
        summary = QStringLiteral("%1 more found: type more to narrow").arg(total - Shown);
    if (!summary.isEmpty()) {
        auto* note = new QListWidgetItem(summary, m_results);
        note->setFlags(Qt::NoItemFlags);
    }
    m_results->setAccessibleDescription(QStringLiteral("%1 found").arg(total));
    if (!hits.isEmpty()) m_results->setCurrentRow(0);
    m_view->hide();
    m_results->show();
}

QString TreePanel::chosenResultKey() const {
    const QListWidgetItem* item = m_results->currentItem();
    return item ? item->data(Qt::UserRole).toString() : QString();
}

// Keys in the search box and the results: the box keeps the typing, the
// list the choosing.
bool TreePanel::searchKey(QKeyEvent* event) {
    const int key = event->key();
    const bool alt = event->modifiers() & Qt::AltModifier;
    if (key == Qt::Key_Escape) {
        m_searchBox->clear();
        focusTree();
        return true;
    }
    if (m_results->isHidden()) return false;
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        const QString chosen = chosenResultKey();
        if (!chosen.isEmpty()) emit recordActivated(chosen);
        return true;
    }
    if (alt && key == Qt::Key_P) {
        const QString chosen = chosenResultKey();
        if (!chosen.isEmpty()) emit popupRequested(chosen);
        return true;
    }
    if (key == Qt::Key_Down || key == Qt::Key_Up || key == Qt::Key_PageDown || key == Qt::Key_PageUp) {
        const int rows = m_results->count();
        int row = m_results->currentRow();
        const int step = key == Qt::Key_PageDown || key == Qt::Key_PageUp ? 10 : 1;
        row += key == Qt::Key_Down || key == Qt::Key_PageDown ? step : -step;
        row = std::clamp(row, 0, std::max(0, rows - 1));
        if (!(m_results->item(row)->flags() & Qt::ItemIsEnabled)) --row; // the summary line
        if (row >= 0) m_results->setCurrentRow(row);
        return true;
    }
    return false;
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

namespace {
bool isCopyKey(const QKeyEvent* event) {
    return event->modifiers() == Qt::ControlModifier &&
           (event->key() == Qt::Key_C || event->key() == Qt::Key_B);
}
} // namespace

bool TreePanel::copyKey(QKeyEvent* event, const QString& key) {
    if (!isCopyKey(event) || key.isEmpty()) return false;
    emit copyRequested(key, event->key() == Qt::Key_C ? PasswordRecord::Password
                                                      : PasswordRecord::UserCode);
    return true;
}

bool TreePanel::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == m_searchBox || watched == m_results) &&
        (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride)) {
        auto* key = static_cast<QKeyEvent*>(event);
        // Escape, Enter and Alt+P mean the search here, not the vault's commands.
        const bool ours = key->key() == Qt::Key_Escape || key->key() == Qt::Key_Return ||
                          key->key() == Qt::Key_Enter ||
                          (key->key() == Qt::Key_P && (key->modifiers() & Qt::AltModifier)) ||
                          (isCopyKey(key) && (watched == m_results || !m_searchBox->hasSelectedText()) &&
                           !chosenResultKey().isEmpty());
        if (event->type() == QEvent::ShortcutOverride) {
            if (ours) event->accept();
            return false;
        }
        if (watched == m_results && !ours) return QFrame::eventFilter(watched, event);
        // From the box too, unless text is selected there to copy.
        if ((watched == m_results || !m_searchBox->hasSelectedText()) &&
            copyKey(key, chosenResultKey()))
            return true;
        if (searchKey(key)) return true;
    }
    if (watched == m_view && event->type() == QEvent::ShortcutOverride &&
        isCopyKey(static_cast<QKeyEvent*>(event)) && !selectedRecordKey().isEmpty())
        event->accept(); // ours here, not the window's
    if (watched == m_view && event->type() == QEvent::KeyPress &&
        copyKey(static_cast<QKeyEvent*>(event), selectedRecordKey()))
        return true;
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
