/* Classic grey: the whole window in the button-face grey, with sunken
   note buttons when pressed. Fonts stay as designed. */

Form1, QGroupBox {
    background-color: palette(button);
}

QPushButton {
    background-color: palette(button);
    border: 2px outset palette(mid);
}

QPushButton:pressed {
    border-style: inset;
}
