// Lumo: a picture viewer whose document is an image collection.

#include <QApplication>
#include <cstdio>

#include "app/CommandLine.h"
#include "app/KiroApp.h"

int main(int argc, char** argv)
{
    if (std::optional<std::string> information = InformationAsked(argc, argv)) {
        std::fputs(information->c_str(), stdout);
        return 0;
    }
    QApplication application(argc, argv);
    CKiroApp kiro;
    if (!kiro.InitInstance(QApplication::arguments().mid(1)))
        return kiro.ExitCode();
    int status = QApplication::exec();
    kiro.ExitInstance();
    return status;
}
