#pragma once

#include <QString>
#include <QWidget>

#include <stdexcept>

namespace tavrino::test {

// The one control of that type under root that screen readers know by that
// name; a missing or doubled name is a fault of the window, not of the test.
template <class T> T* named(const QWidget* root, const QString& name) {
    T* found = nullptr;
    for (T* candidate : root->findChildren<T*>()) {
        if (candidate->accessibleName() != name) continue;
        if (found) throw std::logic_error("two controls named " + name.toStdString());
        found = candidate;
    }
    if (!found) throw std::logic_error("no control named " + name.toStdString());
    return found;
}

// The one control of that type under root.
template <class T> T* only(const QWidget* root) {
    const QList<T*> found = root->findChildren<T*>();
    if (found.size() != 1) throw std::logic_error("not exactly one control of that type");
    return found.first();
}

} // namespace tavrino::test
