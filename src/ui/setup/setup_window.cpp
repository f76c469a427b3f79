#include "setup_window.h"

#include "shell/clock.h"
#include "shell/message_service.h"
#include "shell/single_instance.h"
#include "store/profile.h"
#include "store/profile_manager.h"
#include "ui/common/assets.h"
#include "ui/common/session_state.h"
#include "ui/setup/print_list.h"
#include "ui/setup/printer_surface.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

namespace tavrino {

namespace {
struct ToolButton {
    const char* key;
    const char* caption;
    const char* tip;
    const char* image;
};
const ToolButton ToolButtons[] = {
    {"Add", "New", "Add New Record", "tool-new.png"},
    {"Delete", "Delete", "Delete this Record", "tool-delete.png"},
    {"Save", "Save", "Save this Record", "tool-save.png"},
    {"Cancel", "Cancel", "Cancel this Change", "tool-cancel.png"},
    {"Sep1", nullptr, nullptr, nullptr},
    {"Security", "Options", "Set Password Options", "tool-options.png"},
    {"Category", "Category", "Maintain Categories", "tool-category.png"},
    {"About", "About", "About Tavrino", "tool-about.png"},
    {"Profile", "Profile", "Edit User Profiles", "tool-profile.png"},
    {"Close", "Exit", "Close Setup Function", "tool-exit.png"},
    {"", nullptr, nullptr, nullptr},
};

QFrame* page(const QString& name) {
    auto* frame = new QFrame;
    frame->setObjectName(name);
    frame->setAccessibleName(name);
    return frame;
}
} // namespace

SetupWindow::SetupWindow(VaultServices& services, QTimer* lockTimer, QWidget* parent)
    : QDialog(parent), m_s(services), m_lockTimer(lockTimer) {
    useAssets();
    setWindowTitle(QStringLiteral("Setup"));
    setAccessibleName(windowTitle());
    setModal(true);
    resize(560, 470);

    Toolbar2 = new QToolBar(this);
    Toolbar2->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    Toolbar2->setIconSize(QSize(24, 24));
    for (const ToolButton& b : ToolButtons) {
        if (!b.caption) {
            Toolbar2->addSeparator();
            continue;
        }
        QAction* action =
            Toolbar2->addAction(QIcon(QStringLiteral(":/assets/") + QLatin1String(b.image)),
                                QString::fromLatin1(b.caption));
        action->setData(QString::fromLatin1(b.key));
        action->setToolTip(QString::fromLatin1(b.tip));
        m_buttons.append(action);
        const QString key = QString::fromLatin1(b.key);
        connect(action, &QAction::triggered, this, [this, key] { Toolbar2_ButtonClick(key); });
    }

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 0, 6, 6);
    layout->addWidget(Toolbar2);
    fraSecurityOptions = buildSecurityPage();
    fraCategory = buildCategoryPage();
    fraProfile = buildProfilePage();
    fraAbout = buildAboutPage();
    for (QFrame* f : {fraSecurityOptions, fraCategory, fraProfile, fraAbout})
        layout->addWidget(f, 1);

    // Opening.
    NormalPointer();
    showPage(fraSecurityOptions);
    enableEditing(false, false, false, false);
    // No auto-lock while setup is open; closing it decides anew.
    if (m_lockTimer) m_lockTimer->stop();
    LoadSecurityOptions();
}

SetupWindow::~SetupWindow() = default;

QAction* SetupWindow::button(const QString& key) const {
    for (QAction* a : m_buttons)
        if (a->data().toString() == key) return a;
    return nullptr;
}

void SetupWindow::enable(const QString& key, bool on) {
    if (QAction* a = button(key)) a->setEnabled(on);
}

void SetupWindow::enableEditing(bool add, bool del, bool save, bool cancel) {
    enable(QStringLiteral("Add"), add);
    enable(QStringLiteral("Delete"), del);
    enable(QStringLiteral("Save"), save);
    enable(QStringLiteral("Cancel"), cancel);
}

void SetupWindow::SetDirty(bool dirty) {
    m_dirty = dirty;
    enable(QStringLiteral("Save"), dirty);
    enable(QStringLiteral("Cancel"), dirty);
}

void SetupWindow::markChanged() {
    if (!m_s.session.IsFilling) SetDirty(true);
}

