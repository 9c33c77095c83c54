#ifndef TESSELDATA_H
#define TESSELDATA_H

#include <QObject>

#include "tesselsettings.h"

// The one shared settings object. Created by the main window, never deleted;
// every other holder keeps a plain pointer to it.
class TesselData : public QObject, public TesselSettings
{
    Q_OBJECT
public:
    TesselData();

    bool isModified() const { return modified; }
    void setModified(bool value) { modified = value; }

signals:
    void documentChanged();

private:
    bool modified;
};

#endif
