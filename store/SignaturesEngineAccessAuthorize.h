#pragma once

#include "store/Published.h"

#include <QObject>
// Whether access to Mail's folder has been granted during this run.
// Every set announces changed(), equal value or not.
class SignaturesEngineAccessAuthorize : public QObject
{
    Q_OBJECT
public:
    explicit SignaturesEngineAccessAuthorize(QObject *parent = nullptr);

    Published<bool> &isAuthorized() { return m_isAuthorized; }
    const Published<bool> &isAuthorized() const { return m_isAuthorized; }

signals:
    void changed();

private:
    Published<bool> m_isAuthorized;
};
