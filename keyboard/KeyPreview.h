#pragma once

#include <QObject>

#include <functional>

class QWidget;

// Lets a window see every character typed into it before the control with the
// focus does; the control still gets the key.
class KeyPreview : public QObject {
public:
    KeyPreview(QWidget* window, std::function<void(char16_t)> onCharacter);
    ~KeyPreview() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool isFirstReceiver(const QWidget* widget) const;

    QWidget* window_;
    std::function<void(char16_t)> onCharacter_;
};
