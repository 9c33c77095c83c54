#include <QDir>
#include <QFile>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "app/installlayout.h"
#include "app/tesselapp.h"
#include "platform/qpeapplication.h"

int main(int argc, char **argv)
{
    QPEApplication *app = new QPEApplication(argc, argv, QPEApplication::GuiClient);
    const InstallLayout layout(QCoreApplication::applicationDirPath());

    const QString settingsFolder = layout.settingsFolder();
    if (!settingsFolder.isEmpty()) {
        QDir().mkpath(settingsFolder);
        qputenv("TESSELCFG", QFile::encodeName(settingsFolder));
    }

    // A missing translation only leaves the texts untranslated. Qt's own
    // goes in first, so that ours wins where both translate a text.
    const QString locale = QLocale::system().name();
    QTranslator *qtTranslator = new QTranslator(nullptr);
    static_cast<void>(qtTranslator->load("qtbase_" + locale,
                                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)));
    app->installTranslator(qtTranslator);
    QTranslator *translator = new QTranslator(nullptr);
    for (const QString &dir : layout.translationDirs()) {
        if (translator->load(QString("vandro.") + locale, dir))
            break;
    }
    app->installTranslator(translator);

    TesselApp *window = new TesselApp(nullptr, nullptr);
    app->setMainWidget(window);
    window->show();
    window->showMaximized();
    QObject::connect(app, &QGuiApplication::lastWindowClosed, app, &QCoreApplication::quit);

    const int result = app->exec();
    delete window;
    delete translator;
    delete qtTranslator;
    delete app;
    return result;
}
