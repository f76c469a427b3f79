#include "profile_format.h"

#include <cstdint>
#include <cstring>

#include "crypto/text_cipher.h"

#include <QTime>

#include <array>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace tavrino::ProfileFormat {
namespace {

std::array<unsigned char, 65536> buildAnsiTable() {
    std::array<unsigned char, 65536> table;
    table.fill('?');
    for (int c = 0; c < 0x80; ++c)
        table[c] = static_cast<unsigned char>(c);
    for (int c = 0xA0; c < 0x100; ++c)
        table[c] = static_cast<unsigned char>(c);
    // Windows maps its five unassigned codes straight through.
    for (int c : {0x81, 0x8D, 0x8F, 0x90, 0x9D})
        table[c] = static_cast<unsigned char>(c);
    const std::pair<char16_t, unsigned char> upper[] = {
        {0x20AC, 0x80}, {0x201A, 0x82}, {0x0192, 0x83}, {0x201E, 0x84}, {0x2026, 0x85},
        {0x2020, 0x86}, {0x2021, 0x87}, {0x02C6, 0x88}, {0x2030, 0x89}, {0x0160, 0x8A},
        {0x2039, 0x8B}, {0x0152, 0x8C}, {0x017D, 0x8E}, {0x2018, 0x91}, {0x2019, 0x92},
        {0x201C, 0x93}, {0x201D, 0x94}, {0x2022, 0x95}, {0x2013, 0x96}, {0x2014, 0x97},
        {0x02DC, 0x98}, {0x2122, 0x99}, {0x0161, 0x9A}, {0x203A, 0x9B}, {0x0153, 0x9C},
        {0x017E, 0x9E}, {0x0178, 0x9F}};
    for (const auto& [unicode, code] : upper)
        table[unicode] = code;
    return table;
}

const std::array<unsigned char, 65536>& ansiTable() {
    static const auto table = buildAnsiTable();
    return table;
}

// Walks the lines of a file, split at CR LF, CR or LF; a final terminator
// adds no empty line. One line at a time: a file of nothing but line breaks
// costs no list of millions of empty lines.
class LineCursor {
public:
    explicit LineCursor(QByteArrayView file) : m_p(file.data()), m_end(file.data() + file.size()) {}
    bool next(QByteArrayView& line) {
        if (m_p >= m_end) return false;
        const char* start = m_p;
        m_p = lineEnd(m_p, m_end);
        line = QByteArrayView(start, m_p - start);
        if (m_p < m_end) {
            if (*m_p == '\r' && m_p + 1 < m_end && m_p[1] == '\n') ++m_p;
            ++m_p;
        }
        return true;
    }

private:
    // The first CR or LF from p on: sixteen bytes at a time look for any
    // byte up to CR (hex digits are far above), and linear whatever the line
    // ends are.
    static const char* lineEnd(const char* p, const char* end) {
#ifdef __SSE2__
        const __m128i cr = _mm_set1_epi8('\r');
        while (end - p >= 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            // v <= CR, unsigned: min(v, CR) == v
            const int low = _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_min_epu8(v, cr), v));
            if (low) {
                const char* q = p + __builtin_ctz(static_cast<unsigned>(low));
                if (*q == '\r' || *q == '\n') return q;
                p = q + 1; // another control character: look on after it
                continue;
            }
            p += 16;
        }
#endif
        while (p < end && *p != '\r' && *p != '\n')
            ++p;
        return p;
    }

    const char* m_p;
    const char* m_end;
};

QList<QByteArrayView> splitLines(const QByteArray& file) {
    QList<QByteArrayView> lines;
    LineCursor cursor(file);
    for (QByteArrayView line; cursor.next(line);)
        lines.append(line);
    return lines;
}

using Parts = QList<QStringView>;

Parts splitParts(const QString& line) {
    return QStringView(line).split(u'|');
}

