#pragma once

#include <QDialog>

class QLabel;

namespace tavrino {

// What the program shows while it waits for another workstation's save:
// which attempt, of how many, and a way to stop waiting.
class StoreWaitDialog : public QDialog {
    Q_OBJECT
public:
    explicit StoreWaitDialog(QWidget* parent = nullptr);
    void setAttempt(int attempt, int attempts);
    QString text() const;

private:
    QLabel* m_text;
};

} // namespace tavrino
