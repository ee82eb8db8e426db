#include "app/lumikor_app.h"

#include "app/lumikor_dlg.h"

int CLumikorApp::InitInstance(const QString& jobPath) {
    CLumikorDlg dialog;
    if (!jobPath.isEmpty()) dialog.OpenJob(jobPath);
    dialog.exec();
    return 0;
}
