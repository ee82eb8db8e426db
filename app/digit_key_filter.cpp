#include "app/digit_key_filter.h"

#include <QKeyEvent>
#include <algorithm>

bool DigitKeyFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const QString text = static_cast<QKeyEvent*>(event)->text();
        const bool printable = !text.isEmpty() && text.at(0).isPrint();
        if (printable && !std::all_of(text.begin(), text.end(),
                                      [](QChar c) { return c >= u'0' && c <= u'9'; })) {
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
