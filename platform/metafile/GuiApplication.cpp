#include "platform/metafile/GuiApplication.h"

#include <QGuiApplication>


namespace metafile {

namespace {

QtMessageHandler previousHandler = nullptr;

// In the processes that get their application from here, two warnings say
// nothing to the user: the offscreen platform has no runtime folder (which
// nothing here uses), and characters no face has are drawn as boxes
// without shaping.
void QuietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtWarningMsg &&
        (message.startsWith("QStandardPaths:") || message.startsWith("OpenType support missing")))
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
    previousHandler = qInstallMessageHandler(QuietHandler);
    return new QGuiApplication(argc, argv);
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
