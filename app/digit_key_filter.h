// Makes an edit digits-only: typed characters other than digits are refused;
// editing keys and pasting pass, as with a digits-only edit control.
#pragma once

#include <QObject>

class DigitKeyFilter : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
