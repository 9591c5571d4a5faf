// Lumo: a picture viewer whose document is an image collection.

#include <QApplication>

#include "app/KiroApp.h"

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    CKiroApp kiro;
    if (!kiro.InitInstance(QApplication::arguments().mid(1)))
        return kiro.ExitCode();
    int status = QApplication::exec();
    kiro.ExitInstance();
    return status;
}
