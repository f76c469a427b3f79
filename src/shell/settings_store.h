#pragma once

#include <QString>

namespace tavrino {

class MessageService;

// A few per-installation values outside any profile ("Database", "Timer",
// "Startup"), one INI entry each under Licenses/Corvane/Tavrino/. Entries are
// opened, never created: the install step makes them (createMissingKeys).
class SettingsStore {
public:
    // iniPath: the settings file; appFolder: the folder of the executable.
    SettingsStore(QString iniPath, QString appFolder, MessageService* messages = nullptr);

    // $TAVRINO_SETTINGS, else ${XDG_CONFIG_HOME:-~/.config}/Tavrino/settings.ini.
    static QString defaultPath();
    // Where the install step points "Database": ~/.local/share/Tavrino.
    static QString defaultDatabaseFolder();
    static QString keyOf(const QString& name);
    // The number a setting's text starts with ("15", " 2.5min"); 0 when none.
    static double numericValue(const QString& text);
    // "Timer" as whole minutes (rounded half to even), or -1 when the key is missing.
    int autoLockMinutes() const;

    // True when the key exists; value then holds its text (cut at a NUL),
    // or is empty when the entry is not a string. A missing key leaves value alone.
    bool ReadSetting(const QString& name, QString& value) const;
    // True on success; fails without creating anything when the key is missing.
    bool WriteSetting(const QString& name, const QString& value);
    // A preference of this workstation's (the generator's options), written
    // whether the key is there yet or not.
    bool writePreference(const QString& name, const QString& value);
    // The application folder, unless "Database" holds more than blanks.
    QString GetDatabaseFolder() const;
    // A folder chosen for this run (a command-line option) wins over the setting.
    void overrideDatabaseFolder(const QString& folder) { m_override = folder; }
    bool hasFolderOverride() const { return !m_override.isEmpty(); }

    // The install step: creates "Database", "Timer" "0" and "Startup" "0"
    // where they are missing, leaving existing values alone. Returns false
    // when the file cannot be written.
    bool createMissingKeys(const QString& databaseFolder);

    QString path() const { return m_path; }
    QString applicationFolder() const { return m_appFolder; }
    // A help file (the manual, the quick-start guide): beside the program,
    // else in the documentation folder of an installation
    // (PREFIX/share/doc/tavrino beside PREFIX/bin). Where neither has it,
    // the path beside the program, to name in a message.
    QString helpFile(const QString& name) const;

private:
    QString m_path;
    QString m_appFolder;
    QString m_override;
    MessageService* m_messages;
};

} // namespace tavrino
