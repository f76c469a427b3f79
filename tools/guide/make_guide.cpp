// Renders an HTML page (with its pictures) into a PDF file: the quick-start
// guide that the program opens from its getting-started window.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTextDocument>
#include <QUrl>

#include <cstdio>

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_guide SOURCE.html OUTPUT.pdf\n");
        return 2;
    }
    QFile source(QString::fromLocal8Bit(argv[1]));
    if (!source.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "make_guide: cannot read %s\n", argv[1]);
        return 1;
    }
    const QString html = QString::fromUtf8(source.readAll());
    QTextDocument document;
    // Pictures are named relative to the page; hand them over already loaded.
    const QDir folder = QFileInfo(source).absoluteDir();
    static const QRegularExpression image(QStringLiteral("<img[^>]*src=\"([^\"]+)\""));
    for (auto it = image.globalMatch(html); it.hasNext();) {
        const QString name = it.next().captured(1);
        const QImage picture(folder.filePath(name));
        if (picture.isNull()) {
            std::fprintf(stderr, "make_guide: cannot read the picture %s\n", qPrintable(name));
            return 1;
        }
        document.addResource(QTextDocument::ImageResource, QUrl(name), picture);
    }
    document.setHtml(html);

    QPdfWriter pdf(QString::fromLocal8Bit(argv[2]));
    pdf.setTitle(document.metaInformation(QTextDocument::DocumentTitle));
    pdf.setCreator(QStringLiteral("Tavrino"));
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setPageMargins(QMarginsF(18, 18, 18, 18), QPageLayout::Millimeter);
    document.print(&pdf);
    return 0;
}
