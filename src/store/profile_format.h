#pragma once

#include "store/profile.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QTime>

namespace tavrino {

class TextCipher;

// The profile file: one encrypted hex line per item, CR LF separated.
// Line 0 holds the file key K encrypted under the hex text of line 1; every
// other line is a typed, checksummed text encrypted under K, and the last
// one is the "7|count|total" summary.
namespace ProfileFormat {

// Beyond any profile: 300,000 records take some 100 MB, and a line holds a
// record whose fields together run to about a million characters. A larger
// file, or a longer line, is refused as damaged before it costs memory.
constexpr qint64 MaxFileBytes = 512LL * 1024 * 1024;
constexpr qint64 MaxLineBytes = 4LL * 1024 * 1024;

// Whether a stored text (a record's line) fits in one line of the file: the
// limit the reader refuses beyond (MaxLineBytes), as the writer and the
// import check it.
bool fitsInALine(const QString& text);

// Windows-1252 code of a character; anything outside that code page is "?" (63).
int ansiCode(QChar c);
qint64 checksum(QStringView s);
QString AppendChecksum(const QString& s);

// What a read met, in the order the reader reports it.
struct ReadOutcome {
    enum Kind {
        Complete,      // every line read, counts agree
        CountMismatch, // read to the end, but the summary's count or total differs
        ReadError,     // stopped by an error (errorNumber, errorDescription)
        InvalidData,   // stopped at a line that does not decrypt (errorLine)
    };
    Kind kind = Complete;
    QList<int> checksumFailures; // lines whose part count or checksum was wrong
    int errorLine = -1;
    int errorNumber = 0;
    QString errorDescription;
    int linesRead = 0;

    bool clean() const { return kind == Complete && checksumFailures.isEmpty(); }
};

// Reads a whole file into profile: the three lists are replaced, the settings
// and stamp are set from the lines that carry them (an empty file leaves them
// as they were). On an error the lists hold what was read so far.
ReadOutcome read(const QByteArray& file, Profile& profile, TextCipher& cipher);

// The same without the records: each line's first block tells its kind, and
// a record line is counted and measured but not decrypted. Everything else
// is read and checked as read() does; profile.Records is left empty.
ReadOutcome readForLogin(const QByteArray& file, Profile& profile, TextCipher& cipher);

// The change stamp from the first three lines, or -1 (outcome says why).
std::int32_t readStamp(const QByteArray& file, TextCipher& cipher, ReadOutcome& outcome);

// The file for profile with the given stamp. fileKeySeed is the short text
// the file key is made from. Without records, category and record lines are
// left out (a brand-new profile). Null when a line does not encrypt.
QByteArray write(const Profile& profile, std::int32_t stamp, const QString& fileKeySeed,
                 bool withRecords, TextCipher& cipher);

// The seed of a fresh file key: the last four characters of the seconds
// since midnight as single-precision text.
QString fileKeySeed(const QTime& now);

} // namespace ProfileFormat
} // namespace tavrino
