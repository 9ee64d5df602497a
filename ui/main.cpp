#include <QApplication>

#include "ui/frm_main.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    aqvis::Prepare_Application(app);
    aqvis::frmMain window;
    window.show();
    return app.exec();  // the report file closes with the window
}
