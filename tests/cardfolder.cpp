// cardfolder DIR COUNT NAME...: writes a camera's JPEG under each NAME in
// DIR, then COUNT more named pic_0001.jpg on. The card folder of the test
// that runs the program on a real display.

#include <QCoreApplication>
#include <QDir>

#include "camerapicture.h"

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3 || !QDir().mkpath(args[1]))
        return 2;
    QStringList names = args.mid(3);
    for (int i = 1; i <= args[2].toInt(); ++i)
        names << QString("pic_%1.jpg").arg(i, 4, 10, QChar('0'));
    const QImage picture = TestUtils::quadrantImage(QSize(2400, 1800));
    for (const QString &name : names) {
        if (!TestUtils::writeCameraPicture(args[1] + "/" + name, picture, 1))
            return 1;
    }
    return 0;
}
