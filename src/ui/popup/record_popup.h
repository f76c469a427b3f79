#pragma once

#include "ui/desktop/window_shape.h"

#include <QPixmap>
#include <QPointer>
#include <QWidget>

#include <functional>

class QLabel;
class QAction;
class QLineEdit;

namespace tavrino {

class AddressService;
class ImageButton;
class LinkLabel;
class SecretClipboard;

// Sizes a window to its background picture.

// Keeps a window above all others (or lets it go back to the normal layer).
void SetTopMost(QWidget* window, bool topMost);

// The small always-on-top popup of one record: user code and password to
// copy, the expiry date, and the web site and mail address to open.
class RecordPopup : public QWidget {
    Q_OBJECT
public:
    // clipboard: where copies go (the popup makes its own when none is given).
    explicit RecordPopup(AddressService& addresses, SecretClipboard* clipboard = nullptr,
                         QWidget* parent = nullptr);
    ~RecordPopup() override;

    // fields: the record line split at "|" (type code first). Shows the popup
    // and calls startCloseTimer (the vault's one-minute close timer).
    void showRecord(const QStringList& fields);
    void closePopup();
    void openWebAddress(const QString& address);
    void openEmailAddress(const QString& address);

    std::function<void()> startCloseTimer;

    static const QColor LinkNormal;
    static const QColor LinkHover;
    QColor linkColor(QWidget* label) const;
    bool copyHighlighted(ImageButton* button) const;
    bool closeHighlighted() const;
    bool showsCopiedCursor() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void copy(QLineEdit* source);
    void setLinkColor(QWidget* label, const QColor& color);
    void resetFaces();

    QLineEdit* m_userCode;
    QLineEdit* m_password;
    QAction* m_reveal;
    QLineEdit* m_expiryDate;
    LinkLabel* m_webLink;
    LinkLabel* m_emailLink;
    ImageButton* m_copyUserCodeButton;
    ImageButton* m_copyPasswordButton;
    ImageButton* m_closeButton;
    AddressService& m_addresses;
    QPointer<SecretClipboard> m_clipboard; // the vault's may go first at exit
    QLabel* m_clipboardNote;
    QPixmap m_picture;
    WindowShape m_shape;
};

} // namespace tavrino
