// The start-up reference: the least a Qt Widgets program with a window like ours must do.
// One main window with a tool bar and four line edits, shown at once, nothing else.
#include <QApplication>
#include <QLineEdit>
#include <QMainWindow>
#include <QToolBar>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle("Bare");

    QToolBar* toolBar = window.addToolBar("Tools");
    for (const char* caption : {"Add", "Delete", "Find", "Copy", "Paste"}) {
        toolBar->addAction(caption);
    }

    auto* central = new QWidget(&window);
    auto* layout = new QVBoxLayout(central);
    for (int i = 0; i < 4; ++i) {
        layout->addWidget(new QLineEdit(central));
    }
    window.setCentralWidget(central);

    window.show();
    return app.exec();
}
