#include "getting_started.h"

#include "shell/settings_store.h"
#include "ui/common/address_service.h"
#include "ui/common/assets.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace tavrino {

const QString GettingStartedWindow::ReaderDownloadPage = QStringLiteral("https://get.adobe.com/reader/");

GettingStartedWindow::GettingStartedWindow(SettingsStore& settings, AddressService& addresses, QWidget* parent)
    : QDialog(parent), m_settings(settings), m_addresses(addresses) {
    useAssets();
    setWindowTitle(QStringLiteral("Getting Started"));
    setAccessibleName(windowTitle());
    setModal(true);

    auto* picture = new QLabel(this);
    picture->setPixmap(QPixmap(QStringLiteral(":/assets/tavrino-64.png"))
                           .scaled(32, 32, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    picture->setAccessibleName(QStringLiteral("Tavrino"));
    auto* heading = new QLabel(QStringLiteral("To secure your sensitive info..."), this);
    heading->setStyleSheet(QStringLiteral("font-weight: bold;"));
    m_passwordTip = new QLabel(this);
    m_passwordTip->setObjectName(QStringLiteral("passwordTip"));
    m_helpTip = new QLabel(this);
    m_helpTip->setObjectName(QStringLiteral("helpTip"));
    for (QLabel* tip : {m_passwordTip, m_helpTip})
        tip->setWordWrap(true);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setAccessibleName(QStringLiteral("OK"));
    auto* quickGuide = new QPushButton(QStringLiteral("&Quick Guide"), this);
    quickGuide->setToolTip(QStringLiteral("Launch Quick Start Guide (Requires Adobe Reader)"));
    quickGuide->setAccessibleName(QStringLiteral("Quick Guide"));
    auto* readerLink = new QPushButton(this);
    readerLink->setIcon(QIcon(QStringLiteral(":/assets/get-reader.png")));
    readerLink->setIconSize(QSize(112, 33));
    readerLink->setFlat(true);
    readerLink->setToolTip(QStringLiteral("Get Free Adobe Acrobat Reader"));
    readerLink->setAccessibleName(readerLink->toolTip());
    m_hideAtStartup = new QCheckBox(QStringLiteral("&Hide at Startup"), this);
    m_hideAtStartup->setAccessibleName(QStringLiteral("Hide at Startup"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(picture, 0, 0, Qt::AlignTop);
    grid->addWidget(heading, 0, 1);
    grid->addWidget(ok, 0, 2);
    grid->addWidget(m_passwordTip, 1, 1);
    grid->addWidget(quickGuide, 1, 2);
    grid->addWidget(m_helpTip, 2, 1);
    grid->addWidget(m_hideAtStartup, 3, 1);
    grid->addWidget(readerLink, 3, 2);

    // Loading.
    m_passwordTip->setText(QStringLiteral("Enter 'QUILT' as the default password - click 'LOGIN'"));
    m_helpTip->setText(QStringLiteral("To open the help file click on the HELP button when "
                                        "application is started or click on the"));
    m_helpTip->setText(m_helpTip->text() +
                         QStringLiteral("'Quick Guide' button on the right!") +
                         QStringLiteral("\r\n") +
                         QStringLiteral("This requires the FREE Adobe Acrobat Reader that can be "
                                        "downoaded from the link at the bottom of this screen!"));
    m_readerPage = ReaderDownloadPage;
    // Word-wrapped tips get the height their text needs at the column's width.
    for (QLabel* tip : {m_passwordTip, m_helpTip}) {
        tip->setFixedWidth(320);
        tip->setMinimumHeight(tip->heightForWidth(320));
    }
    adjustSize();

    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(quickGuide, &QPushButton::clicked, this, [this] {
        m_addresses.open(m_settings.helpFile(QStringLiteral("QuickStartGuide.pdf")));
    });
    connect(readerLink, &QPushButton::clicked, this, [this] { m_addresses.open(m_readerPage); });
}

// Every way of closing stores the box: "1" hides the window at the next start.
void GettingStartedWindow::done(int result) {
    m_settings.WriteSetting(QStringLiteral("Startup"), m_hideAtStartup->isChecked()
                                                           ? QStringLiteral("1")
                                                           : QStringLiteral("0"));
    QDialog::done(result);
}

} // namespace tavrino
