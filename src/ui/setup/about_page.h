#pragma once

#include "ui/setup/setup_page.h"

namespace tavrino {

// The program's picture, name and version.
class AboutPage : public SetupPage {
    Q_OBJECT
public:
    explicit AboutPage(VaultServices& services);
    SetupTools enter() override;

private:
    QLabel* m_version;
};

} // namespace tavrino
