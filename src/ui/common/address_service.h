#pragma once

#include <QString>

namespace tavrino {

// Requests to open a web page, a mail address or a document with the
// desktop's default handler, given as the text the user stored; tests
// replace it and read the requests back.
class AddressService {
public:
    virtual ~AddressService() = default;
    virtual bool open(const QString& address) = 0;
};

class DesktopAddressService : public AddressService {
public:
    // "www.example.com" opens as a web page, a local path as a file.
    bool open(const QString& address) override;
};

} // namespace tavrino
