#pragma once

#include "store/Published.h"

#include <QObject>
#include <QString>

#include <optional>

// Why the last insert, restore or unlock did not happen, in one short
// sentence for the top bar; none once the user selects a signature or an
// action succeeds.
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
