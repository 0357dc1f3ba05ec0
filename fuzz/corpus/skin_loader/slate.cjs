/* Slate: a dark skin with pale text and blue accents. */

Form1 {
    background-color: #2b2f36;
}

QGroupBox {
    background-color: #353a42;
    color: #e6e9ee;
    border: 1px solid #5a6270;
    border-radius: 4px;
    margin-top: 10px;
}

QGroupBox::title {
    subcontrol-origin: margin;
    subcontrol-position: top left;
    left: 8px;
    padding: 0 3px;
    color: #9cc4ff;
}

QLabel {
    background-color: transparent;
    color: #e6e9ee;
}

QPushButton {
    background-color: #454c57;
    color: #ffffff;
    border: 1px solid #6b7482;
    border-radius: 3px;
}

QPushButton:hover {
    background-color: #566070;
}

QPushButton:pressed {
    background-color: #3a78d8;
}

QScrollBar:horizontal {
    background: #23272d;
    height: 19px;
    margin: 0 19px 0 19px;
}

QScrollBar::handle:horizontal {
    background: #7d8796;
    min-width: 16px;
    border-radius: 3px;
}

QScrollBar::add-line:horizontal, QScrollBar::sub-line:horizontal {
    background: #454c57;
    width: 19px;
    subcontrol-origin: margin;
}

QScrollBar::add-line:horizontal {
    subcontrol-position: right;
}

QScrollBar::sub-line:horizontal {
    subcontrol-position: left;
}

QScrollBar::left-arrow:horizontal, QScrollBar::right-arrow:horizontal {
    width: 5px;
    height: 5px;
    background: #c8ced8;
}
