#include "records_window.h"

#include "store/profile.h"
#include "ui/tree/tree_builder.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QVBoxLayout>

namespace tavrino {

namespace {
// The columns, by the record's field; never the password.
const std::array<PasswordRecord::Field, 6> Columns{
    PasswordRecord::Description, PasswordRecord::UserCode, PasswordRecord::Category,
    PasswordRecord::WebSite,     PasswordRecord::Email,    PasswordRecord::ExpiryDate};
const char* const Captions[] = {"Description", "User/Account Code", "Category",
                                "Web Site",    "Email",             "Expiry Date"};
} // namespace

RecordTableModel::RecordTableModel(const Profile& profile, QObject* parent)
    : QAbstractTableModel(parent), m_profile(profile) {}

void RecordTableModel::show(const QString& query) {
    beginResetModel();
    m_positions.clear();
    if (query.trimmed().isEmpty()) {
        m_total = m_profile.Records.count();
        m_positions.reserve(m_total);
        for (qsizetype i = 1; i <= m_total; ++i)
            m_positions << i;
    } else {
        m_search.index(m_profile.Records.lines());
        const QList<SearchHit> hits = m_search.find(query, m_profile.Records.count(), &m_total);
        for (const SearchHit& hit : hits)
            m_positions << hit.position;
    }
    endResetModel();
}

void RecordTableModel::clear() {
    beginResetModel();
    m_positions.clear();
    m_search = RecordSearch();
    m_total = 0;
    endResetModel();
}

qsizetype RecordTableModel::recordCount() const {
    return m_profile.Records.count();
}

int RecordTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_positions.size());
}

int RecordTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(Columns.size());
}

QVariant RecordTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole)) return {};
    const qsizetype position = m_positions.value(index.row());
    if (position < 1 || position > m_profile.Records.count()) return {};
    // Parsed when shown: only the rows on screen cost anything.
    const PasswordRecord r = PasswordRecord::fromLine(m_profile.Records.item(position));
    return QString(r[Columns[static_cast<std::size_t>(index.column())]])
        .replace(QStringLiteral("\r\n"), QStringLiteral(" "));
}

QVariant RecordTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= static_cast<int>(Columns.size()))
        return {};
    return QString::fromLatin1(Captions[section]);
}

RecordsWindow::RecordsWindow(const Profile& profile, QWidget* parent)
    : QWidget(parent, Qt::Window), m_model(new RecordTableModel(profile, this)) {
    setWindowTitle(QStringLiteral("Tavrino Records"));
    setAccessibleName(windowTitle());
    resize(760, 520);
    auto* layout = new QVBoxLayout(this);
    m_search = new QLineEdit(this);
    m_search->setPlaceholderText(QStringLiteral("Search"));
    m_search->setAccessibleName(QStringLiteral("Search records"));
    m_search->setClearButtonEnabled(true);
    m_search->installEventFilter(this);
    layout->addWidget(m_search);
    m_table = new QTableView(this);
    m_table->setModel(m_model);
    m_table->setAccessibleName(QStringLiteral("All records"));
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->setColumnWidth(0, 200);
    m_table->setColumnWidth(1, 160);
    m_table->setColumnWidth(3, 180);
    m_table->installEventFilter(this);
    layout->addWidget(m_table, 1);
    m_count = new QLabel(this);
    m_count->setAccessibleName(QStringLiteral("Records shown"));
    layout->addWidget(m_count);
    connect(m_search, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_model->show(text);
        if (m_model->rowCount() > 0) m_table->selectRow(0);
        showCount();
    });
    connect(m_table, &QTableView::activated, this, [this] {
        const QString key = chosenKey();
        if (!key.isEmpty()) emit recordActivated(key);
    });
}

void RecordsWindow::refresh() {
    const QString key = chosenKey();
    m_model->show(m_search->text());
    showCount();
    // The record chosen stays chosen, if it is still there.
    for (int row = 0; row < m_model->rowCount(); ++row)
        if (recordKey(m_model->positionAt(row)) == key) {
            m_table->selectRow(row);
            break;
        }
}

void RecordsWindow::forget() {
    close();
    m_search->setText(QString());
    m_model->clear();
    m_count->clear();
}

QString RecordsWindow::chosenKey() const {
    const QModelIndex current = m_table->currentIndex();
    return current.isValid() ? recordKey(m_model->positionAt(current.row())) : QString();
}

void RecordsWindow::showCount() {
    m_count->setText(m_search->text().trimmed().isEmpty()
                         ? QStringLiteral("%1 records").arg(m_model->recordCount())
                         : QStringLiteral("%1 of %2 records found")
                               .arg(m_model->total())
                               .arg(m_model->recordCount()));
}

bool RecordsWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    const bool alt = key->modifiers() & Qt::AltModifier;
    if (key->key() == Qt::Key_Escape) {
        if (!m_search->text().isEmpty())
            m_search->clear();
        else
            close();
        return true;
    }
    if (alt && key->key() == Qt::Key_P) {
        const QString chosen = chosenKey();
        if (!chosen.isEmpty()) emit popupRequested(chosen);
        return true;
    }
    if (watched == m_search) {
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            const QString chosen = chosenKey();
            if (!chosen.isEmpty()) emit recordActivated(chosen);
            return true;
        }
        if (key->key() == Qt::Key_Down || key->key() == Qt::Key_Up ||
            key->key() == Qt::Key_PageDown || key->key() == Qt::Key_PageUp) {
            // The choosing keys go to the table; the typing stays here.
            QKeyEvent copy(QEvent::KeyPress, key->key(), key->modifiers());
            QCoreApplication::sendEvent(m_table, &copy);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace tavrino
