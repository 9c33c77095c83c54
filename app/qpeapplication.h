#ifndef QPEAPPLICATION_H
#define QPEAPPLICATION_H

#include <QApplication>
#include <QPointer>
#include <QWidget>

// The device's application object: a QApplication that knows its
// application type and its main widget. Only what start-up needs; the
// lastWindowClosed() signal and quit() are QApplication's own.
class QPEApplication : public QApplication
{
    Q_OBJECT
public:
    enum Type { GuiClient = 1 };

    QPEApplication(int &argc, char **argv, Type type = GuiClient);

    Type type() const { return appType; }
    void setMainWidget(QWidget *widget);

private:
    Type appType;
    QPointer<QWidget> main;
};

#endif
