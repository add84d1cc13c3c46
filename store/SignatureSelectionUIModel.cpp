#include "store/SignatureSelectionUIModel.h"

SignatureSelectionUIModel::SignatureSelectionUIModel(QObject *parent)
    : QObject(parent), m_signature(std::nullopt, [this] { emit changed(); })
{
}
