#include "record_popup.h"

#include "shell/single_instance.h"
#include "ui/common/address_service.h"
#include "ui/common/assets.h"
#include "ui/common/secret_clipboard.h"
#include "ui/desktop/accessibility.h"
#include "ui/desktop/image_button.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QGuiApplication>
#include <QClipboard>
#include <QAction>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace tavrino {

const QColor RecordPopup::LinkNormal(255, 255, 255);
const QColor RecordPopup::LinkHover(170, 170, 255);

void SetTopMost(QWidget* window, bool topMost) {
    if (window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) != topMost) {
        const bool visible = window->isVisible();
        window->setWindowFlag(Qt::WindowStaysOnTopHint, topMost);
        if (visible) window->show();
    }
    if (topMost && window->isVisible()) window->raise();
}

namespace {

template <class Label = QLabel>
Label* whiteLabel(const QString& text, QWidget* parent, const QRect& place) {
    auto* label = new Label(text, parent);
    label->setGeometry(place);
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, RecordPopup::LinkNormal);
    label->setPalette(pal);
    return label;
}

QLineEdit* lockedBox(QWidget* parent, QLabel* caption, const QRect& place) {
    auto* box = new QLineEdit(parent);
    box->setGeometry(place);
    box->setReadOnly(true);
    caption->setBuddy(box);
    box->setAccessibleName(caption->text());
    return box;
}

// An eye, drawn: the reveal toggle of the password box.
QIcon eyeIcon() {
    QPixmap eye(16, 16);
    eye.fill(Qt::transparent);
    QPainter p(&eye);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(60, 60, 60), 1.4));
    p.drawEllipse(QRectF(1.5, 4.5, 13, 7));
    p.setBrush(QColor(60, 60, 60));
    p.drawEllipse(QRectF(5.5, 5.5, 5, 5));
    return QIcon(eye);
}

QPixmap asset(const char* name) {
    return QPixmap::fromImage(WindowShape::pictureFor(QStringLiteral(":/assets/") + QLatin1String(name),
                                                      qApp->devicePixelRatio()));
}

} // namespace

