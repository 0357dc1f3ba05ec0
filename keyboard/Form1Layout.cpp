#include "keyboard/Form1Layout.h"

#include "keyboard/SettingBar.h"
#include "keyboard/SettingBars.h"
#include "keyboard/Twips.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include <algorithm>
#include <iterator>

namespace {

const QColor White(255, 255, 255);

const TwipsRect FrameRect{120, 120, 4320, 2625};

// The note buttons stand in five rows of six columns; the first row is a
// little larger and wider spaced than the others.
TwipsRect noteButtonRect(int index) {
    if (index == Form1Layout::QuestionButton)
        return {1590, 5763, 2850, 645};
    const int row = index / 6;
    const int column = index % 6;
    if (row == 0)
        return {120 + column * 736, 2880, 650, 650};
    return {120 + column * 735, 3603 + (row - 1) * 720, 645, 645};
}

QFont boldArial(double points) {
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setWeight(QFont::Bold);
    return font;
}

void paintWhite(QWidget* widget) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, White);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

} // namespace

void setCaption(QLabel* label, const QString& caption) {
    label->setText(caption);
    label->adjustSize();
}

Form1Layout Form1Layout::create(QWidget* window) {
    Form1Layout ui;
    window->setFont(boldArial(9));
    paintWhite(window);

    ui.Frame1 = new QGroupBox(QStringLiteral("MIDI Settings"), window);
    ui.Frame1->setObjectName(QStringLiteral("Frame1"));
    ui.Frame1->setGeometry(FrameRect.toPixels());
    ui.Frame1->setFocusPolicy(Qt::NoFocus);
    paintWhite(ui.Frame1);

    // Made from the bottom up.
    for (auto design = std::rbegin(SettingBars); design != std::rend(SettingBars); ++design) {
        auto* bar = new SettingBar(design->minimum, design->maximum, design->pageStep,
                                   design->startValue, ui.Frame1);
        bar->setGeometry(design->rect().toPixels());
        bar->setObjectName(QLatin1String(design->objectName));
        ui.*design->bar = bar;
    }

    for (const SettingBarLabel* design : settingBarLabelsInCreationOrder()) {
        auto* label = new QLabel(ui.Frame1);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setWordWrap(false);
        label->move(design->rect.toPixels().topLeft());
        paintWhite(label);
        setCaption(label, QString::fromLatin1(design->caption));
        ui.*design->label = label;
    }

    const QFont buttonFont = boldArial(11.25);
    for (int index = 0; index < NoteButtonCount; ++index) {
        auto* button = new QPushButton(
            index == QuestionButton ? QStringLiteral("?") : QStringLiteral("A"), window);
        button->setObjectName(QStringLiteral("PushButton1_%1").arg(index));
        button->setFont(buttonFont);
        button->setGeometry(noteButtonRect(index).toPixels());
        button->setFocusPolicy(Qt::StrongFocus);
        button->setAutoDefault(false);
        QPalette palette = button->palette();
        palette.setColor(QPalette::Button, White);
        button->setPalette(palette);
        ui.PushButton1[static_cast<std::size_t>(index)] = button;
    }

    const auto order = ui.tabOrder();
    for (std::size_t i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
    return ui;
}

std::array<QLabel*, Form1Layout::LabelCount> Form1Layout::labels() const {
    std::array<QLabel*, LabelCount> labels{};
    const auto designs = settingBarLabelsInCreationOrder();
    std::transform(designs.begin(), designs.end(), labels.begin(),
                   [this](const SettingBarLabel* design) { return this->*design->label; });
    return labels;
}

std::array<QWidget*, Form1Layout::BarCount + Form1Layout::NoteButtonCount>
Form1Layout::tabOrder() const {
    std::array<QWidget*, BarCount + NoteButtonCount> order{};
    for (std::size_t i = 0; i < std::size(SettingBars); ++i)
        order[i] = this->*SettingBars[i].bar;
    for (std::size_t i = 0; i < PushButton1.size(); ++i)
        order[BarCount + i] = PushButton1[i];
    return order;
}
