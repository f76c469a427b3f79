#include "address_service.h"

#include <QDesktopServices>

namespace tavrino {

bool DesktopAddressService::open(const QUrl& address) { return QDesktopServices::openUrl(address); }

} // namespace tavrino
