#pragma once

#include <QObject>

// The signal of every published model object, apart from PublishedModel
// because Qt's meta-object compiler takes no class templates.
class PublishedModelBase : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

signals:
    void changed();
};
