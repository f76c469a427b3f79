#include "record_popup.h"

#include "shell/single_instance.h"
#include "ui/common/address_service.h"
#include "ui/common/assets.h"
#include "ui/common/secret_clipboard.h"
#include "ui/desktop/image_button.h"

#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>

namespace tavrino {

const QColor RecordPopup::LinkNormal(255, 255, 255);
const QColor RecordPopup::LinkHover(170, 170, 255);

void FormResize(QWidget* window, const QPixmap& picture) {
    window->setFixedSize(picture.size());
}

void SetTopMost(QWidget* window, bool topMost) {
    if (window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) != topMost) {
        const bool visible = window->isVisible();
        window->setWindowFlag(Qt::WindowStaysOnTopHint, topMost);
        if (visible) window->show();
    }
    if (topMost && window->isVisible()) window->raise();
}

namespace {

QLabel* whiteLabel(const QString& text, QWidget* parent, const QRect& place) {
    auto* label = new QLabel(text, parent);
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

QPixmap asset(const char* name) {
    return QPixmap(QStringLiteral(":/assets/") + QLatin1String(name));
}

} // namespace

RecordPopup::RecordPopup(AddressService& addresses, SecretClipboard* clipboard, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_addresses(addresses), m_clipboard(clipboard ? clipboard : new SecretClipboard(this)) {
    useAssets();
    setWindowTitle(QStringLiteral("Tavrino Record"));
    setAccessibleName(windowTitle());
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_picture = asset("popup.png");
    FormResize(this, m_picture);
    setMouseTracking(true);

    Label1 = whiteLabel(QStringLiteral("User Code"), this, {12, 10, 120, 14});
    txtcode = lockedBox(this, Label1, {12, 25, 168, 21});
    Label2 = whiteLabel(QStringLiteral("Password"), this, {12, 50, 120, 14});
    txtpass = lockedBox(this, Label2, {12, 65, 168, 21});
    Label3 = whiteLabel(QStringLiteral("Expiry date"), this, {12, 90, 70, 14});
    txtExpiryDate = lockedBox(this, Label3, {84, 88, 96, 19});
    lblWeb = whiteLabel(QStringLiteral("Web Site - \"Click\" here!"), this, {12, 108, 200, 15});
    lblEmail =
        whiteLabel(QStringLiteral("Email Address - \"Click\" here!"), this, {12, 123, 200, 15});
    for (QLabel* link : {lblWeb, lblEmail})
        link->setCursor(Qt::PointingHandCursor);
    lblWeb->setAccessibleName(QStringLiteral("Web Site"));
    lblEmail->setAccessibleName(QStringLiteral("Email Address"));

    ImgCopyUser =
        new ImageButton(asset("copy.png"), QStringLiteral("Copy User Code to Clipboard "), this);
    ImgCopyUser->move(186, 24);
    ImgPass =
        new ImageButton(asset("copy.png"), QStringLiteral("Copy Password to Clipboard "), this);
    ImgPass->move(186, 64);
    cmdClose = new ImageButton(asset("close.png"), QStringLiteral("Close"), this);
    cmdClose->move(194, 5);

    for (QWidget* w :
         std::initializer_list<QWidget*>{ImgCopyUser, ImgPass, cmdClose, lblWeb, lblEmail}) {
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
    connect(ImgCopyUser, &ImageButton::clicked, this, [this] { copy(txtcode); });
    connect(ImgPass, &ImageButton::clicked, this, [this] { copy(txtpass); });
    connect(cmdClose, &ImageButton::clicked, this, [this] { cmdClose_Click(); });
}

void RecordPopup::GetItem(const QStringList& fields) {
    txtcode->setText(fields.value(3));
    txtpass->setText(fields.value(4));
    txtExpiryDate->setText(fields.value(6));
    lblWeb->setText(fields.value(7));
    lblEmail->setText(fields.value(8));
    if (startTimer) startTimer();
    show();
    SetTopMost(this, true);
}

void RecordPopup::cmdClose_Click() {
    close();
}

void RecordPopup::closeEvent(QCloseEvent* event) {
    // What the popup copied goes with it.
    m_clipboard->clear();
    QWidget::closeEvent(event);
}

void RecordPopup::OpenWebAddress(const QString& address) {
    m_addresses.open(address);
}

void RecordPopup::OpenEmailAddress(const QString& address) {
    m_addresses.open(QStringLiteral("mailto:") + address);
}

void RecordPopup::copy(QLineEdit* source) {
    m_clipboard->copy(source->text());
    setCursor(QCursor(asset("copied-cursor.png"), 15, 14));
}

bool RecordPopup::showsCopiedCursor() const {
    return cursor().shape() == Qt::BitmapCursor;
}

void RecordPopup::setLinkColor(QLabel* label, const QColor& color) {
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, color);
    label->setPalette(pal);
}

QColor RecordPopup::linkColor(QLabel* label) const {
    return label->palette().color(QPalette::WindowText);
}

bool RecordPopup::copyHighlighted(ImageButton* button) const {
    return button->property("hover").toBool();
}
bool RecordPopup::closeHighlighted() const {
    return cmdClose->property("hover").toBool();
}

void RecordPopup::resetFaces() {
    cmdClose->setPixmap(asset("close.png"));
    cmdClose->setProperty("hover", false);
    for (ImageButton* b : {ImgCopyUser, ImgPass}) {
        b->setPixmap(asset("copy.png"));
        b->setProperty("hover", false);
    }
    setLinkColor(lblWeb, LinkNormal);
    setLinkColor(lblEmail, LinkNormal);
}

bool RecordPopup::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove) {
        if (watched == cmdClose) {
            cmdClose->setPixmap(asset("close-hover.png"));
            cmdClose->setProperty("hover", true);
        } else if (watched == ImgCopyUser || watched == ImgPass) {
            auto* hovered = static_cast<ImageButton*>(watched);
            ImageButton* other = hovered == ImgCopyUser ? ImgPass : ImgCopyUser;
            hovered->setPixmap(asset("copy-hover.png"));
            hovered->setProperty("hover", true);
            other->setPixmap(asset("copy.png"));
            other->setProperty("hover", false);
        } else if (watched == lblWeb || watched == lblEmail) {
            setLinkColor(watched == lblWeb ? lblEmail : lblWeb, LinkNormal);
            setLinkColor(static_cast<QLabel*>(watched), LinkHover);
        }
        // Not the background's move, which would undo the faces just set.
        if (watched == cmdClose || watched == ImgCopyUser || watched == ImgPass ||
            watched == lblWeb || watched == lblEmail)
            return true;
    } else if (event->type() == QEvent::MouseButtonRelease &&
               static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == lblWeb && !lblWeb->text().isEmpty()) OpenWebAddress(lblWeb->text());
        if (watched == lblEmail && !lblEmail->text().isEmpty()) OpenEmailAddress(lblEmail->text());
    }
    return QWidget::eventFilter(watched, event);
}

void RecordPopup::showEvent(QShowEvent* event) {
    if (!m_shaped) {
        m_shape.shapeTo(this, qRgb(0, 0, 255));
        m_shaped = true;
    }
    cmdClose->setPixmap(asset("close.png"));
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
