// The desktop program: straight into the main dialog, no options of its own.
#include <QApplication>
#include <QStyleFactory>

#include "app/lumikor_app.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    // The classic style draws group titles on their frame line and keeps
    // controls as compact as the dialog-unit layout expects.
    if (QStyle* style = QStyleFactory::create(QStringLiteral("Windows")))
        QApplication::setStyle(style);
    CLumikorApp app;
    return app.InitInstance();
}
