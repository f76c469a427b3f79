#pragma once

#include <QString>

#include <cstdint>

namespace tavrino {

// The highest change stamp this workstation has seen of each sealed
// profile, kept across runs: an older file put back in place (a restored
// backup, a rolled-back share) is noticed instead of taken for the latest.
class StampMemory {
public:
    // $XDG_STATE_HOME/tavrino/stamps.ini, else ~/.local/state/tavrino/stamps.ini.
    static QString defaultPath();
    void setPath(const QString& path) { m_path = path; }
    QString path() const { return m_path; }

    // The highest stamp seen of the file at profilePath, or -1.
    std::int32_t highest(const QString& profilePath) const;
    void saw(const QString& profilePath, std::int32_t stamp);
    // True when stamp is older than one seen before (a wrap to 1 aside).
    bool isRollback(const QString& profilePath, std::int32_t stamp) const;

private:
    static QString keyOf(const QString& profilePath);
    QString m_path = defaultPath();
};

} // namespace tavrino