namespace {
// A list page: heading, the list, and the hidden entry box for a new name.
QFrame* listPage(const QString& title, QWidget* list, const QString& entryCaption,
                 const QString& entryName, QLabel*& label, QLineEdit*& entry) {
    QFrame* f = page(title);
    auto* grid = new QGridLayout(f);
    auto* heading = new QLabel(title, f);
    heading->setStyleSheet(QStringLiteral("font-weight: bold; font-size: 14px;"));
    grid->addWidget(heading, 0, 0, 1, 2);
    grid->addWidget(list, 1, 0, 1, 2);
    label = new QLabel(entryCaption, f);
    entry = new QLineEdit(f);
    label->setBuddy(entry);
    entry->setAccessibleName(entryName);
    grid->addWidget(label, 2, 0);
    grid->addWidget(entry, 2, 1);
    label->hide();
    entry->hide();
    return f;
}
} // namespace

QFrame* SetupWindow::buildCategoryPage() {
    lstCategory = new QListWidget;
    lstCategory->setAccessibleName(QStringLiteral("Categories"));
    return listPage(QStringLiteral("Category"), lstCategory, QStringLiteral("New"),
                    QStringLiteral("New Category"), lblNewCategory, txtCategory);
}

QFrame* SetupWindow::buildProfilePage() {
    cboProfile = new QComboBox;
    cboProfile->setAccessibleName(QStringLiteral("Profiles"));
    QFrame* f =
        listPage(QStringLiteral("User Profile"), cboProfile, QStringLiteral("New Profile Name"),
                 QStringLiteral("New Profile Name"), lblNewProfile, txtFileName);
    static_cast<QGridLayout*>(f->layout())->setRowStretch(3, 1);
    return f;
}

