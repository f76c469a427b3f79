#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <utility>

namespace tavrino {

// Overwrites the text where this string alone holds it, then empties it.
// A copy shared with others is only let go: its last holder frees it, and
// the programs zero every block they free.
void wipeText(QString& text);

// Ordered list with 1-based positions, as every list of a profile is used.
class RecordList {
public:
    qsizetype count() const { return m_lines.size(); }
    const QString& item(qsizetype position) const { return m_lines.at(position - 1); }
    void add(const QString& line) { m_lines.append(line); }
    // Puts a line back where it was, later lines moving down.
    void insert(qsizetype position, const QString& line) { m_lines.insert(position - 1, line); }
    void remove(qsizetype position) { m_lines.removeAt(position - 1); }
    void clear() { m_lines.clear(); }
    // Clears, overwriting each line first.
    void wipe();
    void reserve(qsizetype n) { m_lines.reserve(n); }
    const QStringList& lines() const { return m_lines; }

private:
    QStringList m_lines;
};

// Question lines "5|question|answer", in order.
using QuestionList = RecordList;

// Category lines "3|name", each with a lookup key compared without regard to
// letter case; adding under a taken key fails.
class CategoryList {
public:
    qsizetype count() const { return m_entries.size(); }
    const QString& item(qsizetype position) const { return m_entries.at(position - 1).second; }
    const QString& keyAt(qsizetype position) const { return m_entries.at(position - 1).first; }
    // False (and nothing added) when the key is taken.
    bool add(const QString& line, const QString& key);
    bool contains(const QString& key) const { return m_index.contains(fold(key)); }
    // Puts an entry back at its place; false when the key is taken.
    bool insert(qsizetype position, const QString& line, const QString& key);
    void remove(qsizetype position);
    bool removeKey(const QString& key);
    void clear();
    // Clears, overwriting each line and key first.
    void wipe();
    QStringList lines() const;
    // The category names, in order (the text between the line's first two "|").
    QStringList names() const;

private:
    static QString fold(const QString& key) { return key.toCaseFolded(); }
    void reindex();
    QList<std::pair<QString, QString>> m_entries; // key, line
    QHash<QString, qsizetype> m_index;            // folded key -> 0-based index
};

// The fields of a record line "4|Category|Description|...|Email".
struct PasswordRecord {
    enum Field { Category = 1, Description, UserCode, Password, Notes, ExpiryDate, WebSite, Email };
    static constexpr int FieldCount = 8;
    static const QStringList& fieldNames();

    QString fields[FieldCount];

    QString& operator[](Field f) { return fields[f - 1]; }
    const QString& operator[](Field f) const { return fields[f - 1]; }

    QString toLine() const;
    // Missing fields stay empty; extra "|"-parts are ignored.
    static PasswordRecord fromLine(const QString& line);
};

// Login mode 0 means no profile has been read (yet, or since a lock).
struct SecuritySettings {
    std::int32_t LoginMode = 0; // 1 password, 2 user ID + password, 3 + PIN
    QString UserId;
    QString Password;
    QString Pin;
    std::int32_t AnswersRequired = 0;
    QuestionList Questions;

    // What a brand-new profile starts with: password "QUILT", one question.
    static SecuritySettings newProfile();

    // The same login: mode, user ID, password and PIN.
    bool sameLogin(const SecuritySettings& other) const {
        return LoginMode == other.LoginMode && UserId == other.UserId &&
               Password == other.Password && Pin == other.Pin;
    }

    static QString questionLine(const QString& question, const QString& answer) {
        return QStringLiteral("5|") + question + QLatin1Char('|') + answer;
    }
    // The question every new profile starts with: everybody knows its answer.
    // Forgets the login and the answers, overwriting them.
    void wipe();
    static bool isDefaultQuestion(const QString& line) {
        return line == questionLine(QStringLiteral("Default Question"), QStringLiteral("QUILT"));
    }
    // Still the password of a new profile, which everybody knows as well.
    bool hasDefaultLogin() const {
        return LoginMode == 1 && Password == QStringLiteral("QUILT");
    }
};

// The stamp every save increments; it wraps to 1 when it reaches 2147483640
// (or anything above, which a file may hold), so the next save is still a
// change for every workstation. A missing or negative stored stamp reads as 0.
struct ChangeStamp {
    static constexpr std::int32_t WrapAt = 2147483640;
    static std::int32_t next(std::int32_t stamp) {
        const std::int64_t n = static_cast<std::int64_t>(stamp) + 1;
        return n >= WrapAt || n < 1 ? 1 : static_cast<std::int32_t>(n);
    }
    static std::int32_t fromStored(std::int32_t stored) { return stored < 0 ? 0 : stored; }
};

// What a profile file holds: its stamp, settings and lists. Copies are cheap
// (the lists share their data until one side changes).
struct ProfileContent {
    std::int32_t ChangeStamp = 0;
    SecuritySettings Security;
    CategoryList Categories;
    RecordList Records;
};

// The one open profile: its file, settings and lists, and the flags of the
// last read and write.
struct Profile {
    QString ProfileFileName; // "NAME.dat"
    QString ProfilePath;     // folder + "/" + ProfileFileName
    std::int32_t ChangeStamp = 0;
    SecuritySettings Security;
    CategoryList Categories;
    RecordList Records;

    bool ProfileLoaded = false;
    bool ProfileSaved = false;
    bool CreatingProfile = false;

    // Settings, the one default question, no categories or records.
    void resetToNewProfileDefaults();
    // Forgets settings and lists, overwriting them (a lock): the file's
    // name stays, as the login screen shows it.
    void wipeContent();
    ProfileContent content() const { return {ChangeStamp, Security, Categories, Records}; }
    void setContent(const ProfileContent& c) {
        ChangeStamp = c.ChangeStamp;
        Security = c.Security;
        Categories = c.Categories;
        Records = c.Records;
    }
    QString name() const;

    static QString categoryLine(const QString& name) { return QStringLiteral("3|") + name; }
};

} // namespace tavrino
