#include "address_service.h"

#include <QDesktopServices>
#include <QUrl>

namespace tavrino {

bool DesktopAddressService::open(const QString& address) {
    const QUrl url = address.startsWith(QLatin1String("mailto:"), Qt::CaseInsensitive)
                         ? QUrl(address)
                         : QUrl::fromUserInput(address);
    return url.isValid() && QDesktopServices::openUrl(url);
}

} // namespace tavrino
