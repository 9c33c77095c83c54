#include <QDir>
#include <QFile>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <memory>

#include <sys/resource.h>

#include "installlayout.h"
#include "tesselapp.h"
#include "memorybudget.h"
#include "qpeapplication.h"

int main(int argc, char **argv)
{
    // It sets the environment, which no thread may read meanwhile: first,
    // before Qt or the browser start any.
    MemoryBudget::applyToDecoders();

    // Each picture being read or copied holds a descriptor, and the
    // toolkit's own pipes fail hard without one: take all the system lets
    // us have.
    struct rlimit files;
    if (getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur < files.rlim_max) {
        files.rlim_cur = files.rlim_max;
        setrlimit(RLIMIT_NOFILE, &files);
    }

    // Declared in the order of creation, so they go in reverse: the window,
    // then the translators, and the application object last.
    auto app = std::make_unique<QPEApplication>(argc, argv, QPEApplication::GuiClient);
    const InstallLayout layout(QCoreApplication::applicationDirPath());

    const QString settingsFolder = layout.settingsFolder();
    if (!settingsFolder.isEmpty()) {
        QDir().mkpath(settingsFolder);
        InstallLayout::writeFirstSettings(settingsFolder);
        qputenv("TESSELCFG", QFile::encodeName(settingsFolder));
    }

    // A missing translation only leaves the texts untranslated. Qt's own
    // goes in first, so that ours wins where both translate a text.
    const QString locale = QLocale::system().name();
    auto qtTranslator = std::make_unique<QTranslator>(nullptr);
    static_cast<void>(qtTranslator->load("qtbase_" + locale,
                                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)));
    app->installTranslator(qtTranslator.get());
    auto translator = std::make_unique<QTranslator>(nullptr);
    static_cast<void>(layout.loadTranslation(*translator, locale));
    app->installTranslator(translator.get());

    auto window = std::make_unique<TesselApp>(nullptr, nullptr);
    if (window->startRefused())
        return 1;
    app->setMainWidget(window.get());
    window->show();
    window->showMaximized();
    QObject::connect(app.get(), &QGuiApplication::lastWindowClosed, app.get(),
                     &QCoreApplication::quit);

    return app->exec();
}
