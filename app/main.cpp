// Program entry.
#include <QApplication>

#include "app/Application.h"
#include "app/Main.h"

int main(int argc, char** argv) {
    corvina::prepareApplicationEnvironment();
    corvina::TApplication app(argc, argv);
    TFormMain form;
    form.show();
    return app.exec();
}
