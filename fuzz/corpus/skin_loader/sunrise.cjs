/* Sunrise: warm light colours, buttons shaded from yellow to orange. */

Form1 {
    background-color: #fff4e0;
}

QGroupBox {
    background-color: #ffe8c2;
    color: #6b3a00;
    border: 2px solid #f0a040;
    border-radius: 6px;
    margin-top: 10px;
}

QGroupBox::title {
    subcontrol-origin: margin;
    left: 10px;
    padding: 0 4px;
}

QLabel {
    background-color: transparent;
    color: #6b3a00;
}

QPushButton {
    background-color: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 #ffe27a, stop: 1 #ff9e3d);
    color: #5a2400;
    border: 1px solid #d07a20;
    border-radius: 5px;
}

QPushButton:pressed {
    background-color: #ff7f1f;
}
