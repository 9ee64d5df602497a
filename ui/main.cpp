#include <csignal>
#include <QApplication>

#include "core/std_descriptors.h"
#include "ui/main_window.h"

int main(int argc, char** argv) {
    // Started with a standard descriptor closed, no file the window opens may
    // take its number and receive the toolkit's messages.
    if (!aqvis::Hold_Closed_Standard_Descriptors()) return 1;
    // Past a file size limit a write should fail and be reported (leaving no
    // half line in the report) instead of ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication app(argc, argv);
    aqvis::Prepare_Application(app);
    aqvis::MainWindow window;
    window.show();
    return app.exec();  // the report file closes with the window
}
