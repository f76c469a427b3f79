#include "about_page.h"

#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

namespace tavrino {

AboutPage::AboutPage(VaultServices& services) : SetupPage(QStringLiteral("About"), services) {
    auto* box = new QVBoxLayout(this);
    auto* picture = new QLabel(this);
    picture->setPixmap(QPixmap(QStringLiteral(":/assets/tavrino.png"))
                           .scaled(128, 128, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    picture->setAlignment(Qt::AlignCenter);
    picture->setAccessibleName(QStringLiteral("Tavrino"));
    auto* name = new QLabel(QStringLiteral("Tavrino"), this);
    name->setAlignment(Qt::AlignCenter);
    name->setStyleSheet(QStringLiteral("font-weight: bold; font-size: 22px;"));
    m_version = new QLabel(this);
    m_version->setAlignment(Qt::AlignCenter);
    m_version->setObjectName(QStringLiteral("version"));
    box->addStretch();
    box->addWidget(picture);
    box->addWidget(name);
    box->addWidget(m_version);
    box->addStretch();
}

SetupTools AboutPage::enter() {
    m_version->setText(
        QStringLiteral("Version %1.%2").arg(TAVRINO_VERSION_MAJOR).arg(TAVRINO_VERSION_MINOR));
    return {};
}

} // namespace tavrino
