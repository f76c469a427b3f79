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
    Label1 = new QLabel(QStringLiteral("To secure your sensitive info..."), this);
    Label1->setStyleSheet(QStringLiteral("font-weight: bold;"));
    lblTipText0 = new QLabel(this);
    lblTipText2 = new QLabel(this);
    for (QLabel* tip : {lblTipText0, lblTipText2})
        tip->setWordWrap(true);
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdNextTip = new QPushButton(QStringLiteral("&Quick Guide"), this);
    cmdNextTip->setToolTip(QStringLiteral("Launch Quick Start Guide (Requires Adobe Reader)"));
    cmdNextTip->setAccessibleName(QStringLiteral("Quick Guide"));
    cmdAdobe = new QPushButton(this);
    cmdAdobe->setIcon(QIcon(QStringLiteral(":/assets/get-reader.png")));
    cmdAdobe->setIconSize(QSize(112, 33));
    cmdAdobe->setFlat(true);
    cmdAdobe->setToolTip(QStringLiteral("Get Free Adobe Acrobat Reader"));
    cmdAdobe->setAccessibleName(cmdAdobe->toolTip());
    chkLoadTipsAtStartup = new QCheckBox(QStringLiteral("&Hide at Startup"), this);

    auto* grid = new QGridLayout(this);
    grid->addWidget(picture, 0, 0, Qt::AlignTop);
    grid->addWidget(Label1, 0, 1);
    grid->addWidget(cmdOK, 0, 2);
    grid->addWidget(lblTipText0, 1, 1);
    grid->addWidget(cmdNextTip, 1, 2);
    grid->addWidget(lblTipText2, 2, 1);
    grid->addWidget(chkLoadTipsAtStartup, 3, 1);
    grid->addWidget(cmdAdobe, 3, 2);

    // Loading.
    lblTipText0->setText(QStringLiteral("Enter 'QUILT' as the default password - click 'LOGIN'"));
    lblTipText2->setText(QStringLiteral("To open the help file click on the HELP button when "
                                        "application is started or click on the"));
    lblTipText2->setText(lblTipText2->text() +
                         QStringLiteral("'Quick Guide' button on the right!") +
                         QStringLiteral("\r\n") +
                         QStringLiteral("This requires the FREE Adobe Acrobat Reader that can be "
                                        "downoaded from the link at the bottom of this screen!"));
    m_readerPage = ReaderDownloadPage;
    // Word-wrapped tips get the height their text needs at the column's width.
    for (QLabel* tip : {lblTipText0, lblTipText2}) {
        tip->setFixedWidth(320);
        tip->setMinimumHeight(tip->heightForWidth(320));
    }
    adjustSize();

    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdNextTip, &QPushButton::clicked, this, [this] {
        m_addresses.open(m_settings.applicationFolder() + QStringLiteral("/QuickStartGuide.pdf"));
    });
    connect(cmdAdobe, &QPushButton::clicked, this, [this] { m_addresses.open(m_readerPage); });
}

// Every way of closing stores the box: "1" hides the window at the next start.
void GettingStartedWindow::done(int result) {
    m_settings.WriteSetting(QStringLiteral("Startup"), chkLoadTipsAtStartup->isChecked()
                                                           ? QStringLiteral("1")
                                                           : QStringLiteral("0"));
    QDialog::done(result);
}

} // namespace tavrino
