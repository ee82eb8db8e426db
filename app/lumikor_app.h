// CLumikorApp: runs the main dialog and ends the program when it closes.
#pragma once

#include <QString>

class CLumikorApp {
public:
    // Shows the dialog modally until the user closes it, first drawing
    // jobPath when it is not empty. Always 0: the program ends with the
    // dialog, however it was closed.
    int InitInstance(const QString& jobPath = {});
};
