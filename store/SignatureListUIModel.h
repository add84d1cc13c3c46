#pragma once

#include "store/Published.h"
#include "store/SignatureModel.h"

#include <QList>
#include <QObject>

// The list of Mail's signatures as last loaded, in the list file's order.
// Every set announces changed(), equal value or not.
class SignatureListUIModel : public QObject
{
    Q_OBJECT
public:
    explicit SignatureListUIModel(QObject *parent = nullptr);

    Published<QList<SignatureModel>> &signatures() { return m_signatures; }
    const Published<QList<SignatureModel>> &signatures() const { return m_signatures; }

signals:
    void changed();

private:
    Published<QList<SignatureModel>> m_signatures;
};