QFrame* SetupWindow::buildAboutPage() {
    QFrame* f = page(QStringLiteral("About"));
    auto* box = new QVBoxLayout(f);
    auto* picture = new QLabel(f);
    picture->setPixmap(QPixmap(QStringLiteral(":/assets/tavrino.png"))
                           .scaled(128, 128, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    picture->setAlignment(Qt::AlignCenter);
    picture->setAccessibleName(QStringLiteral("Tavrino"));
    auto* name = new QLabel(QStringLiteral("Tavrino"), f);
    name->setAlignment(Qt::AlignCenter);
    name->setStyleSheet(QStringLiteral("font-weight: bold; font-size: 22px;"));
    lblVersion = new QLabel(f);
    lblVersion->setAlignment(Qt::AlignCenter);
    box->addStretch();
    box->addWidget(picture);
    box->addWidget(name);
    box->addWidget(lblVersion);
    box->addStretch();
    return f;
}

void SetupWindow::showPage(QFrame* shown) {
    for (QFrame* f : {fraSecurityOptions, fraCategory, fraProfile, fraAbout})
        f->setVisible(f == shown);
}

QFrame* SetupWindow::visiblePage() const {
    for (QFrame* f : {fraSecurityOptions, fraCategory, fraProfile, fraAbout})
        if (!f->isHidden()) return f;
    return nullptr;
}

bool SetupWindow::refuseWhileDirty() {
    if (!m_dirty) return false;
    m_s.messages.show(QStringLiteral("You have unsaved changes, please CANCEL or SAVE"),
                      QStringLiteral("Tavrino"), MsgIcon::Warning);
    return true;
}

void SetupWindow::refreshProfiles() {
    const QStringList names = m_s.profiles.ListProfiles();
    cboProfile->clear();
    cboProfile->addItems(names);
}

void SetupWindow::noteSave() {
    const SaveOutcome outcome = m_s.store.lastSaveOutcome();
    if (outcome == SaveOutcome::ConflictRecords || outcome == SaveOutcome::ConflictLogin)
        conflict = outcome;
}

void SetupWindow::Toolbar2_ButtonClick(const QString& key) {
    QFrame* current = visiblePage();
    if (key == u"Security" || key == u"Category" || key == u"Profile" || key == u"About" ||
        key == u"Close") {
        if (refuseWhileDirty()) return;
    }
    if (key == u"Security") {
        showPage(fraSecurityOptions);
        enableEditing(false, false, false, false);
    } else if (key == u"Category") {
        fraSecurityOptions->hide();
        fraProfile->hide();
        FillCategoryList();
        fraCategory->show();
        fraAbout->hide();
        enableEditing(true, true, false, false);
    } else if (key == u"Profile") {
        showPage(fraProfile);
        enableEditing(true, true, false, false);
        refreshProfiles();
    } else if (key == u"About") {
        showPage(fraAbout);
        lblVersion->setText(
            QStringLiteral("Version %1.%2").arg(TAVRINO_VERSION_MAJOR).arg(TAVRINO_VERSION_MINOR));
        enableEditing(false, false, false, false);
    } else if (key == u"Close") {
        reject();
    } else if (key == u"Add") {
        if (current == fraCategory) {
            enableEditing(true, false, true, true);
            txtCategory->show();
            txtCategory->clear();
            lblNewCategory->show();
            txtCategory->setFocus();
        } else if (current == fraProfile) {
            enableEditing(true, false, true, true);
            txtFileName->show();
            lblNewProfile->show();
            txtFileName->setFocus();
        }
    } else if (key == u"Save") {
        if (current == fraSecurityOptions) {
            saveSecurity();
        } else if (current == fraCategory) {
            BusyPointer();
            SaveCategory();
            txtCategory->hide();
            lblNewCategory->hide();
            enableEditing(true, true, false, false);
            SetDirty(false);
            lstCategory->setFocus();
            FillCategoryList();
            NormalPointer();
        } else if (current == fraProfile) {
            if (m_s.profiles.CreateProfile(txtFileName->text())) txtFileName->clear();
            refreshProfiles();
            txtFileName->hide();
            lblNewProfile->hide();
            enableEditing(true, true, false, false);
        }
    } else if (key == u"Cancel") {
        if (current == fraSecurityOptions) {
            LoadSecurityOptions();
            SetDirty(false);
        } else if (current == fraCategory) {
            FillCategoryList();
            SetDirty(false);
            enable(QStringLiteral("Add"), true);
            enable(QStringLiteral("Delete"), true);
            txtCategory->hide();
            lblNewCategory->hide();
            lstCategory->setFocus();
        } else if (current == fraProfile) {
            SetDirty(false);
            txtFileName->hide();
            lblNewProfile->hide();
            enable(QStringLiteral("Delete"), true);
            enable(QStringLiteral("Save"), false);
            enable(QStringLiteral("Cancel"), false);
        }
    } else if (key == u"Delete") {
        if (current != fraCategory && current != fraProfile) return;
        if (m_s.messages.show(QStringLiteral("Are you sure you wish to delete this entry?"),
                              QStringLiteral("Delete entry"), MsgIcon::Question, MsgButtons::YesNo,
                              2) != MsgAnswer::Yes)
            return;
        if (current == fraCategory) {
            deleteSelectedCategory();
        } else {
            m_s.profiles.DeleteProfile(cboProfile->currentText());
            refreshProfiles();
        }
    }
}

void SetupWindow::cmdPrint_Click() {
    // Without a printer Qt would quietly print nowhere: say so instead.
    if (!preparePrinter && QPrinterInfo::defaultPrinter().isNull()) {
        m_s.messages.show(QStringLiteral("No printer is set up."), QStringLiteral("Print List"),
                          MsgIcon::Warning);
        return;
    }
    BusyPointer();
    QPrinter printer(QPrinter::HighResolution);
    if (preparePrinter) preparePrinter(printer);
    PrinterSurface surface(printer);
    // Asked before printing: the finished document is no longer active.
    const bool started = surface.isActive();
    if (started) {
        PasswordListPrinter list(surface, m_s.session.PageNumber);
        const QDateTime now = m_s.clock.now();
        list.PrintHeading(now);
        list.PrintList(m_s.profile.Records.lines(), now);
    }
    NormalPointer();
    if (!started)
        m_s.messages.show(QStringLiteral("The password list could not be printed on %1.")
                              .arg(printer.printerName()),
                          QStringLiteral("Print List"), MsgIcon::Warning);
}

// Every way of closing ends here; nothing is saved.
void SetupWindow::reject() {
    // The idle timer runs again only where auto-lock is on as saved now.
    if (m_lockTimer) {
        if (m_s.session.LoginOK && m_s.session.AutoLockMinutes > 0)
            m_lockTimer->start();
        else
            m_lockTimer->stop();
    }
    QDialog::reject();
}

} // namespace tavrino
