#include "conflict_dialog.h"

#include "ui/common/conflict_report.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tavrino {
namespace {
const QString Masked = QStringLiteral("••••••••");

QLabel* heading(const QString& text, QWidget* parent) {
    auto* label = new QLabel(QStringLiteral("<b>%1</b>").arg(text.toHtmlEscaped()), parent);
    label->setAccessibleName(text);
    return label;
}
} // namespace

ConflictDialog::ConflictDialog(const MergeConflict& conflict, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Record changed by another user"));
    auto* layout = new QVBoxLayout(this);
    auto* headline = new QLabel(ConflictReport::headline(conflict), this);
    headline->setWordWrap(true);
    headline->setAccessibleName(headline->text());
    layout->addWidget(headline);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(16);
    const bool mineDeleted = conflict.mine.isEmpty();
    const bool theirsDeleted = conflict.theirs.isEmpty();
    grid->addWidget(heading(QStringLiteral("Before"), this), 0, 1);
    grid->addWidget(heading(mineDeleted ? QStringLiteral("Yours: deleted") : QStringLiteral("Yours"), this), 0, 2);
    grid->addWidget(heading(theirsDeleted ? QStringLiteral("Theirs: deleted") : QStringLiteral("Theirs"), this), 0, 3);
    bool anySecret = false;
    const QList<ConflictReport::Row> rows = ConflictReport::rows(conflict);
    for (int r = 0; r < rows.size(); ++r) {
        const ConflictReport::Row& row = rows[r];
        // The fields both changed, each differently, are the question.
        auto* field = new QLabel(row.disputed ? QStringLiteral("<b>%1 (both changed)</b>").arg(row.field)
                                              : row.field,
                                 this);
        field->setAccessibleName(row.field);
        grid->addWidget(field, r + 1, 0);
        QList<Cell> cells;
        const QString texts[3] = {row.before, mineDeleted ? QStringLiteral("deleted") : row.mine,
                                  theirsDeleted ? QStringLiteral("deleted") : row.theirs};
        const bool deleted[3] = {false, mineDeleted, theirsDeleted};
        const char* columns[3] = {"before", "yours", "theirs"};
        for (int c = 0; c < 3; ++c) {
            const bool secret = row.secret && !deleted[c] && !texts[c].isEmpty();
            auto* value = new QLabel(this);
            value->setTextFormat(Qt::PlainText);
            value->setWordWrap(true);
            value->setAccessibleName(QStringLiteral("%1, %2").arg(row.field, QLatin1String(columns[c])));
            grid->addWidget(value, r + 1, c + 1);
            cells.append({value, texts[c], secret});
            anySecret = anySecret || secret;
        }
        m_cells.append(cells);
    }
    layout->addLayout(grid);
    if (anySecret) {
        m_reveal = new QCheckBox(QStringLiteral("Show passwords"), this);
        m_reveal->setAccessibleName(m_reveal->text());
        connect(m_reveal, &QCheckBox::toggled, this, &ConflictDialog::setPasswordsShown);
        layout->addWidget(m_reveal);
    }
    setPasswordsShown(false);
    if (!mineDeleted && !theirsDeleted) {
        auto* hint = new QLabel(
            QStringLiteral("Keep both keeps yours beside theirs as \"%1\".")
                .arg(ConflictReport::recordName(ProfileMerge::markedAsMine(conflict.mine))),
            this);
        hint->setWordWrap(true);
        layout->addWidget(hint);
    }

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    const std::pair<const char*, ConflictChoice> choices[] = {
        {"Keep mine", ConflictChoice::KeepMine},
        {"Keep theirs", ConflictChoice::KeepTheirs},
        {"Keep both", ConflictChoice::KeepBoth}};
    for (const auto& [caption, choice] : choices) {
        auto* button = new QPushButton(QString::fromLatin1(caption), this);
        button->setAccessibleName(button->text());
        button->setDefault(choice == ConflictChoice::KeepMine);
        button->setAutoDefault(choice == ConflictChoice::KeepMine);
        connect(button, &QPushButton::clicked, this, [this, choice = choice] { choose(choice); });
        buttons->addWidget(button);
    }
    layout->addLayout(buttons);
}

void ConflictDialog::setPasswordsShown(bool shown) {
    if (m_reveal && m_reveal->isChecked() != shown) m_reveal->setChecked(shown);
    for (const QList<Cell>& row : std::as_const(m_cells))
        for (const Cell& cell : row)
            cell.label->setText(cell.secret && !shown ? Masked : cell.text);
}

QString ConflictDialog::cellText(int row, int column) const {
    return m_cells.at(row).at(column).label->text();
}

void ConflictDialog::choose(ConflictChoice choice) {
    m_choice = choice;
    accept();
}

ConflictChoice ConflictDialog::ask(const MergeConflict& conflict, QWidget* parent) {
    ConflictDialog dialog(conflict, parent);
    dialog.exec();
    return dialog.choice(); // closed without a choice: both, so nothing is lost
}

} // namespace tavrino