RecordPopup::RecordPopup(AddressService& addresses, SecretClipboard* clipboard, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_addresses(addresses), m_clipboard(clipboard ? clipboard : new SecretClipboard(this)) {
    showOnlyShownChildren(this, QAccessible::Window);
    useAssets();
    setWindowTitle(QStringLiteral("Tavrino Record"));
    setAccessibleName(windowTitle());
    // The picture's outside is blue, the colour the shape cuts away.
    m_picture = m_shape.shapeToPicture(this, QStringLiteral(":/assets/popup.png"), qRgb(0, 0, 255));
    setMouseTracking(true);

    m_userCode = lockedBox(this, whiteLabel(QStringLiteral("User Code"), this, {12, 10, 120, 14}),
                           {12, 25, 168, 21});
    m_password = lockedBox(this, whiteLabel(QStringLiteral("Password"), this, {12, 50, 120, 14}),
                           {12, 65, 168, 21});
    // Masked: whoever looks over the shoulder sees nothing, and a selection
    // of masked text never reaches the X selection (middle-click paste).
    m_password->setEchoMode(QLineEdit::Password);
    m_reveal = m_password->addAction(eyeIcon(), QLineEdit::TrailingPosition);
    m_reveal->setCheckable(true);
    m_reveal->setText(QStringLiteral("Show password"));
    m_reveal->setToolTip(m_reveal->text());
    connect(m_reveal, &QAction::toggled, this, [this](bool shown) {
        m_password->setEchoMode(shown ? QLineEdit::Normal : QLineEdit::Password);
        m_reveal->setText(shown ? QStringLiteral("Hide password") : QStringLiteral("Show password"));
        m_reveal->setToolTip(m_reveal->text());
    });
    m_expiryDate = lockedBox(
        this, whiteLabel(QStringLiteral("Expiry date"), this, {12, 90, 70, 14}), {84, 88, 96, 19});
    m_webLink = whiteLabel<LinkLabel>(QStringLiteral("Web Site - \"Click\" here!"), this,
                                      {12, 108, 200, 15});
    m_emailLink = whiteLabel<LinkLabel>(QStringLiteral("Email Address - \"Click\" here!"), this,
                                        {12, 123, 200, 15});
    m_webLink->setObjectName(QStringLiteral("webLink"));
    m_emailLink->setObjectName(QStringLiteral("emailLink"));
    connect(m_webLink, &LinkLabel::clicked, this, [this] {
        if (!m_webLink->text().isEmpty()) openWebAddress(m_webLink->text());
    });
    connect(m_emailLink, &LinkLabel::clicked, this, [this] {
        if (!m_emailLink->text().isEmpty()) openEmailAddress(m_emailLink->text());
    });

    m_copyUserCodeButton =
        new ImageButton(asset("copy.png"), QStringLiteral("Copy User Code to Clipboard "), this);
    m_copyUserCodeButton->move(186, 24);
    m_copyPasswordButton =
        new ImageButton(asset("copy.png"), QStringLiteral("Copy Password to Clipboard "), this);
    m_copyPasswordButton->move(186, 64);
    m_closeButton = new ImageButton(asset("close.png"), QStringLiteral("Close"), this);
    m_closeButton->move(194, 5);

    for (QWidget* w :
         std::initializer_list<QWidget*>{m_copyUserCodeButton, m_copyPasswordButton, m_closeButton, m_webLink, m_emailLink}) {
        w->setMouseTracking(true);
        w->installEventFilter(this);
    }
    // How long a copy stays on the clipboard, while it does.
    m_clipboardNote = whiteLabel(QString(), this, {84, 10, 96, 14});
    m_clipboardNote->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QFont small = m_clipboardNote->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    m_clipboardNote->setFont(small);
    m_clipboardNote->setAccessibleName(QStringLiteral("Clipboard"));
    m_clipboardNote->hide();
    connect(m_clipboard, &SecretClipboard::secondsLeftChanged, this, [this](int seconds) {
        m_clipboardNote->setText(QStringLiteral("Clears in %1 s").arg(seconds));
        m_clipboardNote->setVisible(seconds > 0);
    });
    connect(m_copyUserCodeButton, &ImageButton::clicked, this, [this] { copy(m_userCode); });
    connect(m_copyPasswordButton, &ImageButton::clicked, this, [this] { copy(m_password); });
    connect(m_closeButton, &ImageButton::clicked, this, [this] { closePopup(); });
}

RecordPopup::~RecordPopup() {
    // A clipboard of our own goes with our children, after this destructor:
    // its last "cleared" must not reach a popup that is no longer one.
    if (m_clipboard) disconnect(m_clipboard, nullptr, this, nullptr);
}

void RecordPopup::showRecord(const QStringList& fields) {
    m_userCode->setText(fields.value(3));
    m_password->setText(fields.value(4));
    m_expiryDate->setText(fields.value(6));
    m_webLink->setText(fields.value(7));
    m_emailLink->setText(fields.value(8));
    // Announced with the address it opens.
    m_webLink->setAccessibleName(QStringLiteral("Web Site ") + fields.value(7));
    m_emailLink->setAccessibleName(QStringLiteral("Email Address ") + fields.value(8));
    for (QLineEdit* box : {m_userCode, m_password, m_expiryDate})
        box->setCursorPosition(0);
    if (startCloseTimer) startCloseTimer();
    show();
    SetTopMost(this, true);
    // Keyboard users carry on here: Tab through the copies and links, Escape closes.
    activateWindow();
    m_copyUserCodeButton->setFocus();
}

void RecordPopup::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        closePopup();
        return;
    }
    QWidget::keyPressEvent(event);
}

void RecordPopup::closePopup() {
    close();
}

