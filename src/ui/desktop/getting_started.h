#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;

namespace tavrino {

class AddressService;
class SettingsStore;

// "Getting Started": the default password, the quick guide and where to get
// a PDF reader; closing stores whether to show it at the next start.
class GettingStartedWindow : public QDialog {
    Q_OBJECT
public:
    GettingStartedWindow(SettingsStore& settings, AddressService& addresses, QWidget* parent = nullptr);

    static const QString ReaderDownloadPage;


protected:
    void done(int result) override;

private:
    QLabel* m_passwordTip;
    QLabel* m_helpTip;
    QCheckBox* m_hideAtStartup;
    SettingsStore& m_settings;
    AddressService& m_addresses;
    QString m_readerPage;
};

} // namespace tavrino
