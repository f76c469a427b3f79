#include "store/profile.h"
#include "support/test_support.h"
#include "ui/setup/print_list.h"

#include <gtest/gtest.h>

using namespace tavrino;

namespace {

// Every character 5 points wide, every line 10 high; remembers what went where.
class RecordingSurface : public PrintSurface {
public:
    struct Line {
        int page;
        double x;
        double y;
        QString text;
    };
    double height = 300;
    QList<Line> lines;
    int page = 1;
    int ended = 0;

    double currentX() const override { return m_x; }
    double currentY() const override { return m_y; }
    void setCurrentX(double x) override { m_x = x; }
    void setCurrentY(double y) override { m_y = y; }
    double scaleWidth() const override { return 1200; }
    double scaleHeight() const override { return height; }
    double textWidth(const QString& text) const override { return 5.0 * text.size(); }
    double textHeight(const QString&) const override { return 10; }
    void setFont(int, bool) override {}
    void print(const QString& text) override {
        lines.append({page, m_x, m_y, text});
        m_x = 0;
        m_y += 10;
    }
    void newPage() override {
        ++page;
        m_x = m_y = 0;
    }
    void endDoc() override { ++ended; }

    QList<Line> inColumn(double x) const {
        QList<Line> out;
        for (const Line& l : lines)
            if (l.x == x) out.append(l);
        return out;
    }

private:
    double m_x = 0;
    double m_y = 0;
};

QString rec(const QString& description, const QString& notes = {}) {
    PasswordRecord r;
    r[PasswordRecord::Description] = description;
    r[PasswordRecord::UserCode] = QStringLiteral("user");
    r[PasswordRecord::Notes] = notes;
    return r.toLine();
}

const QDateTime Now(QDate(2026, 12, 10), QTime(14, 30));

void printAll(RecordingSurface& s, int& pageNumber, const QStringList& records) {
    PasswordListPrinter printer(s, pageNumber);
    printer.PrintHeading(Now);
    printer.PrintList(records, Now);
}

TEST(PrintList, EmptyProfileIsOnePageWithTitleHeadingsAndFooter) {
    RecordingSurface s;
    int pageNumber = 0;
    printAll(s, pageNumber, {});
    EXPECT_EQ(s.lines[0].text, QStringLiteral("Tavrino User Passwords as at 10/12/2026 14:30:00"));
    EXPECT_EQ(s.lines.last().text, QStringLiteral("Page 1"));
    EXPECT_EQ(s.lines.last().x, (1200 - 30) / 2.0);
    EXPECT_EQ(s.lines.last().y, 290);
    EXPECT_EQ(s.ended, 1);
    EXPECT_EQ(pageNumber, 1);
    QStringList headings;
    for (const auto& l : s.lines)
        if (l.y == 20) headings << l.text.trimmed();
    EXPECT_EQ(headings, QStringList({QStringLiteral("Category"), QStringLiteral("Description"),
                                     QStringLiteral("User Code"), QStringLiteral("Password"),
                                     QStringLiteral("Notes"), QStringLiteral("Expiry Date"),
                                     QStringLiteral("Web Site"), QStringLiteral("Email")}));
    EXPECT_EQ(s.lines[2].x, 17) << "X1 = 12 + 0 + 5";
}

TEST(PrintList, SortedByDescriptionWithoutCaseThenPositionText) {
    const QStringList records{rec(QStringLiteral("bank")), rec(QStringLiteral("Alpha")),
                              rec(QStringLiteral("car")),  rec(QStringLiteral("x")),
                              rec(QStringLiteral("x")),    rec(QStringLiteral("x")),
                              rec(QStringLiteral("x")),    rec(QStringLiteral("x")),
                              rec(QStringLiteral("dup")),  rec(QStringLiteral("dup"))};
    EXPECT_EQ(PasswordListPrinter::printOrder(records),
              (QList<qsizetype>{2, 1, 3, 10, 9, 4, 5, 6, 7, 8}))
        << "dup|10 sorts before dup|9";
}

TEST(PrintList, LongNotesWrapInsideTheirColumn) {
    RecordingSurface s;
    s.height = 2000;
    int pageNumber = 0;
    const QString notes = QString(95, QLatin1Char('n'));
    printAll(s, pageNumber, {rec(QStringLiteral("first"), notes), rec(QStringLiteral("second"))});
    const QString notesHeading = PasswordListPrinter::headings()[5];
    double notesX = -1;
    for (const auto& l : s.lines)
        if (l.text == notesHeading) notesX = l.x;
    QList<RecordingSurface::Line> column = s.inColumn(notesX);
    column.removeFirst(); // heading
    column.removeFirst(); // hyphens
    ASSERT_GE(column.size(), 3);
    QString joined;
    for (int i = 0; i < 3; ++i) {
        EXPECT_LE(column[i].text.size(), 40);
        EXPECT_LE(s.textWidth(column[i].text), s.textWidth(notesHeading));
        joined += column[i].text;
    }
    EXPECT_EQ(joined, notes);
    // The second record starts below the tallest cell of the first.
    double secondY = -1;
    for (const auto& l : s.lines)
        if (l.text == u"second") secondY = l.y;
    EXPECT_EQ(secondY, column[2].y + 10);
}

// Wrapping never cuts a character beyond the Basic Multilingual Plane in
// two; what the surface can not draw prints as its code.
TEST(PrintList, WrapsWholeCharactersAndMarksWhatCanNotBeDrawn) {
    struct PickySurface : RecordingSurface {
        bool canDraw(char32_t c) const override { return c != 0x1F511; } // no key emoji
    } s;
    s.height = 2000;
    int pageNumber = 0;
    QString notes = QStringLiteral("x"); // so a cut at the column's 40 units falls mid-character
    for (int i = 0; i < 30; ++i)
        notes += QString::fromUcs4(U"\U0001F600", 1); // two UTF-16 units each
    notes += QString::fromUcs4(U"\U0001F511", 1);
    printAll(s, pageNumber, {rec(QStringLiteral("emoji"), notes)});
    QString joined;
    for (const auto& l : s.lines) {
        if (!l.text.startsWith(QLatin1Char('x')) && !l.text.contains(QChar(0xD83D)) &&
            !l.text.contains(QStringLiteral("<U+")))
            continue;
        EXPECT_FALSE(l.text.back().isHighSurrogate()) << "cut inside a character";
        EXPECT_FALSE(l.text.front().isLowSurrogate()) << "cut inside a character";
        joined += l.text;
    }
    EXPECT_EQ(joined, notes.left(61) + QStringLiteral("<U+1F511>"));
}

TEST(PrintList, LineBreaksInAFieldPrintAsLinesOfItsCell) {
    RecordingSurface s;
    s.height = 2000;
    int pageNumber = 0;
    printAll(s, pageNumber,
             {rec(QStringLiteral("first"), QStringLiteral("line one\r\nline two\nthree")),
              rec(QStringLiteral("second"))});
    const QString notesHeading = PasswordListPrinter::headings()[5];
    double notesX = -1;
    for (const auto& l : s.lines)
        if (l.text == notesHeading) notesX = l.x;
    QList<RecordingSurface::Line> column = s.inColumn(notesX);
    column.remove(0, 2); // heading and hyphens
    ASSERT_GE(column.size(), 3);
    EXPECT_EQ(column[0].text, QStringLiteral("line one"));
    EXPECT_EQ(column[1].text, QStringLiteral("line two"));
    EXPECT_EQ(column[2].text, QStringLiteral("three"));
    EXPECT_EQ(column[1].y, column[0].y + 10);
    double secondY = -1;
    for (const auto& l : s.lines)
        if (l.text == u"second") secondY = l.y;
    EXPECT_EQ(secondY, column[2].y + 10) << "the row grew with the note";
}

TEST(PrintList, NoLineStartsInTheLastThreeLinesOfAPage) {
    RecordingSurface s;
    s.height = 200;
    int pageNumber = 0;
    QStringList records;
    for (int i = 0; i < 30; ++i)
        records << rec(QStringLiteral("rec %1").arg(i, 2, 10, QLatin1Char('0')),
                       QString(70, QLatin1Char('z')));
    printAll(s, pageNumber, records);
    int footers = 0;
    for (const auto& l : s.lines) {
        if (l.text.startsWith(QLatin1String("Page "))) {
            ++footers;
            EXPECT_EQ(l.text, QStringLiteral("Page %1").arg(footers));
            continue;
        }
        EXPECT_LT(l.y, 200 - 3 * 10) << l.text.toStdString() << " on page " << l.page;
    }
    EXPECT_GT(footers, 2);
    EXPECT_EQ(pageNumber, footers);
    int titles = 0;
    for (const auto& l : s.lines)
        titles += l.text.startsWith(QLatin1String("Tavrino User Passwords")) ? 1 : 0;
    EXPECT_EQ(titles, footers) << "every page repeats the title";
    for (int i = 0; i < 30; ++i) {
        bool found = false;
        for (const auto& l : s.lines)
            found = found || l.text == QStringLiteral("rec %1").arg(i, 2, 10, QLatin1Char('0'));
        EXPECT_TRUE(found) << i;
    }
}

TEST(PrintList, PageNumbersCountOnAcrossPrintouts) {
    RecordingSurface first;
    RecordingSurface second;
    int pageNumber = 0;
    printAll(first, pageNumber, {});
    printAll(second, pageNumber, {});
    EXPECT_EQ(second.lines.last().text, QStringLiteral("Page 2"));
}

} // namespace
