#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <array>

namespace tavrino {

// Where the password list is printed: a page with a current position, in
// points. print() writes at the position, then moves one line down to the
// left edge.
class PrintSurface {
public:
    virtual ~PrintSurface() = default;
    virtual double currentX() const = 0;
    virtual double currentY() const = 0;
    virtual void setCurrentX(double x) = 0;
    virtual void setCurrentY(double y) = 0;
    virtual double scaleWidth() const = 0;  // printable width
    virtual double scaleHeight() const = 0; // printable height
    virtual double textWidth(const QString& text) const = 0;
    virtual double textHeight(const QString& text) const = 0;
    virtual void setFont(int points, bool bold) = 0;
    virtual void print(const QString& text) = 0;
    virtual void newPage() = 0;
    virtual void endDoc() = 0;
    // Whether the surface's fonts can draw the character.
    virtual bool canDraw(char32_t) const { return true; }
};

// The printed password list: a title, eight underlined column headings, one
// row per record sorted by description, cells wrapped by characters inside
// their column, page breaks with repeated headings, and "Page N" footers.
// pageNumber counts on across printouts for the life of the program.
class PasswordListPrinter {
public:
    PasswordListPrinter(PrintSurface& surface, int& pageNumber)
        : m_s(surface), m_pageNumber(pageNumber) {}

    void PrintHeading(const QDateTime& now);
    void PrintList(const QStringList& recordLines, const QDateTime& now);
    // True when it started a new page.
    bool CheckPageBreak(double lineHeight, int column);
    void PrintPageFooter();

    static const std::array<QString, 9>& headings();
    // The records' positions (1-based) in printing order.
    static QList<qsizetype> printOrder(const QStringList& recordLines);

private:
    PrintSurface& m_s;
    int& m_pageNumber;
    std::array<double, 9> m_x{};
    double m_rowTop = 0;
    QDateTime m_now;
};

} // namespace tavrino
