#include "animated_gif.h"

#include "shell/message_service.h"
#include "shell/single_instance.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QTemporaryFile>
#include <QTimer>

namespace tavrino {

AnimatedGif::AnimatedGif(MessageService& messages, QWidget* parent)
    : QWidget(parent), m_messages(messages), m_timer(new QTimer(this)) {
    const QColor face = palette().color(QPalette::Button);
    m_backcolor = face;
    m_maskColor = face;
    setAccessibleName(QStringLiteral("Animation"));
    connect(m_timer, &QTimer::timeout, this, [this] { onTimerTick(); });
}

AnimatedGif::~AnimatedGif() = default;

void AnimatedGif::setFileName(const QString& name) {
    m_fileName = name;
    emit propertyChanged(QStringLiteral("strGifFileName"));
}

void AnimatedGif::setUserDelay(int milliseconds) {
    m_userDelay = std::clamp(milliseconds, 1, 1000);
}

void AnimatedGif::setBackColor(const QColor& color) {
    m_backcolor = color;
    update();
    emit propertyChanged(QStringLiteral("BackColor"));
}

void AnimatedGif::setPicture(const QPixmap& picture) {
    m_picture = picture;
    update();
    emit propertyChanged(QStringLiteral("Picture"));
}

void AnimatedGif::setMaskColor(const QColor& color) {
    m_maskColor = color;
    emit propertyChanged(QStringLiteral("MaskColor"));
}

void AnimatedGif::setMaskPicture(const QPixmap& picture) {
    m_maskPicture = picture;
    emit propertyChanged(QStringLiteral("MaskPicture"));
}

void AnimatedGif::setBorderStyle(int style) {
    m_borderStyle = style;
    update();
    emit propertyChanged(QStringLiteral("BorderStyle"));
}

QSize AnimatedGif::sizeHint() const {
    if (m_gif.width > 0 && m_gif.height > 0) return {m_gif.width, m_gif.height};
    return {32, 32};
}

int AnimatedGif::timerInterval() const {
    return m_timer->isActive() ? m_timer->interval() : 0;
}
bool AnimatedGif::timerRunning() const {
    return m_timer->isActive();
}

void AnimatedGif::clearFrames() {
    m_pictures.clear();
    m_gif = GifFile{};
    m_currentFrame = 0;
}

void AnimatedGif::loadGif(bool getFname) {
    stopGif();
    if (!m_surface.isNull()) m_surface.fill(m_backcolor);
    clearFrames();
    (void)getFname; // the file name is already set; nothing else to wait for
    setCursor(Qt::WaitCursor);

    if (!m_fileName.isEmpty()) {
        QFile file(m_fileName);
        QByteArray bytes;
        if (file.open(QIODevice::ReadOnly)) bytes = file.readAll();
        switch (parseGif(bytes, m_changeTransparent, m_gif)) {
        case GifParse::Empty:
            m_gif = GifFile{};
            break;
        case GifParse::NotGif:
            m_messages.show(QStringLiteral("Sorry, not an Animated Gif file"),
                            QStringLiteral("Not a Valid Animated Gif File!"));
            m_fileName.clear();
            break;
        case GifParse::Ok:
            // A file with a header but no complete image has no frames: -1.
            m_numberOfFrames = static_cast<int>(m_gif.frames.size()) - 1;
            decodeFrames();
            m_back = QImage((m_gif.width + 31) / 32 * 32, m_gif.height, QImage::Format_ARGB32);
            m_back.fill(m_backcolor);
            break;
        }
    }
    unsetCursor();
    if (!m_fileName.isEmpty()) {
        setUserDelay(0);
        paintFrame(0);
    }
}

void AnimatedGif::decodeFrames() {
    m_tempNames.clear();
    m_pictures.clear();
    for (qsizetype k = 0; k < m_gif.frames.size(); ++k) {
        // One file per frame, named from the frame number, extension GIF.
        QTemporaryFile file(QDir::tempPath() + QLatin1Char('/') + QString::number(k) +
                            QStringLiteral("XXXXXX.GIF"));
        file.setAutoRemove(true);
        QImage picture;
        if (file.open()) {
            m_tempNames.append(file.fileName());
            file.write(singleFrameFile(m_gif, k));
            file.flush();
            picture = QImage(file.fileName(), "GIF").convertToFormat(QImage::Format_ARGB32);
        }
        m_pictures.append(picture);
    }
}

QColor AnimatedGif::keyColor(const GifFrame& frame) const {
    const QByteArray& table = frame.localTableFlag ? frame.localTable : m_gif.globalTable;
    const qsizetype i = 3 * frame.transparentIndex;
    if (i + 2 >= table.size()) return {};
    return QColor(static_cast<unsigned char>(table[i]), static_cast<unsigned char>(table[i + 1]),
                  static_cast<unsigned char>(table[i + 2]));
}

void AnimatedGif::paintFrame(int frame) {
    if (m_fileName.isEmpty()) {
        m_messages.show(
            QStringLiteral("Sorry, you must first select an Animated Gif file to Load"));
        return;
    }
    m_stopRender = false;
    renderFrame(frame);
}

void AnimatedGif::renderFrame(int k) {
    if (k < 0 || k >= m_pictures.size() || m_pictures[k].isNull()) return;
    if (m_stopRender) return;
    const QImage& picture = m_pictures[k];
    if (size() != picture.size()) {
        resize(picture.size());
        updateGeometry();
        emit pictureResized();
    }
    const GifFrame& frame = m_gif.frames[k];
    if (frame.disposal == 2) m_back.fill(m_backcolor);
    const QRect r(frame.left, frame.top, frame.width, frame.height);
    // Decoders give either the whole screen with the frame in place, or the frame alone.
    const QPoint from =
        picture.size() == QSize(m_gif.width, m_gif.height) ? r.topLeft() : QPoint(0, 0);
    const QColor key = frame.transparent ? keyColor(frame) : QColor();
    for (int y = 0; y < r.height(); ++y) {
        const int sy = from.y() + y;
        const int ty = r.top() + y;
        if (sy < 0 || sy >= picture.height() || ty < 0 || ty >= m_back.height()) continue;
        const auto* src = reinterpret_cast<const QRgb*>(picture.constScanLine(sy));
        auto* dst = reinterpret_cast<QRgb*>(m_back.scanLine(ty));
        for (int x = 0; x < r.width(); ++x) {
            const int sx = from.x() + x;
            const int tx = r.left() + x;
            if (sx < 0 || sx >= picture.width() || tx < 0 || tx >= m_back.width()) continue;
            const QRgb pixel = src[sx];
            // Key pixels keep the background: the key colour, or what the
            // decoder already made see-through.
            if (frame.transparent &&
                (qAlpha(pixel) == 0 || (pixel & 0xFFFFFF) == (key.rgb() & 0xFFFFFF)))
                continue;
            dst[tx] = pixel | 0xFF000000;
        }
    }
    m_surface = m_back.copy();
    update();
}

void AnimatedGif::startAnimation() {
    if (m_fileName.isEmpty()) {
        m_messages.show(
            QStringLiteral("Sorry, you must first select an Animated Gif file to Load"));
        return;
    }
    m_stopRender = false;
    bool anyPicture = false;
    for (const QImage& p : m_pictures)
        anyPicture = anyPicture || !p.isNull();
    if (anyPicture) m_timer->start(250);
}

void AnimatedGif::stopAnimation() {
    m_stopRender = true;
    m_timer->stop();
}

void AnimatedGif::stopGif() {
    m_stopRender = true;
    stopAnimation();
}

void AnimatedGif::onTimerTick() {
    if (m_stopRender) return;
    paintFrame(m_currentFrame);
    if (++m_currentFrame > m_numberOfFrames) m_currentFrame = 0;
    const int delay = m_currentFrame < m_gif.frames.size() ? m_gif.frames[m_currentFrame].delay : 0;
    m_timer->setInterval(delay >= 500 ? m_userDelay + 100 : delay * 10 + m_userDelay);
}

void AnimatedGif::refresh() {
    if (m_fileName.isEmpty()) return;
    if (m_displaySaved) {
        m_displaySaved = false;
        loadGif(false);
    } else {
        paintFrame(0);
    }
}

void AnimatedGif::readProperties(const QVariantMap& bag) {
    const QColor face = palette().color(QPalette::Button);
    m_backcolor = bag.value(QStringLiteral("BackColor"), face).value<QColor>();
    m_picture = bag.value(QStringLiteral("Picture")).value<QPixmap>();
    m_maskColor = bag.value(QStringLiteral("MaskColor"), face).value<QColor>();
    m_maskPicture = bag.value(QStringLiteral("MaskPicture")).value<QPixmap>();
    m_borderStyle = bag.value(QStringLiteral("BorderStyle"), 0).toInt();
    m_fileName = bag.value(QStringLiteral("strGifFileName")).toString();
    if (!m_fileName.isEmpty() && QFile::exists(m_fileName)) m_displaySaved = true;
}

QVariantMap AnimatedGif::writeProperties() const {
    return {{QStringLiteral("BackColor"), m_backcolor},
            {QStringLiteral("Picture"), m_picture},
            {QStringLiteral("MaskColor"), m_maskColor},
            {QStringLiteral("MaskPicture"), m_maskPicture},
            {QStringLiteral("BorderStyle"), m_borderStyle},
            {QStringLiteral("strGifFileName"), m_fileName}};
}

void AnimatedGif::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), m_backcolor);
    if (!m_picture.isNull()) p.drawPixmap(0, 0, m_picture);
    if (!m_surface.isNull()) p.drawImage(0, 0, m_surface);
    if (m_borderStyle == 1) {
        p.setPen(palette().color(QPalette::Dark));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void AnimatedGif::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    emit resized();
}

void AnimatedGif::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    refresh();
}

} // namespace tavrino