// Checks the trailing checksum when the line has the expected number of
// parts. cut is then where the checksum begins (the caller cuts the line
// there once it has taken its fields); otherwise -1. False on any mismatch.
bool RSumofAC(const QString& line, const Parts& parts, int expectedLastIndex, qsizetype& cut) {
    cut = -1;
    if (parts.size() - 1 != expectedLastIndex) return false;
    cut = line.size() - parts.last().size() - 1;
    bool isNumber = false;
    const double stored = parts.last().toDouble(&isNumber);
    return isNumber && stored == static_cast<double>(checksum(QStringView(line).left(cut)));
}

// A run-time error of the reader: it stops the read.
struct Stop {
    int number;
    QString description;
};

std::int32_t toInt32(const Parts& parts, int index) {
    if (index >= parts.size()) throw Stop{9, QStringLiteral("Subscript out of range")};
    bool ok = false;
    const QStringView text = parts[index].trimmed();
    const qint64 value = text.toLongLong(&ok);
    if (ok && value >= INT32_MIN && value <= INT32_MAX) return static_cast<std::int32_t>(value);
    const double d = text.toDouble(&ok);
    if (ok && d >= INT32_MIN && d <= INT32_MAX) return static_cast<std::int32_t>(qRound64(d));
    throw Stop{13, QStringLiteral("Type mismatch")};
}

QString part(const Parts& parts, int index) {
    if (index >= parts.size()) throw Stop{9, QStringLiteral("Subscript out of range")};
    return parts[index].toString();
}

// Decrypts one line; a line that is not hexadecimal stops the read, one
// that does not decrypt ends it as invalid data.
struct LineReader {
    TextCipher& cipher;
    ReadOutcome& outcome;
    bool invalid = false;

    bool decrypt(QByteArrayView hexLine, const QString& key, int lineNo, QString& plain) {
        const TextCipher::Result r = cipher.tryDecrypt(hexLine, key);
        if (r.status == TextCipher::Status::InvalidData) {
            outcome.kind = ReadOutcome::InvalidData;
            outcome.errorLine = lineNo;
            return false;
        }
        if (r.status == TextCipher::Status::BadHex)
            throw Stop{13, QStringLiteral("Line %1 is not hexadecimal text").arg(lineNo)};
        plain = r.text;
        return true;
    }

    // A record line ("4|..."), told by its first block alone. A line that
    // would not decrypt ends the read here as it would in full.
    bool isRecord(QByteArrayView hexLine, const QString& key, int lineNo) {
        char16_t start[2];
        const TextCipher::Status status = cipher.peekStart(hexLine, key, start);
        if (status == TextCipher::Status::InvalidData) {
            outcome.kind = ReadOutcome::InvalidData;
            outcome.errorLine = lineNo;
            return false;
        }
        if (status == TextCipher::Status::BadHex)
            throw Stop{13, QStringLiteral("Line %1 is not hexadecimal text").arg(lineNo)};
        return start[0] == u'4' && (start[1] == u'|' || start[1] == 0);
    }

    // K from line 0, decrypted under the text of line 1.
    bool fileKey(QByteArrayView line0, QByteArrayView line1, QString& key) {
        QString plain;
        if (!decrypt(line0, QString::fromLatin1(line1), 0, plain)) return false;
        const Parts parts = splitParts(plain);
        qsizetype cut;
        if (!RSumofAC(plain, parts, 1, cut)) outcome.checksumFailures.append(0);
        key = part(parts, 0);
        return true;
    }
};

} // namespace

int ansiCode(QChar c) {
    return ansiTable()[c.unicode()];
}

qint64 checksum(QStringView s) {
    const auto& table = ansiTable();
    qint64 sum = 0;
    for (QChar c : s)
        sum += table[c.unicode()];
    return sum;
}

QString AppendChecksum(const QString& s) {
    return s + QLatin1Char('|') + QString::number(checksum(s));
}

bool fitsInALine(const QString& text) {
    const qsizetype withChecksum = text.size() + 1 + QString::number(checksum(text)).size();
    return TextCipher::encryptedLength(withChecksum) <= MaxLineBytes;
}

