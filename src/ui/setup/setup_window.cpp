#include "setup_window.h"

#include "shell/clock.h"
#include "shell/message_service.h"
#include "shell/single_instance.h"
#include "store/profile.h"
#include "store/profile_manager.h"
#include "ui/common/assets.h"
#include "ui/common/session_state.h"
#include "ui/setup/glyph_coverage.h"
#include "ui/setup/print_list.h"
#include "ui/setup/printing_module.h"
#include "ui/setup/about_page.h"
#include "ui/setup/categories_page.h"
#include "ui/setup/profiles_page.h"
#include "ui/setup/security_page.h"

#include <QAction>
#include <QKeyEvent>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTimer>
#include <QToolBar>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace tavrino {

namespace {
struct ToolButton {
    const char* key;
    const char* caption;
    const char* mnemonic; // the caption with its Alt key marked
    const char* tip;
    const char* image;
};
const ToolButton ToolButtons[] = {
    {"Add", "New", "&New", "Add New Record", "tool-new.png"},
    {"Delete", "Delete", "&Delete", "Delete this Record", "tool-delete.png"},
    {"Save", "Save", "&Save", "Save this Record", "tool-save.png"},
    {"Cancel", "Cancel", "Cance&l", "Cancel this Change", "tool-cancel.png"},
    {"Sep1", nullptr, nullptr, nullptr, nullptr},
    {"Security", "Options", "&Options", "Set Password Options", "tool-options.png"},
    {"Category", "Category", "Ca&tegory", "Maintain Categories", "tool-category.png"},
    {"About", "About", "&About", "About Tavrino", "tool-about.png"},
    {"Profile", "Profile", "P&rofile", "Edit User Profiles", "tool-profile.png"}, // Alt+P prints
    {"Close", "Exit", "E&xit", "Close Setup Function", "tool-exit.png"},
    {"", nullptr, nullptr, nullptr, nullptr},
};
} // namespace

SetupWindow::SetupWindow(VaultServices& services, QWidget* parent)
    : QDialog(parent), m_s(services) {
    useAssets();
    setWindowTitle(QStringLiteral("Setup"));
    setAccessibleName(windowTitle());
    setModal(true);
    resize(560, 470);

    buildToolbar();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 0, 6, 6);
    layout->addWidget(m_toolbar);
    m_securityPage = new SecurityPage(m_s);
    m_categoriesPage = new CategoriesPage(m_s);
    m_profilesPage = new ProfilesPage(m_s);
    connect(m_profilesPage, &ProfilesPage::recordsImported, this, [this] { recordsChanged = true; });
    connect(m_profilesPage, &ProfilesPage::databaseFolderChanged, this, [this] {
        folderChanged = true;
        reject();
    });
    m_aboutPage = new AboutPage(m_s);
    // One page at a time in one place: the window keeps the size of the largest.
    m_stack = new QStackedWidget(this);
    for (SetupPage* page : std::initializer_list<SetupPage*>{m_securityPage, m_categoriesPage,
                                                             m_profilesPage, m_aboutPage}) {
        addPage(page);
        m_stack->addWidget(page);
    }
    layout->addWidget(m_stack, 1);
    connect(m_securityPage, &SecurityPage::printRequested, this,
            &SetupWindow::printPasswordList);

    // Opening.
    NormalPointer();
    showPage(m_securityPage);
    setTools({});
    resize(size().expandedTo(minimumSizeHint()));
}

SetupWindow::~SetupWindow() = default;

void SetupWindow::keyPressEvent(QKeyEvent* event) {
    // Escape first takes back unsaved changes, then closes.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        trigger(m_dirty ? QStringLiteral("Cancel") : QStringLiteral("Close"));
        return;
    }
    QDialog::keyPressEvent(event);
}

void SetupWindow::buildToolbar() {
    m_toolbar = new QToolBar(this);
    m_toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    m_toolbar->setIconSize(QSize(24, 24));
    for (const ToolButton& b : ToolButtons) {
        if (!b.caption) {
            m_toolbar->addSeparator();
            continue;
        }
        QAction* action =
            m_toolbar->addAction(QIcon(QStringLiteral(":/assets/") + QLatin1String(b.image)),
                                 QString::fromLatin1(b.caption));
        const QString key = QString::fromLatin1(b.key);
        action->setData(key);
        action->setToolTip(QString::fromLatin1(b.tip));
        // The button under the picture shows the caption with its Alt key
        // underlined, and takes the focus by Tab like any button.
        action->setIconText(QString::fromLatin1(b.mnemonic));
        if (QWidget* button = m_toolbar->widgetForAction(action)) {
            button->setFocusPolicy(Qt::TabFocus);
            button->setAccessibleName(QString::fromLatin1(b.caption));
        }
        if (key == u"Save") action->setShortcut(QKeySequence::Save);
        m_actions.append(action);
        connect(action, &QAction::triggered, this, [this, key] { trigger(key); });
    }
}

