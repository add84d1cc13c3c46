#pragma once

#include "store/Published.h"

#include <QObject>
#include <QString>

#include <optional>

// What went wrong with the last insert, in one short sentence for the top
// bar; none once the user selects a signature or an insert succeeds.
// Every set announces changed(), equal value or not.
class SignatureStatusUIModel : public QObject
{
    Q_OBJECT
public:
    explicit SignatureStatusUIModel(QObject *parent = nullptr);

    Published<std::optional<QString>> &message() { return m_message; }
    const Published<std::optional<QString>> &message() const { return m_message; }

signals:
    void changed();

private:
    Published<std::optional<QString>> m_message;
};