namespace {

ReadOutcome readLines(const QByteArray& file, Profile& profile, TextCipher& cipher,
                      bool withRecords) {
    ReadOutcome outcome;
    profile.Categories.clear();
    profile.Records.clear();
    profile.Security.Questions.clear();

    LineCursor cursor(file);
    // About one record a line; Big's lines are some 300 hex digits.
    if (withRecords) profile.Records.reserve(file.size() / 256);
    LineReader reader{cipher, outcome};
    QString key;
    qint64 total = 0;
    qint64 expectedCount = 0;
    qint64 expectedTotal = 0;
    int lineNo = 0;
    // A file without a stamp line counts as stamp 0 (an empty one keeps the old).
    if (!file.isEmpty()) profile.ChangeStamp = 0;
    QByteArrayView line;
    QByteArrayView keyLine;
    try {
        for (; cursor.next(line); ++lineNo) {
            if (line.size() > MaxLineBytes)
                throw Stop{27, QStringLiteral("Line %1 is longer than any line of a profile can be")
                                   .arg(lineNo)};
            total += line.size();
            if (lineNo == 0) {
                keyLine = line;
                continue;
            }
            if (lineNo == 1 && !reader.fileKey(keyLine, line, key)) break;
            if (!withRecords && reader.isRecord(line, key, lineNo)) continue;
            if (outcome.kind != ReadOutcome::Complete) break;
            QString plain;
            if (!reader.decrypt(line, key, lineNo, plain)) break;
            const Parts parts = splitParts(plain);
            // The type is one digit; anything else is a type the reader skips.
            const char16_t type = parts[0].size() == 1 ? parts[0][0].unicode() : u'?';
            qsizetype cut = -1;
            auto check = [&](int lastIndex) {
                if (!RSumofAC(plain, parts, lastIndex, cut))
                    outcome.checksumFailures.append(lineNo);
            };
            // The line without its checksum, once its fields are taken.
            auto stripped = [&]() -> const QString& {
                if (cut >= 0) plain.truncate(cut);
                return plain;
            };
            if (type == u'1') {
                check(2);
                profile.Security.LoginMode = toInt32(parts, 1);
            } else if (type == u'2') {
                check(4);
                profile.Security.UserId = part(parts, 1);
                profile.Security.Password = part(parts, 2);
                profile.Security.Pin = part(parts, 3);
            } else if (type == u'3') {
                check(2);
                const QString key = part(parts, 1);
                if (!profile.Categories.add(stripped(), key))
                    throw Stop{
                        457,
                        QStringLiteral(
                            "This key is already associated with an element of this collection")};
            } else if (type == u'4') {
                check(9);
                profile.Records.add(stripped());
            } else if (type == u'5') {
                check(3);
                profile.Security.Questions.add(stripped());
            } else if (type == u'6') {
                check(2);
                profile.Security.AnswersRequired = toInt32(parts, 1);
            } else if (type == u'7') {
                expectedCount = toInt32(parts, 1);
                expectedTotal = toInt32(parts, 2);
            } else if (type == u'8') {
                check(2);
                profile.ChangeStamp = ChangeStamp::fromStored(toInt32(parts, 1));
            }
        }
    } catch (const Stop& stop) {
        outcome.kind = ReadOutcome::ReadError;
        outcome.errorLine = lineNo;
        outcome.errorNumber = stop.number;
        outcome.errorDescription = stop.description;
    }
    outcome.linesRead = lineNo;
    if (outcome.kind == ReadOutcome::Complete &&
        (lineNo != expectedCount || total != expectedTotal))
        outcome.kind = ReadOutcome::CountMismatch;
    return outcome;
}

} // namespace

ReadOutcome read(const QByteArray& file, Profile& profile, TextCipher& cipher) {
    return readLines(file, profile, cipher, true);
}

ReadOutcome readForLogin(const QByteArray& file, Profile& profile, TextCipher& cipher) {
    return readLines(file, profile, cipher, false);
}