void RecordPopup::closeEvent(QCloseEvent* event) {
    // What the popup copied goes with it, and so does what it showed: a
    // revealed password selected with the mouse is in the X selection too.
    m_clipboard->clear();
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard->supportsSelection() && !m_password->text().isEmpty() &&
        clipboard->text(QClipboard::Selection) == m_password->text())
        clipboard->clear(QClipboard::Selection);
    m_reveal->setChecked(false);
    for (QLineEdit* box : {m_userCode, m_password, m_expiryDate})
        box->clear();
    m_webLink->setText(QString());
    m_emailLink->setText(QString());
    QWidget::closeEvent(event);
}

void RecordPopup::openWebAddress(const QString& address) {
    m_addresses.open(address);
}

void RecordPopup::openEmailAddress(const QString& address) {
    m_addresses.open(QStringLiteral("mailto:") + address);
}

void RecordPopup::copy(QLineEdit* source) {
    m_clipboard->copy(source->text());
    setCursor(QCursor(asset("copied-cursor.png"), 15, 14));
}

bool RecordPopup::showsCopiedCursor() const {
    return cursor().shape() == Qt::BitmapCursor;
}

void RecordPopup::setLinkColor(QWidget* label, const QColor& color) {
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, color);
    label->setPalette(pal);
}

QColor RecordPopup::linkColor(QWidget* label) const {
    return label->palette().color(QPalette::WindowText);
}

bool RecordPopup::copyHighlighted(ImageButton* button) const {
    return button->property("hover").toBool();
}
bool RecordPopup::closeHighlighted() const {
    return m_closeButton->property("hover").toBool();
}

void RecordPopup::resetFaces() {
    m_closeButton->setPixmap(asset("close.png"));
    m_closeButton->setProperty("hover", false);
    for (ImageButton* b : {m_copyUserCodeButton, m_copyPasswordButton}) {
        b->setPixmap(asset("copy.png"));
        b->setProperty("hover", false);
    }
    setLinkColor(m_webLink, LinkNormal);
    setLinkColor(m_emailLink, LinkNormal);
}

bool RecordPopup::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove) {
        if (watched == m_closeButton) {
            m_closeButton->setPixmap(asset("close-hover.png"));
            m_closeButton->setProperty("hover", true);
        } else if (watched == m_copyUserCodeButton || watched == m_copyPasswordButton) {
            auto* hovered = static_cast<ImageButton*>(watched);
            ImageButton* other = hovered == m_copyUserCodeButton ? m_copyPasswordButton : m_copyUserCodeButton;
            hovered->setPixmap(asset("copy-hover.png"));
            hovered->setProperty("hover", true);
            other->setPixmap(asset("copy.png"));
            other->setProperty("hover", false);
        } else if (watched == m_webLink || watched == m_emailLink) {
            LinkLabel* hovered = watched == m_webLink ? m_webLink : m_emailLink;
            setLinkColor(hovered == m_webLink ? m_emailLink : m_webLink, LinkNormal);
            setLinkColor(hovered, LinkHover);
        }
        // Not the background's move, which would undo the faces just set.
        if (watched == m_closeButton || watched == m_copyUserCodeButton || watched == m_copyPasswordButton ||
            watched == m_webLink || watched == m_emailLink)
            return true;
    }
    return QWidget::eventFilter(watched, event);
}

void RecordPopup::showEvent(QShowEvent* event) {
    m_closeButton->setPixmap(asset("close.png"));
    NormalPointer();
    QWidget::showEvent(event);
}

void RecordPopup::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawPixmap(0, 0, m_picture);
}

void RecordPopup::mousePressEvent(QMouseEvent* event) {
    m_shape.mousePressed(this, event->button(), event->globalPosition().toPoint());
}

void RecordPopup::mouseMoveEvent(QMouseEvent* event) {
    if (m_shape.mouseMoved(this, event->buttons(), event->globalPosition().toPoint())) return;
    resetFaces();
    unsetCursor();
}

void RecordPopup::mouseReleaseEvent(QMouseEvent*) {
    m_shape.mouseReleased();
}

} // namespace tavrino
