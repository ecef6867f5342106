// kt4470: the desktop terminal.
#include <QApplication>

#include "app/Form1.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(kt::app::kApplicationTitle);
    QApplication::setApplicationDisplayName(kt::app::kApplicationTitle);
    kt::app::TForm1 form;
    form.show();
    return QApplication::exec();
}