std::int32_t readStamp(const QByteArray& file, TextCipher& cipher, ReadOutcome& outcome) {
    outcome = ReadOutcome{};
    const QByteArray head = file.left(4096); // the views below point into it
    const QList<QByteArrayView> lines = splitLines(head);
    LineReader reader{cipher, outcome};
    std::int32_t stamp = 0; // as the full read counts a file without a stamp line
    try {
        if (lines.size() < 3) throw Stop{62, QStringLiteral("Input past end of file")};
        QString key;
        if (!reader.fileKey(lines[0], lines[1], key)) return -1;
        for (int lineNo = 1; lineNo <= 2; ++lineNo) {
            QString plain;
            if (!reader.decrypt(lines[lineNo], key, lineNo, plain)) return -1;
            const Parts parts = splitParts(plain);
            if (parts[0] == u"8") {
                qsizetype cut;
                if (!RSumofAC(plain, parts, 2, cut)) outcome.checksumFailures.append(lineNo);
                stamp = ChangeStamp::fromStored(toInt32(parts, 1));
            }
        }
    } catch (const Stop& stop) {
        outcome.kind = ReadOutcome::ReadError;
        outcome.errorNumber = stop.number;
        outcome.errorDescription = stop.description;
        return -1;
    }
    return stamp;
}

QByteArray write(const Profile& profile, std::int32_t stamp, const QString& fileKeySeed,
                 bool withRecords, TextCipher& cipher) {
    const QString key = cipher.Encrypt(fileKeySeed, fileKeySeed);
    if (key.isEmpty()) return {};

    QStringList plain;
    plain.reserve(profile.Records.count() + profile.Categories.count() + 8);
    const SecuritySettings& s = profile.Security;
    plain << QStringLiteral("1|%1").arg(s.LoginMode) << QStringLiteral("8|%1").arg(stamp)
          << QStringLiteral("2|") + s.UserId + QLatin1Char('|') + s.Password + QLatin1Char('|') +
                 s.Pin;
    if (withRecords) {
        plain << profile.Categories.lines();
        plain << profile.Records.lines();
    }
    plain << s.Questions.lines();
    plain << QStringLiteral("6|%1").arg(s.AnswersRequired);

    // Written straight into the file's bytes, line after line. Line 0 is
    // encrypted under the hex text of line 1, so line 1 goes first, aside.
    qsizetype estimate = 4096;
    for (const QString& text : plain)
        estimate += TextCipher::encryptedLength(text.size() + 24) + 2;
    QByteArray out;
    out.reserve(estimate);
    QByteArray line1;
    if (!cipher.appendEncrypted(line1, AppendChecksum(plain.first()), key)) return {};
    if (!cipher.appendEncrypted(out, AppendChecksum(key), QString::fromLatin1(line1))) return {};
    out += "\r\n";
    out += line1;
    out += "\r\n";
    for (qsizetype i = 1; i < plain.size(); ++i) {
        if (!cipher.appendEncrypted(out, AppendChecksum(plain[i]), key)) return {};
        out += "\r\n";
    }

    // The summary counts itself: its own length depends on the digits of the
    // total, so settle on the length that agrees with the text it gives.
    const qsizetype count = plain.size() + 2;
    const qint64 total = out.size() - 2 * (count - 1);
    qsizetype ownLength = TextCipher::encryptedLength(2);
    QString summary;
    for (;;) {
        summary = QStringLiteral("7|%1|%2").arg(count).arg(total + ownLength);
        const qsizetype length = TextCipher::encryptedLength(summary.size());
        if (length == ownLength) break;
        ownLength = length;
    }
    if (!cipher.appendEncrypted(out, summary, key)) return {};
    out += "\r\n";
    return out;
}

QString fileKeySeed(const QTime& now) {
    const float seconds = static_cast<float>(now.msecsSinceStartOfDay()) / 1000.0f;
    const QString text = QString::number(seconds, 'g', 7);
    return text.right(4);
}

} // namespace tavrino::ProfileFormat
