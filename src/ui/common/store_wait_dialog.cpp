#include "store_wait_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tavrino {

StoreWaitDialog::StoreWaitDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Tavrino"));
    setAccessibleName(QStringLiteral("Waiting for another workstation's save"));
    setModal(true);
    m_text = new QLabel(this);
    m_text->setObjectName(QStringLiteral("waitText"));
    m_text->setAccessibleName(QStringLiteral("Waiting"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    QPushButton* cancel = buttons->button(QDialogButtonBox::Cancel);
    cancel->setAccessibleName(QStringLiteral("Cancel"));
    cancel->setAccessibleDescription(QStringLiteral("Stop waiting; nothing is saved"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addWidget(buttons);
}

void StoreWaitDialog::setAttempt(int attempt, int attempts) {
    m_text->setText(QStringLiteral("Waiting for another workstation's save…\nAttempt %1 of %2")
                        .arg(attempt)
                        .arg(attempts));
}

QString StoreWaitDialog::text() const {
    return m_text->text();
}

} // namespace tavrino
