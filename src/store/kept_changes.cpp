#include "kept_changes.h"

namespace tavrino {
namespace {
void wipeContent(ProfileContent& c) {
    c.Security.wipe();
    c.Categories.wipe();
    c.Records.wipe();
}
} // namespace

const KeptChanges::Change* KeptChanges::find(const QString& fileName) const {
    auto it = m_changes.constFind(fileName);
    return it == m_changes.constEnd() ? nullptr : &it.value();
}

void KeptChanges::discard(const QString& fileName) {
    auto it = m_changes.find(fileName);
    if (it == m_changes.end()) return;
    wipeContent(it->base);
    wipeContent(it->mine);
    m_changes.erase(it);
}

void KeptChanges::discardAll() {
    for (const QString& fileName : profiles())
        discard(fileName);
}

QStringList KeptChanges::profiles() const {
    QStringList names = m_changes.keys();
    names.sort();
    return names;
}

} // namespace tavrino
