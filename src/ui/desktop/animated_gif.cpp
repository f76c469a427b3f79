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
    m_lastDrawn = -1;
    m_dispose = {};
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
    if (size() != m_pictures[k].size()) {
        resize(m_pictures[k].size());
        updateGeometry();
        emit pictureResized();
    }
    // Frames build on each other: the next one goes on from the last drawn,
    // any other starts again from the first.
    if (k == 0 || k != m_lastDrawn + 1) {
        m_back.fill(m_backcolor);
        m_lastDrawn = -1;
        m_dispose = {};
    }
    for (int frame = m_lastDrawn + 1; frame <= k; ++frame)
        compose(frame);
    m_surface = m_back.copy();
    update();
}

void AnimatedGif::compose(int k) {
    // What the frame before asked to leave behind it.
    if (m_dispose.disposal == 2) {
        QPainter painter(&m_back);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(m_dispose.area, m_backcolor);
    }
    else if (m_dispose.disposal == 3 && !m_dispose.before.isNull())
        m_back = m_dispose.before;

    const GifFrame& frame = m_gif.frames[k];
    const QImage& picture = m_pictures[k];
    const QRect area = QRect(frame.left, frame.top, frame.width, frame.height)
                           .intersected(QRect(0, 0, m_gif.width, m_gif.height));
    m_dispose = {frame.disposal, area, frame.disposal == 3 ? m_back : QImage()};
    // Decoders give either the whole screen with the frame in place, or the frame alone.
    const QPoint shift = picture.size() == QSize(m_gif.width, m_gif.height)
                             ? QPoint(0, 0)
                             : QPoint(-frame.left, -frame.top);
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const int sy = y + shift.y();
        if (sy < 0 || sy >= picture.height()) continue;
        const auto* src = reinterpret_cast<const QRgb*>(picture.constScanLine(sy));
        auto* dst = reinterpret_cast<QRgb*>(m_back.scanLine(y));
        for (int x = area.left(); x <= area.right(); ++x) {
            const int sx = x + shift.x();
            if (sx < 0 || sx >= picture.width()) continue;
            // The frame's transparent pixels (the decoder made them see-through)
            // keep what is there.
            if (qAlpha(src[sx]) != 0) dst[x] = src[sx] | 0xFF000000;
        }
    }
    m_lastDrawn = k;
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
