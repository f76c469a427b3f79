#pragma once

#include "ui/desktop/gif_parser.h"

#include <QColor>
#include <QImage>
#include <QList>
#include <QPixmap>
#include <QString>
#include <QVariantMap>
#include <QWidget>

class QTimer;

namespace tavrino {

class MessageService;

// Plays an animated GIF: the file is split into one-frame GIF files in the
// temporary folder, each decoded once, and the frames are composited into a
// back buffer on a timer as viewers do: after a frame, disposal 0 and 1 keep
// it, 2 restores its area to the background, 3 the picture before it; a
// frame's transparent pixels keep what is beneath.
class AnimatedGif : public QWidget {
    Q_OBJECT
public:
    explicit AnimatedGif(MessageService& messages, QWidget* parent = nullptr);
    ~AnimatedGif() override;

    QString fileName() const { return m_fileName; }
    void setFileName(const QString& name);
    int currentFrame() const { return m_currentFrame; }
    void setCurrentFrame(int frame) { m_currentFrame = frame; }
    int numberOfFrames() const { return m_numberOfFrames; }
    void setNumberOfFrames(int n) { m_numberOfFrames = n; }
    int userDelay() const { return m_userDelay; }
    void setUserDelay(int milliseconds);
    bool stopRender() const { return m_stopRender; }
    void setStopRender(bool stop) { m_stopRender = stop; }
    bool changeTransparentColor() const { return m_changeTransparent; }
    void setChangeTransparentColor(bool change) { m_changeTransparent = change; }
    bool displaySavedFileName() const { return m_displaySaved; }
    void setDisplaySavedFileName(bool display) { m_displaySaved = display; }
    QColor backColor() const { return m_backcolor; }
    void setBackColor(const QColor& color);
    QPixmap picture() const { return m_picture; }
    void setPicture(const QPixmap& picture);
    QColor maskColor() const { return m_maskColor; }
    void setMaskColor(const QColor& color);
    QPixmap maskPicture() const { return m_maskPicture; }
    void setMaskPicture(const QPixmap& picture);
    int borderStyle() const { return m_borderStyle; }
    void setBorderStyle(int style);

    void loadGif(bool getFname);
    void paintFrame(int frame);
    void renderFrame(int frame);
    void startAnimation();
    void stopAnimation();
    void stopGif();
    // What an uncovered control does: the saved file is loaded, or frame 0 is shown.
    void refresh();
    void onTimerTick();

    // Saved with the host: BackColor, Picture, MaskColor, MaskPicture,
    // BorderStyle, strGifFileName.
    void readProperties(const QVariantMap& bag);
    QVariantMap writeProperties() const;

    const GifFile& gif() const { return m_gif; }
    const QList<QImage>& framePictures() const { return m_pictures; }
    const QImage& backBuffer() const { return m_back; }
    // What the control shows (hDC of the control).
    const QImage& surface() const { return m_surface; }
    int timerInterval() const;
    bool timerRunning() const;
    // The temporary files of the last load, kept for inspection by tests.
    QStringList lastTemporaryFiles() const { return m_tempNames; }

    // The animation's size once loaded, so layouts give it room.
    QSize sizeHint() const override;

signals:
    void resized();        // the host resized the control
    void pictureResized(); // the control took the animation's size
    void propertyChanged(const QString& name);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void clearFrames();
    void decodeFrames();
    // Draws frame k over the back buffer after the last frame's disposal.
    void compose(int k);

    MessageService& m_messages;
    QString m_fileName;
    int m_currentFrame = 0;
    int m_numberOfFrames = -1;
    int m_userDelay = 0;
    bool m_stopRender = true;
    bool m_changeTransparent = true;
    bool m_displaySaved = false;
    QColor m_backcolor;
    QPixmap m_picture;
    QColor m_maskColor;
    QPixmap m_maskPicture;
    int m_borderStyle = 0;
    GifFile m_gif;
    QList<QImage> m_pictures;
    QImage m_back;
    int m_lastDrawn = -1;
    // What the last drawn frame leaves for the next: its disposal method
    // (2 restores its area to the background, 3 the picture before it).
    struct Disposal {
        int disposal = 0;
        QRect area;
        QImage before;
    } m_dispose;
    QImage m_surface;
    QTimer* m_timer;
    QStringList m_tempNames;
};

} // namespace tavrino
