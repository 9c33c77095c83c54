#include <QLocale>
#include <QTranslator>

#include "app/tesselapp.h"
#include "platform/qpeapplication.h"

int main(int argc, char **argv)
{
    QPEApplication *app = new QPEApplication(argc, argv, QPEApplication::GuiClient);

    // A missing translation only leaves the texts untranslated.
    QTranslator *translator = new QTranslator(nullptr);
    static_cast<void>(translator->load(QString("vandro.") + QLocale::system().name(), "."));
    app->installTranslator(translator);

    TesselApp *window = new TesselApp(nullptr, nullptr);
    app->setMainWidget(window);
    window->show();
    window->showMaximized();
    QObject::connect(app, &QGuiApplication::lastWindowClosed, app, &QCoreApplication::quit);

    const int result = app->exec();
    delete window;
    delete translator;
    delete app;
    return result;
}
