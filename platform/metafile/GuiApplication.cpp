#include "platform/metafile/GuiApplication.h"

#include <QGuiApplication>

namespace metafile {

namespace {

QtMessageHandler previousHandler = nullptr;

// Starting the offscreen platform without a desktop session warns about
// the missing runtime folder, which nothing here uses.
void QuietStartupHandler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtWarningMsg && message.startsWith("QStandardPaths:"))
        return;
    if (previousHandler != nullptr)
        previousHandler(type, context, message);
}

QGuiApplication* MakeApplication()
{
    static int argc = 3;
    static char name[] = "lumo";
    static char platformOption[] = "-platform";
    static char platform[] = "offscreen";
    static char* argv[] = {name, platformOption, platform, nullptr};
    previousHandler = qInstallMessageHandler(QuietStartupHandler);
    auto* application = new QGuiApplication(argc, argv);
    qInstallMessageHandler(previousHandler);
    return application;
}

}  // namespace

bool EnsureGuiApplication()
{
    if (QCoreApplication::instance() != nullptr)
        return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
    // Lives as long as the process; whoever needs it later finds it as the instance.
    static QGuiApplication* application = MakeApplication();
    return application != nullptr;
}

}  // namespace metafile
