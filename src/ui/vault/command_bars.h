#pragma once

#include <QKeySequence>
#include <QList>
#include <QObject>

#include <array>

class QFrame;
class QLabel;
class QWidget;

namespace tavrino {

class FlatButton;

// What the vault window shows: the login, the record tree, or one record.
enum class VaultView { Login, Tree, Record };

// The four bars of flat buttons across the top and the bottom of the vault
// window, and the title and version in the top one. Which bar and which
// button shows follows from the view alone.
class CommandBars : public QObject {
    Q_OBJECT
public:
    // In the order the window dresses them.
    enum Command { Setup, Lost, Login, Help, New, Save, Undo, Back, Generate, Popup, Delete };
    static constexpr int CommandCount = Delete + 1;

    // Builds the bars on the window, at their places on its picture.
    explicit CommandBars(QWidget* window);

    // Colours, captions and tooltips, once the window is about to show.
    void dress();
    void resetHighlights();

    // dirty: the record panel holds unsaved changes (SAVE and UNDO show).
    // questionsOffered: the open profile can be opened by its questions (LOST).
    void showFor(VaultView view, bool dirty, bool questionsOffered);

    FlatButton* button(Command command) const { return m_buttons[command]; }
    // Presses the button of a command when it shows; false when it does not.
    bool press(Command command);
    // The keys of each command, for the window's shortcuts.
    static QList<QKeySequence> keysOf(Command command);
    QList<FlatButton*> buttons() const;
    QList<QFrame*> bars() const;

signals:
    void triggered(CommandBars::Command command);

private:
    QFrame* m_menuBar;     // top, over the tree and the login
    QFrame* m_passwordBar; // top, over a record
    QFrame* m_toolsBar;    // bottom, under the tree and the login
    QFrame* m_recordBar;   // bottom, under a record
    QLabel* m_title;
    QLabel* m_version;
    std::array<FlatButton*, CommandCount> m_buttons{};
};

} // namespace tavrino
