#pragma once

#include <QString>
#include <QUrl>

namespace tavrino {

// Requests to open a web page, a mail address or a document with the
// desktop's default handler; tests replace it and read the requests back.
class AddressService {
public:
    virtual ~AddressService() = default;
    virtual bool open(const QUrl& address) = 0;
};

class DesktopAddressService : public AddressService {
public:
    bool open(const QUrl& address) override;
};

} // namespace tavrino
