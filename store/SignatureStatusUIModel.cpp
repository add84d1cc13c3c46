#include "store/SignatureStatusUIModel.h"

SignatureStatusUIModel::SignatureStatusUIModel(QObject *parent)
    : QObject(parent), m_message(std::nullopt, [this] { emit changed(); })
{
}
