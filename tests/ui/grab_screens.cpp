// Walks through the screens of the window and saves a picture of each:
//   grab_screens DIR   writes DIR/screen-*.png
// Exits non-zero when a screen cannot be reached or saved.

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest/QtTest>

#include <cstdio>

#include "ui/main_window.h"

namespace {

int g_errors = 0;
QString g_out;

void Save(const QPixmap& shot, const char* name) {
    const QString path = QDir(g_out).filePath(QString::fromLatin1(name));
    if (shot.isNull() || !shot.save(path)) {
        std::fprintf(stderr, "cannot save %s\n", qPrintable(path));
        ++g_errors;
        return;
    }
    std::printf("%s %dx%d\n", qPrintable(path), shot.width(), shot.height());
}

// The window with its open popup menus painted where they stand.
QPixmap With_Popups(QWidget& window, const QList<QMenu*>& menus) {
    QPixmap shot = window.grab();
    QPainter p(&shot);
    for (QMenu* m : menus)
        if (m->isVisible()) p.drawPixmap(window.mapFromGlobal(m->mapToGlobal(QPoint(0, 0))), m->grab());
    return shot;
}

template <class T>
T* Child(QWidget& w, const char* name) {
    T* c = w.findChild<T*>(QString::fromLatin1(name));
    if (!c) {
        std::fprintf(stderr, "no control %s\n", name);
        std::exit(2);
    }
    return c;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    aqvis::Prepare_Application(app);
    qputenv("LC_ALL", "C");  // a decimal point, whatever the session
    g_out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("docs");
    QDir().mkpath(g_out);
    g_out = QDir(g_out).absolutePath();

    QTemporaryDir work;  // AQVIS.OUT goes here
    QDir::setCurrent(work.path());

    aqvis::MainWindow w;
    w.show();
    w.activateWindow();
    if (!QTest::qWaitForWindowExposed(&w)) ++g_errors;
    QTest::qWait(100);
    Save(w.grab(), "screen-title.png");

    QTest::mouseClick(Child<QPushButton>(w, "cmdContinue"), Qt::LeftButton);
    QTest::qWait(50);
    Save(w.grab(), "screen-menu-only.png");

    // the menu open, with the hydrocarbons
    QMenu* main_menu = Child<QMenu>(w, "mnuMain");
    QMenu* hydrocarbons = Child<QMenu>(w, "mnuHydrocarbons");
    QMenuBar* bar = w.menuBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(main_menu->menuAction()).center());
    if (!QTest::qWaitFor([&] { return main_menu->isVisible(); })) ++g_errors;
    main_menu->setActiveAction(hydrocarbons->menuAction());
    QTest::keyClick(main_menu, Qt::Key_Right);
    if (!QTest::qWaitFor([&] { return hydrocarbons->isVisible(); })) ++g_errors;
    QTest::qWait(100);
    Save(With_Popups(w, {main_menu, hydrocarbons}), "screen-menu.png");
    hydrocarbons->hide();
    main_menu->hide();

    Child<QAction>(w, "mnuH3BO3")->trigger();
    QTest::qWait(50);
    Save(w.grab(), "screen-parameters.png");

    QTest::mouseClick(Child<QPushButton>(w, "cmdAccept"), Qt::LeftButton);
    QLineEdit* temp = Child<QLineEdit>(w, "txtTemp");
    QLineEdit* press = Child<QLineEdit>(w, "txtPress");
    QTest::keyClicks(temp, QStringLiteral("25"));
    QTest::keyClick(temp, Qt::Key_Tab);
    QTest::keyClicks(press, QStringLiteral("0"));
    QTest::qWait(50);
    Save(w.grab(), "screen-input.png");

    QTest::mouseClick(Child<QPushButton>(w, "cmdCalculate"), Qt::LeftButton);
    QTest::qWait(50);
    if (Child<QLabel>(w, "lbllnkH")->text() == QStringLiteral("lnkH")) ++g_errors;
    Save(w.grab(), "screen-results.png");

    // a failed calculation: the message box over the window
    press->setText(QStringLiteral("0"));
    temp->setText(QStringLiteral("400"));
    bool boxed = false;
    QTimer::singleShot(200, &w, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            QPixmap shot = w.grab();
            QPainter p(&shot);
            const QPixmap b = box->grab();
            p.drawPixmap((shot.width() - b.width()) / 2, (shot.height() - b.height()) / 2, b);
            p.end();
            Save(shot, "screen-failure.png");
            boxed = true;
            box->close();
        }
    });
    QTest::mouseClick(Child<QPushButton>(w, "cmdCalculate"), Qt::LeftButton);
    if (!boxed) {
        std::fprintf(stderr, "no message box for a failed calculation\n");
        ++g_errors;
    }
    w.close();
    return g_errors == 0 ? 0 : 1;
}
