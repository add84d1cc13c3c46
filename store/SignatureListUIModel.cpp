#include "store/SignatureListUIModel.h"

SignatureListUIModel::SignatureListUIModel(QObject *parent)
    : QObject(parent), m_signatures({}, [this] { emit changed(); })
{
}
