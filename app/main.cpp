#include <QLocale>
#include <QTranslator>

#include <memory>

#include "app/tesselapp.h"
#include "platform/qpeapplication.h"

int main(int argc, char **argv)
{
    // Declared in the order of creation, so they go in reverse: the window,
    // then the translator, and the application object last.
    auto app = std::make_unique<QPEApplication>(argc, argv, QPEApplication::GuiClient);

    // A missing translation only leaves the texts untranslated.
    auto translator = std::make_unique<QTranslator>(nullptr);
    static_cast<void>(translator->load(QString("vandro.") + QLocale::system().name(), "."));
    app->installTranslator(translator.get());

    auto window = std::make_unique<TesselApp>(nullptr, nullptr);
    app->setMainWidget(window.get());
    window->show();
    window->showMaximized();
    QObject::connect(app.get(), &QGuiApplication::lastWindowClosed, app.get(),
                     &QCoreApplication::quit);

    return app->exec();
}
