#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QMenu;
class QPoint;
class QWidget;

// The menu "MIDI Output": the outputs the program can play through, the one in
// use checked, and under the caption a `notice` line when there is one (an
// output that went away, say). It opens without blocking and deletes itself
// once closed; choosing an entry calls `choose` with its name.
QMenu* popUpOutputMenu(QWidget* parent, const QStringList& outputs, const QString& current,
                       std::function<void(const QString&)> choose, const QPoint& globalPosition,
                       const QString& notice = QString());
