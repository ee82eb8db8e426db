#include "app/lumikor_app.h"

#include "app/lumikor_dlg.h"

int CLumikorApp::InitInstance() {
    CLumikorDlg dialog;
    dialog.exec();
    return 0;
}