void SetupWindow::addPage(SetupPage* page) {
    m_pages.append(page);
    connect(page, &SetupPage::dirtyChanged, this, &SetupWindow::setDirty);
    connect(page, &SetupPage::toolsChanged, this, &SetupWindow::setTools);
    connect(page, &SetupPage::conflictMet, this,
            [this](SaveOutcome outcome) { conflict = outcome; });
}

QAction* SetupWindow::action(const QString& key) const {
    for (QAction* a : m_actions)
        if (a->data().toString() == key) return a;
    return nullptr;
}

void SetupWindow::enable(const QString& key, bool on) {
    if (QAction* a = action(key)) a->setEnabled(on);
}

void SetupWindow::setTools(const SetupTools& tools) {
    enable(QStringLiteral("Add"), tools.add);
    enable(QStringLiteral("Delete"), tools.remove);
    enable(QStringLiteral("Save"), tools.save);
    enable(QStringLiteral("Cancel"), tools.cancel);
}

void SetupWindow::setDirty(bool dirty) {
    m_dirty = dirty;
    enable(QStringLiteral("Save"), dirty);
    enable(QStringLiteral("Cancel"), dirty);
}

void SetupWindow::showPage(SetupPage* shown) {
    m_stack->setCurrentWidget(shown);
}

SetupPage* SetupWindow::currentPage() const {
    return static_cast<SetupPage*>(m_stack->currentWidget());
}

bool SetupWindow::refuseWhileDirty() {
    if (!m_dirty) return false;
    m_s.messages.show(QStringLiteral("You have unsaved changes, please CANCEL or SAVE"),
                      QStringLiteral("Tavrino"), MsgIcon::Warning);
    return true;
}

void SetupWindow::trigger(const QString& key) {
    SetupPage* pages[] = {m_securityPage, m_categoriesPage, m_aboutPage, m_profilesPage};
    const QString pageKeys[] = {QStringLiteral("Security"), QStringLiteral("Category"),
                                QStringLiteral("About"), QStringLiteral("Profile")};
    for (int i = 0; i < 4; ++i) {
        if (key != pageKeys[i]) continue;
        if (refuseWhileDirty()) return;
        showPage(pages[i]);
        setTools(pages[i]->enter());
        return;
    }
    SetupPage* page = currentPage();
    if (key == u"Close") {
        if (!refuseWhileDirty()) reject();
    } else if (key == u"Add") {
        page->add();
    } else if (key == u"Save") {
        page->save();
    } else if (key == u"Cancel") {
        page->cancel();
    } else if (key == u"Delete" && page->canRemove()) {
        if (m_s.messages.show(QStringLiteral("Are you sure you wish to delete this entry?"),
                              QStringLiteral("Delete entry"), MsgIcon::Question, MsgButtons::YesNo,
                              2) == MsgAnswer::Yes)
            page->remove();
    }
}

void SetupWindow::printPasswordList() {
    QString whyNot;
    const PrintingModule* printing = PrintingModule::load(&whyNot);
    if (!printing) {
        m_s.messages.show(QStringLiteral("Printing is not available: ") + whyNot,
                          QStringLiteral("Print List"), MsgIcon::Warning);
        return;
    }
    // Without a printer Qt would quietly print nowhere: say so instead.
    if (!preparePrinter && !printing->hasDefaultPrinter()) {
        m_s.messages.show(QStringLiteral("No printer is set up."), QStringLiteral("Print List"),
                          MsgIcon::Warning);
        return;
    }
    // Told before the job starts: which characters will print as their codes.
    GlyphCoverage coverage;
    QStringList texts;
    for (const QString& line : m_s.profile.Records.lines())
        texts << line.split(QLatin1Char('|')).mid(1);
    const QList<char32_t> missing =
        undrawableCharacters(texts, [&coverage](char32_t c) { return coverage.canDraw(c); });
    if (!missing.isEmpty()) {
        QStringList codes;
        for (char32_t c : missing)
            codes << placeholderOf(c);
        m_s.messages.show(QStringLiteral("No font on this computer can print these characters; "
                                         "they are printed as their codes instead: ") +
                              codes.join(QLatin1Char(' ')),
                          QStringLiteral("Print List"), MsgIcon::Information);
    }
    BusyPointer();
    const std::unique_ptr<PrinterJob> job(printing->openJob(preparePrinter));
    if (job->started()) {
        PasswordListPrinter list(job->surface(), m_s.session.pageNumber);
        const QDateTime now = m_s.clock.now();
        list.PrintHeading(now);
        list.PrintList(m_s.profile.Records.lines(), now);
    }
    NormalPointer();
    if (!job->started())
        m_s.messages.show(QStringLiteral("The password list could not be printed on %1.")
                              .arg(job->printerName()),
                          QStringLiteral("Print List"), MsgIcon::Warning);
}

} // namespace tavrino
