#pragma once

#include <QByteArray>

#include <functional>

namespace tavrino {

struct Profile;

// The whole profile as an indented JSON document, handed to sink in pieces
// as it is written: no JSON tree of the profile is ever built. The text is
// what QJsonDocument::toJson(Indented) gives for the same content.
void writeProfileJson(const Profile& profile, const std::function<void(const QByteArray&)>& sink);

} // namespace tavrino
