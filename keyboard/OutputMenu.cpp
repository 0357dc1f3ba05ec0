#include "keyboard/OutputMenu.h"

#include <QActionGroup>
#include <QMenu>

QMenu* popUpOutputMenu(QWidget* parent, const QStringList& outputs, const QString& current,
                       std::function<void(const QString&)> choose, const QPoint& globalPosition,
                       const QString& notice) {
    auto* menu = new QMenu(parent);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->setObjectName(QStringLiteral("MidiOutputMenu"));
    const QString title = QStringLiteral("MIDI Output");
    menu->setTitle(title);
    menu->setAccessibleName(title);
    // The caption line: styles differ in whether they draw a section's text.
    QAction* caption = menu->addAction(title);
    caption->setEnabled(false);
    if (!notice.isEmpty()) {
        QAction* line = menu->addAction(notice);
        line->setObjectName(QStringLiteral("MidiOutputNotice"));
        line->setEnabled(false);
    }
    menu->addSeparator();

    auto* group = new QActionGroup(menu);
    group->setExclusive(true);
    for (const QString& name : outputs) {
        QAction* action = menu->addAction(name);
        action->setCheckable(true);
        action->setChecked(name == current);
        group->addAction(action);
        QObject::connect(action, &QAction::triggered, menu, [choose, name] { choose(name); });
    }
    menu->popup(globalPosition);
    return menu;
}
